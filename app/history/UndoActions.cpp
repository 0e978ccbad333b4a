#include "app/history/UndoActions.h"

#include "app/history/HistoryWindow.h"
#include "app/history/UndoRun.h"
#include "tracks/journal/RunJournal.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>

UndoActions::UndoActions(QMenu *menu, QWidget *window, std::function<QWidget *()> toolView)
    : QObject(menu), m_window(window), m_toolView(std::move(toolView))
{
    QAction *first = menu->actions().value(0);
    m_undoLast = new QAction(tr("Undo Last Run"), menu);
    m_undoLast->setObjectName(QStringLiteral("undoLastRun"));
    // A text field keeps Ctrl+Z for its own text: it takes the key first.
    m_undoLast->setShortcut(QKeySequence::Undo);
    m_history = new QAction(tr("History…"), menu);
    m_history->setObjectName(QStringLiteral("showHistory"));
    m_separator = new QAction(menu);
    m_separator->setSeparator(true);
    menu->insertActions(first, {m_undoLast, m_history, m_separator});
    window->addActions({m_undoLast, m_history});
    connect(m_undoLast, &QAction::triggered, this, &UndoActions::undoLastRun);
    connect(m_history, &QAction::triggered, this, &UndoActions::showHistory);
    connect(menu, &QMenu::aboutToShow, this, &UndoActions::refresh);
    refresh();
}

void UndoActions::refresh()
{
    RunJournal journal;
    const bool open = journal.open();
    const bool any = open && !journal.runs().isEmpty();
    m_history->setVisible(any);
    m_separator->setVisible(any);
    m_undoLast->setVisible(any);
    m_undoLast->setEnabled(open && journal.lastUndoable() && !m_running);
    if (m_historyWindow)
        m_historyWindow->reload();
}

void UndoActions::undoLastRun()
{
    RunJournal journal;
    if (!journal.open())
        return;
    if (const std::optional<RunJournal::Run> last = journal.lastUndoable())
        undo(last->id);
}

void UndoActions::showHistory()
{
    if (!m_historyWindow) {
        m_historyWindow = new HistoryWindow(m_window);
        m_historyWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_historyWindow, &HistoryWindow::undoRequested, this, &UndoActions::undo);
    }
    m_historyWindow->reload();
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

void UndoActions::undo(qint64 run)
{
    QWidget *view = m_toolView ? m_toolView() : nullptr;
    if (m_running || !view)
        return;
    m_running = true;
    m_undoLast->setEnabled(false);
    QPointer<UndoActions> self(this);
    UndoRun::start(view, run, [self, view = QPointer<QWidget>(view)](const UndoRun::Report &report) {
        if (!self)
            return;
        self->m_running = false;
        self->refresh();
        auto *box = new QMessageBox(QMessageBox::Information, tr("Undo"), UndoRun::describe(report), QMessageBox::Ok,
                                    view ? view->window() : self->m_window);
        box->setObjectName(QStringLiteral("undoReport"));
        box->setWindowModality(Qt::WindowModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        emit self->undone();
    });
}
