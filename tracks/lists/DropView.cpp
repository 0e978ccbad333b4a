#include "tracks/lists/DropView.h"

#include "app/common/FileNames.h"
#include "app/common/Utils.h"
#include "app/common/WhenReady.h"
#include "style/FadeVeil.h"
#include "style/Motion.h"
#include "tracks/files/FolderFiles.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/lists/DatePreviewCell.h"
#include "tracks/lists/RatingCell.h"
#include "tracks/lists/SimpleTextCell.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QTableView>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <QVariantAnimation>

namespace {
// The library's selected tracks, nothing when it is not running. Called off
// the main thread: a library that hangs keeps the call waiting for as long
// as the bridge's timeout.
QList<TrackObject> readLibrarySelection()
{
    const ITunesApplication library = ITunesApplication::iTunes();
    if (!library.isRunning())
        return {};
    const QList<ITunesTrack> selected = library.selection().get();
    QList<TrackObject> tracks;
    tracks.reserve(selected.size());
    for (const ITunesTrack &track : selected)
        tracks.append(TrackObject::initWithName(track.name(), track.artist(), track.location(),
                                                track.playedCount(), track.rating()));
    return tracks;
}
} // namespace

DropView::DropView(QWidget *parent)
    : QWidget(parent), m_model(new TrackListModel(this)), m_textCell(new SimpleTextCell(this)),
      m_previewCell(new DatePreviewCell(this)), m_ratingCell(new RatingCell(this)),
      m_fade(new QVariantAnimation(this))
{
    setAcceptDrops(true);
    m_ratingCell->watchModel(m_model);

    // Fading the children over the ColorBorder fill is drawn as a ColorBorder
    // veil above them.
    auto *veil = new FadeVeil(this, Utils::ColorBorder(), FadeVeil::OverChildren);
    m_fade->setDuration(Motion::fadeMs);
    connect(m_fade, &QVariantAnimation::valueChanged, this,
            [veil](const QVariant &alpha) { veil->setPageOpacity(alpha.toReal()); });
}

DropView::~DropView() = default;

void DropView::attachTable(QTableView *table)
{
    m_table = table;
    if (!table)
        return;
    table->setModel(m_model);
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Fixed heights let the view skip measuring rows it does not show.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setMinimumSectionSize(1);
    table->verticalHeader()->setDefaultSectionSize(SimpleTextCell::rowHeight);
    table->verticalHeader()->hide();
    applyDelegates();
}

void DropView::setCurrentAction(int action)
{
    m_model->setCurrentAction(action);
    applyDelegates();
}

int DropView::currentAction() const
{
    return m_model->currentAction();
}

void DropView::applyDelegates()
{
    if (!m_table)
        return;
    for (int column = 0; column < TrackListModel::columns; ++column) {
        QAbstractItemDelegate *cell = m_textCell;
        switch (TrackListModel::cellKind(currentAction(), column)) {
        case TrackListModel::DatePreviewCellKind:
            cell = m_previewCell;
            break;
        case TrackListModel::RatingCellKind:
            cell = m_ratingCell;
            break;
        case TrackListModel::TextCell:
            break;
        }
        m_table->setItemDelegateForColumn(column, cell);
    }
}

void DropView::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    setSubviewsAlpha(highlighted ? 0.5 : 1.0);
    update();
}

void DropView::setSubviewsAlpha(qreal alpha)
{
    if (qFuzzyCompare(alpha, m_alpha) && m_fade->state() != QAbstractAnimation::Running)
        return;
    const QVariant from = m_fade->state() == QAbstractAnimation::Running ? m_fade->currentValue() : QVariant(m_alpha);
    m_alpha = alpha;
    m_fade->stop();
    m_fade->setStartValue(from);
    m_fade->setEndValue(alpha);
    m_fade->start();
}

void DropView::cleanTable(QTableView *table)
{
    m_model->clear();
    if (table && table->model() != m_model)
        table->reset();
}

void DropView::getSelection()
{
    // Reads go one after the other, each listed before the next starts, so
    // the lists grow in the order the drops came.
    // A read starts when the one before has ended, however that ended.
    m_selectionTaken = QtConcurrent::run([before = m_selectionTaken]() mutable {
        before.waitForFinished();
        return readLibrarySelection();
    });
    whenReady(m_selectionTaken, this, [this](const QList<TrackObject> &tracks) { listSelection(tracks); });
}

void DropView::listSelection(const QList<TrackObject> &tracks)
{
    // One insertion for the whole selection, however large it is.
    m_model->addTracks(tracks);
    if (!tracks.isEmpty() && m_delegate) {
        QList<QUrl> locations;
        locations.reserve(tracks.size());
        for (const TrackObject &track : tracks)
            locations.append(track.location);
        m_delegate->fileDropped(locations, this);
    }
    emit selectionTaken();
}

bool DropView::takeDrop(const QMimeData *mime)
{
    return takeFiles(mime ? mime->urls() : QList<QUrl>());
}

bool DropView::takeFiles(const QList<QUrl> &urls)
{
    setHighlighted(false);
    if (!m_allowDrop)
        return false;
    if (TrackListModel::holdsTracks(currentAction())) {
        // The drag is only a trigger; the library's selection is what counts.
        QTimer::singleShot(100, this, &DropView::getSelection);
        return true;
    }
    QList<QUrl> dropped;
    dropped.reserve(urls.size());
    // Each file by the bytes of its name, spelled one way; a name holding a
    // NUL would reach another file and is refused.
    for (const QUrl &url : urls) {
        const QByteArray path = FileNames::pathOf(url);
        if (!path.isEmpty())
            dropped.append(FileNames::urlOf(path));
    }
    // A folder stands for the audio files it holds.
    dropped = FolderFiles::expanded(dropped);
    addFilesToArray(dropped);
    if (!dropped.isEmpty() && m_delegate)
        m_delegate->fileDropped(dropped, this);
    return true;
}

void DropView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->possibleActions().testFlag(Qt::CopyAction))
        setHighlighted(true);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropView::dragLeaveEvent(QDragLeaveEvent *event)
{
    setHighlighted(false);
    event->accept();
}

void DropView::dropEvent(QDropEvent *event)
{
    if (takeDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
    update();
}

void DropView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_highlighted ? Utils::ColorBorder() : Utils::ColorBG());
}
