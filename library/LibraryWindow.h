#pragma once

#include <QList>
#include <QMainWindow>
#include <QUrl>

#include <functional>

class MusicLibrary;
class QLineEdit;
class QTableView;

// The library's window: a sortable table of every track with multi-selection,
// tracks dragged out as file URLs and files or folders dropped in (or chosen
// from the File menu) added. The search field filters the table; the size
// and the sort order are kept from one start to the next.
class LibraryWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit LibraryWindow(MusicLibrary *library, QWidget *parent = nullptr);
    ~LibraryWindow() override;

    QTableView *tableView() const { return m_table; }
    QLineEdit *searchField() const { return m_search; }

    // What Add Files… and Add Folder… ask for: file URLs, none when
    // cancelled. A dialog (AddDialogs) unless replaced.
    using Chooser = std::function<QList<QUrl>(QWidget *parent)>;
    void setChoosers(Chooser files, Chooser folder);

private:
    void addChosen(const Chooser &choose);
    void updateTitle();
    void restoreSettings();
    void saveSettings() const;

    MusicLibrary *m_library;
    QTableView *m_table;
    QLineEdit *m_search;
    Chooser m_chooseFiles;
    Chooser m_chooseFolder;
};
