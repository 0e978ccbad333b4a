#include "library/LibraryWindow.h"

#include "library/MusicLibrary.h"
#include "library/TrackStore.h"
#include "library/TrackTableModel.h"

#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QTableView>

LibraryWindow::LibraryWindow(MusicLibrary *library, QWidget *parent)
    : QMainWindow(parent), m_library(library), m_table(new QTableView(this))
{
    m_table->setModel(library->windowModel());
    m_table->setSelectionModel(library->selectionModel());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // No sort column at first: the window starts in library order.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);

    m_table->setDragEnabled(true);
    m_table->setAcceptDrops(true);
    m_table->setDragDropMode(QAbstractItemView::DragDrop);
    m_table->setDefaultDropAction(Qt::CopyAction);
    m_table->setDropIndicatorShown(false);
    m_table->setDragDropOverwriteMode(false);

    const int widths[TrackTableModel::ColumnCount] = {190, 140, 150, 44, 140, 140, 50, 70, 300};
    for (int c = 0; c < TrackTableModel::ColumnCount; ++c)
        m_table->setColumnWidth(c, widths[c]);

    setCentralWidget(m_table);
    resize(1240, 520);

    connect(library, &MusicLibrary::revealed, this,
            [this](const QModelIndex &index) { m_table->scrollTo(index, QAbstractItemView::EnsureVisible); });
    connect(library->windowModel(), &QAbstractItemModel::rowsInserted, this, &LibraryWindow::updateTitle);
    updateTitle();
}

void LibraryWindow::updateTitle()
{
    const qsizetype n = m_library->store()->tracks().size();
    setWindowTitle(n == 1 ? tr("Music Library — 1 track") : tr("Music Library — %1 tracks").arg(n));
}
