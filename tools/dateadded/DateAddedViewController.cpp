#include "tools/dateadded/DateAddedViewController.h"
#include "ui_DateAddedViewController.h"

#include "app/common/Utils.h"
#include "app/common/WhenReady.h"
#include "style/ButtonArtwork.h"
#include "style/ChoiceGroup.h"
#include "style/Palette.h"
#include "style/SlidingBackButton.h"
#include "style/ToolHeader.h"
#include "tracks/runs/HandOverPreview.h"
#include "tools/dateadded/HandOverReport.h"
#include "tracks/files/AlbumOrder.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/lists/BatchRun.h"
#include "tracks/lists/DatePreviewCell.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/TrackListModel.h"
#include "tracks/lists/TrackListPane.h"
#include "tracks/runs/HandOver.h"
#include "tracks/runs/HandOverRun.h"
#include "tracks/runs/StopFlag.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QHeaderView>
#include <QMessageBox>
#include <QTableView>
#include <QtConcurrent/QtConcurrentRun>

// What the worker of one run finds out, read by the end step.

DateAddedViewController::DateAddedViewController(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::DateAddedViewController>())
{
    ui->setupUi(this);
    awakeFromNib();
}

DateAddedViewController::~DateAddedViewController() = default;

TrackListPane *DateAddedViewController::pane() const
{
    return ui->pane;
}

DropView *DateAddedViewController::dropView() const
{
    return ui->pane->dropView();
}

QTableView *DateAddedViewController::tableView() const
{
    return ui->pane->tableView();
}

void DateAddedViewController::awakeFromNib()
{
    dressToolHeader(this, ui->tabTitle, ui->img);
    // The tool has one page: its back button stays out of sight.
    new SlidingBackButton(ui->backButton, ui->header);

    ui->pane->setUp(5, this, QString());
    QHeaderView *header = ui->pane->tableView()->horizontalHeader();
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(2, QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->resizeSection(2, DatePreviewCell::columnWidth(QFontMetrics(ui->pane->tableView()->font())));

    // Track number tag nonzero, file name 0; first to last 0, last to first 1.
    m_radio1 = choiceGroup(this, "radio1", {ui->radioTrack, ui->radioName});
    m_radio2 = choiceGroup(this, "radio2", {ui->radioFirstToLast, ui->radioLastToFirst});
    ui->radioTrack->setChecked(true);
    ui->radioLastToFirst->setChecked(true);
    dressCaptions({ui->label1, ui->label2});
    connect(m_radio1, &QButtonGroup::idClicked, this, &DateAddedViewController::radioChanged);
    // Each row shows its place in the hand-over, whatever changes the list or the direction.
    const auto showPlaces = [this] {
        dropView()->model()->setPreviews(HandOverPreview::places(dropView()->count(), firstToLast()));
    };
    connect(m_radio2, &QButtonGroup::idToggled, this, showPlaces);
    connect(dropView()->model(), &TrackListModel::previewsNeeded, this, showPlaces);

    ButtonArtwork artwork;
    artwork.setButtonStyle(ui->setButton, true);
    ui->pane->addActionButton(ui->setButton);
    connect(ui->setButton, &QPushButton::clicked, this, &DateAddedViewController::setButtonClick);
}

bool DateAddedViewController::firstToLast() const
{
    return m_radio2->checkedId() == 0;
}

// ---- The list -------------------------------------------------------------

void DateAddedViewController::radioChanged()
{
    reOrderArray();
}

void DateAddedViewController::reOrderArray()
{
    const QList<QUrl> files = dropView()->files();
    if (files.isEmpty())
        return;
    const AlbumOrder::Key key = m_radio1->checkedId() != 0 ? AlbumOrder::Key::TrackNumber : AlbumOrder::Key::FileName;
    dropView()->setFiles(AlbumOrder::sorted(files, key));
    dropView()->reloadData();
}

void DateAddedViewController::fileDropped(const QList<QUrl> &items, DropView *sender)
{
    if (!sender)
        return;
    reOrderArray();
    showOrHideDropInfoImage(false);
    lookUpInLibrary(items);
}

void DateAddedViewController::lookUpInLibrary(const QList<QUrl> &files)
{
    // One question per file, off the main thread: a long list or a hung
    // library must not hold the window.
    const auto lookUp = QtConcurrent::run([files] {
        QHash<QUrl, QDateTime> dates;
        const ITunesApplication library = ITunesApplication::iTunes();
        if (!library.isRunning())
            return dates;
        for (const QUrl &file : files)
            if (const auto held = library.trackOfFile(file))
                dates.insert(file, held->track.isValid() ? held->dateAdded : QDateTime());
        return dates;
    });
    whenReady(lookUp, this, [this](const QHash<QUrl, QDateTime> &dates) {
        dropView()->model()->setLibraryDates(dates);
        emit libraryLookedUp();
    });
}

void DateAddedViewController::removeTableItem()
{
    ui->pane->removeTableItem();
}

void DateAddedViewController::clearTable()
{
    ui->pane->clearTable();
}

void DateAddedViewController::showOrHideDropInfoImage(bool show, int)
{
    ui->pane->showOrHideDropInfoImage(show);
}

// ---- The run --------------------------------------------------------------

void DateAddedViewController::setButtonClick()
{
    if (dropView()->count() > 0 && !m_run)
        startPerform();
}

void DateAddedViewController::startPerform()
{
    const QList<QUrl> files = dropView()->files();
    const int count = int(files.size());
    const bool forwards = firstToLast();
    const std::shared_ptr<HandOverRun::State> state = HandOverRun::prepare(files, forwards);
    auto stop = std::make_shared<StopFlag>();

    BatchRun::Steps steps;
    static_cast<RunSteps &>(steps) = HandOverRun::steps(state, stop);
    steps.stop = stop;
    steps.stoppable = true;
    steps.progressBeforeWork = true;
    steps.secondsLeft = [count](int k) { return count - k; };
    steps.barValue = [state, count, forwards](int k) { return HandOver::barValue(state->order.at(k), count, forwards); };
    QPointer<DateAddedViewController> self(this);
    steps.end = [self, state](const BatchRun::Failures &failed) {
        QHash<QUrl, QString> failures;
        for (auto it = failed.cbegin(); it != failed.cend(); ++it)
            failures.insert(state->files.at(state->order.at(it.key())), it.value());
        if (self)
            self->endRun(*state, failures);
    };
    m_run = BatchRun::start(this, std::move(steps));
}

void DateAddedViewController::endRun(const HandOverRun::State &state, const QHash<QUrl, QString> &failed)
{
    m_run = nullptr;
    if (!state.libraryRunning) {
        // Nothing was handed over: the list stays as it was.
        emit runFinished();
        return;
    }
    const QList<QUrl> handed = state.handedFiles();
    const QList<HandOver::Miss> misses = state.misses();
    QMessageBox *report = handOverReport(handed, misses, window());
    // A file the library did not add stays listed, saying why.
    QList<QUrl> done;
    for (const QUrl &file : std::as_const(handed))
        if (!failed.contains(file))
            done.append(file);
    if (!report) {
        finishRun(done, failed);
        return;
    }
    connect(report, &QDialog::finished, this, [this, done, failed] { finishRun(done, failed); });
    report->open();
}

void DateAddedViewController::finishRun(const QList<QUrl> &handed, const QHash<QUrl, QString> &failed)
{
    QList<QUrl> left = dropView()->files();
    for (const QUrl &file : handed)
        left.removeOne(file);
    dropView()->model()->setOutcome(failed.keys(), failed);
    if (left.isEmpty()) {
        clearTable();
    } else {
        dropView()->setFiles(left);
        dropView()->reloadData();
        lookUpInLibrary(left);
    }
    emit runFinished();
}
