#pragma once

#include "app/history/HistoryWindow.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMenu;
class QWidget;

// "Undo Last Run" (Ctrl+Z) and "History…" at the top of the window's menu.
// They show only once the journal holds a run: until then the window says
// nothing of it. An undo runs under the sheet of the tool on screen and ends
// with a report.
class UndoActions : public QObject
{
    Q_OBJECT
public:
    UndoActions(QMenu *menu, QWidget *window, std::function<QWidget *()> toolView);

    QAction *undoLast() const { return m_undoLast; }
    QAction *history() const { return m_history; }
    HistoryWindow *historyWindow() const { return m_historyWindow; }

public slots:
    // Reads the journal again: which actions show, what the history lists.
    void refresh();
    void undoLastRun();
    void showHistory();
    void undo(qint64 run);

signals:
    // An undo ended; its report is up.
    void undone();

private:
    QWidget *m_window;
    std::function<QWidget *()> m_toolView;
    QAction *m_undoLast;
    QAction *m_history;
    QAction *m_separator;
    QPointer<HistoryWindow> m_historyWindow;
    bool m_running = false;
};
