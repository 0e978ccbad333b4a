#pragma once

#include "style/ButtonArtwork.h"

#include <QList>
#include <QUrl>
#include <QWidget>

class DropHintImage;
class DropView;
class FileDropDelegate;
class QAction;
class QHBoxLayout;
class QPushButton;
class QTableView;

// One list of a tool as the user meets it: the drop area with its table and,
// while the list is empty, the drop hint in the table's place; under it the
// Remove, Clear and Add buttons, with room at the right for the tool's own
// buttons. The Delete key and the table's context menu remove and clear as
// the buttons do. Besides a drop, files come in by Add Files… (a file
// dialog) and by pasting (Ctrl+V: file URLs or paths copied from a file
// manager); a list of library tracks has Add Selected Tracks instead, and a
// paste there takes the selection as a drop does. The tool that holds the
// pane sorts its list and runs it.
class TrackListPane : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString hintText READ hintText WRITE setHintText)
public:
    explicit TrackListPane(QWidget *parent = nullptr);

    // The list this pane shows (DropView's action numbers), who is told when
    // items come in, and the suffix that names the pane's parts for their
    // owner ("dropView" + suffix, "tableView", "dropInfoImage",
    // "removeButton", "clearButton", "addButton").
    void setUp(int action, FileDropDelegate *delegate, const QString &nameSuffix);

    DropView *dropView() const { return m_dropView; }
    QTableView *tableView() const { return m_table; }
    DropHintImage *dropInfoImage() const { return m_hint; }
    QPushButton *removeButton() const { return m_remove; }
    QPushButton *clearButton() const { return m_clear; }
    QPushButton *addButton() const { return m_add; }

    QString hintText() const;
    void setHintText(const QString &text);

    // Moves one of the tool's buttons to the right end of the button row.
    void addActionButton(QPushButton *button);

public slots:
    // Removes the selected rows, the last first; shows the hint when the list
    // is left empty.
    void removeTableItem();
    // Empties the list and shows the hint.
    void clearTable();
    // Add Files…: the file dialog, whose choice comes in as a drop; in a list
    // of tracks, the library's selection.
    void chooseFiles();
    // Files (or folders) come in as if dropped.
    void addFiles(const QList<QUrl> &files);
    // Ctrl+V: the files on the clipboard come in as if dropped.
    void paste();
    // Fades the hint in and the table out (true), or the other way round.
    void showOrHideDropInfoImage(bool show);

private:
    void fade(QWidget *widget, qreal to);

    DropView *m_dropView;
    QTableView *m_table;
    DropHintImage *m_hint;
    QPushButton *m_remove;
    QPushButton *m_clear;
    QPushButton *m_add;
    QAction *m_addAction;
    QHBoxLayout *m_buttons;
    ButtonArtwork m_buttonArtwork;
};
