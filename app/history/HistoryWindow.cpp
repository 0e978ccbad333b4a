#include "app/history/HistoryWindow.h"

#include "app/common/Utils.h"
#include "style/Palette.h"
#include "tracks/journal/RunJournal.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { Tool, When, Items, Changed, Action, Columns };
} // namespace

HistoryWindow::HistoryWindow(QWidget *parent) : QDialog(parent), m_table(new QTableWidget(this))
{
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(tr("History"));
    Palette::setColour(this, {QPalette::Window, QPalette::Base}, Utils::ColorBG());
    Palette::setColour(this, {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}, Utils::ColorSidebar());
    Palette::setColour(this, {QPalette::Button}, Utils::ColorTab());
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setColumnCount(Columns);
    m_table->setHorizontalHeaderLabels({tr("Run"), tr("When"), tr("Items"), tr("Changed"), QString()});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->horizontalHeader()->setSectionResizeMode(Tool, QHeaderView::Stretch);
    for (int column : {When, Items, Changed, Action})
        m_table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    resize(720, 420);
    reload();
}

void HistoryWindow::reload()
{
    RunJournal journal;
    const QList<RunJournal::Run> runs = journal.open() ? journal.runs() : QList<RunJournal::Run>();
    m_table->setRowCount(int(runs.size()));
    const QLocale locale;
    for (int row = 0; row < runs.size(); ++row) {
        const RunJournal::Run &run = runs.at(row);
        const auto cell = [this, row](int column, const QString &text) {
            auto *item = new QTableWidgetItem(text);
            if (column == Items || column == Changed)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, column, item);
        };
        cell(Tool, run.tool);
        cell(When, locale.toString(QDateTime::fromMSecsSinceEpoch(run.startedMs), QLocale::ShortFormat));
        cell(Items, QString::number(run.items));
        // A run that never ended (the program was killed) changed an unknown
        // part of its items; undo still finds them by their values.
        cell(Changed, run.changed < 0 ? tr("unfinished") : QString::number(run.changed));
        if (!run.undoable()) {
            cell(Action, tr("Not undoable: handed %1 files to the library").arg(run.changed < 0 ? run.items : run.changed));
            continue;
        }
        auto *undo = new QPushButton(run.undone ? tr("Undo Again") : tr("Undo"));
        undo->setObjectName(QStringLiteral("undoRun%1").arg(run.id));
        connect(undo, &QPushButton::clicked, this, [this, id = run.id] { emit undoRequested(id); });
        m_table->setCellWidget(row, Action, undo);
    }
}
