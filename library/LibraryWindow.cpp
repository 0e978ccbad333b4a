#include "library/LibraryWindow.h"

#include "library/AddDialogs.h"
#include "library/MusicLibrary.h"
#include "library/TrackStore.h"
#include "library/TrackTableModel.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>

namespace {
const QString geometryKey = QStringLiteral("window/geometry");
const QString sortColumnKey = QStringLiteral("window/sortColumn");
const QString sortOrderKey = QStringLiteral("window/sortOrder");
} // namespace

LibraryWindow::LibraryWindow(MusicLibrary *library, QWidget *parent)
    : QMainWindow(parent),
      m_library(library),
      m_table(new QTableView(this)),
      m_search(new QLineEdit(this)),
      m_chooseFiles(&AddDialogs::chooseFiles),
      m_chooseFolder(&AddDialogs::chooseFolder)
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

    auto *addFiles = new QAction(tr("Add Files…"), this);
    addFiles->setObjectName(QStringLiteral("addFilesAction"));
    addFiles->setIconText(tr("Add Files"));
    addFiles->setShortcut(QKeySequence::Open);
    connect(addFiles, &QAction::triggered, this, [this] { addChosen(m_chooseFiles); });
    auto *addFolder = new QAction(tr("Add Folder…"), this);
    addFolder->setObjectName(QStringLiteral("addFolderAction"));
    addFolder->setIconText(tr("Add Folder"));
    connect(addFolder, &QAction::triggered, this, [this] { addChosen(m_chooseFolder); });
    auto *quit = new QAction(tr("Quit"), this);
    quit->setObjectName(QStringLiteral("quitAction"));
    // Ctrl+Q where the platform names no key of its own for quitting.
    const QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    quit->setShortcuts(quitKeys.isEmpty() ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)} : quitKeys);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit);

    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(addFiles);
    file->addAction(addFolder);
    file->addSeparator();
    file->addAction(quit);

    m_search->setObjectName(QStringLiteral("searchField"));
    m_search->setPlaceholderText(tr("Search"));
    m_search->setClearButtonEnabled(true);
    m_search->setMaximumWidth(260);
    connect(m_search, &QLineEdit::textChanged, library, &MusicLibrary::setFilterText);
    // A track revealed while the filter hid it clears the filter.
    connect(library, &MusicLibrary::filterTextChanged, m_search, [this](const QString &text) {
        if (m_search->text() != text)
            m_search->setText(text);
    });
    auto *find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, m_search, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    addAction(find);

    QToolBar *bar = addToolBar(tr("Tracks"));
    bar->setObjectName(QStringLiteral("tracksBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction(addFiles);
    bar->addAction(addFolder);
    auto *gap = new QWidget(bar);
    gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(gap);
    bar->addWidget(m_search);
    // The one bar stays: no menu to hide it, and nothing to bring it back.
    setContextMenuPolicy(Qt::NoContextMenu);

    connect(library, &MusicLibrary::revealed, this,
            [this](const QModelIndex &index) { m_table->scrollTo(index, QAbstractItemView::EnsureVisible); });
    // Tracks in the window change with the filter, tracks in all with adding.
    QAbstractItemModel *shown = library->windowModel();
    connect(shown, &QAbstractItemModel::rowsInserted, this, &LibraryWindow::updateTitle);
    connect(shown, &QAbstractItemModel::rowsRemoved, this, &LibraryWindow::updateTitle);
    connect(shown, &QAbstractItemModel::modelReset, this, &LibraryWindow::updateTitle);
    connect(library->store(), &TrackStore::trackInserted, this, &LibraryWindow::updateTitle);
    updateTitle();
    restoreSettings();
}

LibraryWindow::~LibraryWindow()
{
    saveSettings();
}

void LibraryWindow::setChoosers(Chooser files, Chooser folder)
{
    m_chooseFiles = std::move(files);
    m_chooseFolder = std::move(folder);
}

void LibraryWindow::addChosen(const Chooser &choose)
{
    const QList<QUrl> chosen = choose(this);
    if (chosen.isEmpty())
        return;
    // Added the way dropped files and folders are.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const int added = m_library->addPaths(chosen);
    QGuiApplication::restoreOverrideCursor();
    statusBar()->showMessage(added == 0   ? tr("No new tracks")
                             : added == 1 ? tr("1 track added")
                                          : tr("%1 tracks added").arg(added),
                             5000);
}

void LibraryWindow::updateTitle()
{
    const qsizetype all = m_library->store()->tracks().size();
    const int shown = m_library->windowModel()->rowCount();
    const QString tracks = all == 1 ? tr("1 track") : tr("%1 tracks").arg(all);
    setWindowTitle(shown < all ? tr("Music Library — %1 of %2").arg(shown).arg(tracks)
                               : tr("Music Library — %1").arg(tracks));
}

void LibraryWindow::restoreSettings()
{
    const QSettings settings;
    if (!restoreGeometry(settings.value(geometryKey).toByteArray()))
        resize(1240, 520);
    const int column = settings.value(sortColumnKey, -1).toInt();
    const Qt::SortOrder order =
        settings.value(sortOrderKey).toInt() == Qt::DescendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    if (column >= 0 && column < TrackTableModel::ColumnCount)
        m_table->sortByColumn(column, order);
}

void LibraryWindow::saveSettings() const
{
    QSettings settings;
    settings.setValue(geometryKey, saveGeometry());
    settings.setValue(sortColumnKey, m_table->horizontalHeader()->sortIndicatorSection());
    settings.setValue(sortOrderKey, int(m_table->horizontalHeader()->sortIndicatorOrder()));
}
