#include "tracks/lists/TrackListModel.h"

#include "app/common/FileNames.h"
#include "tracks/files/FileDates.h"
#include "tracks/files/ID3Parser.h"

#include <QLocale>
#include <QMutexLocker>

#include <optional>
#include <utility>

namespace {
QVariant dateValue(const std::optional<FileTime> &time)
{
    return time ? QVariant(time->toDateTime()) : QVariant();
}
} // namespace

QString trackListDateText(const QDateTime &date)
{
    if (!date.isValid())
        return {};
    const QLocale locale;
    QString time = locale.timeFormat(QLocale::ShortFormat);
    // Runs space files one second apart, so the seconds must show.
    if (!time.contains(QLatin1Char('s'))) {
        const qsizetype minutes = time.lastIndexOf(QLatin1String("mm"));
        if (minutes >= 0)
            time.insert(minutes + 2, QLatin1String(":ss"));
        else
            time += QLatin1String(":ss");
    }
    return locale.toString(date.toLocalTime(), locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + time);
}

TrackListModel::TrackListModel(QObject *parent) : QAbstractTableModel(parent) {}

void TrackListModel::setCurrentAction(int action)
{
    if (action == m_action)
        return;
    beginResetModel();
    m_action = action;
    {
        QMutexLocker lock(&m_mutex);
        m_previews.clear();
    }
    endResetModel();
    emit previewsNeeded();
}

QList<QUrl> TrackListModel::files() const
{
    QMutexLocker lock(&m_mutex);
    return m_files;
}

void TrackListModel::setFiles(const QList<QUrl> &files)
{
    beginResetModel();
    {
        QMutexLocker lock(&m_mutex);
        m_files = files;
        m_previews.clear();
        rebuildIndex();
    }
    endResetModel();
    emit previewsNeeded();
}

QList<TrackObject> TrackListModel::tracks() const
{
    QMutexLocker lock(&m_mutex);
    return m_tracks;
}

void TrackListModel::setTracks(const QList<TrackObject> &tracks)
{
    beginResetModel();
    {
        QMutexLocker lock(&m_mutex);
        m_tracks = tracks;
        m_previews.clear();
        rebuildIndex();
    }
    endResetModel();
    emit previewsNeeded();
}

void TrackListModel::updateTrack(int row, const TrackObject &track)
{
    QMutexLocker lock(&m_mutex);
    if (row < 0 || row >= m_tracks.size())
        return;
    // The location stays the same for an update, so the duplicate index holds.
    if (m_tracks[row].location != track.location) {
        m_tracks[row] = track;
        rebuildIndex();
    } else {
        m_tracks[row] = track;
    }
}

int TrackListModel::count() const
{
    QMutexLocker lock(&m_mutex);
    return int(holdsTracks(m_action) ? m_tracks.size() : m_files.size());
}

void TrackListModel::rebuildIndex()
{
    m_fileSet = QSet<QUrl>(m_files.cbegin(), m_files.cend());
    m_trackLocations.clear();
    for (const TrackObject &track : std::as_const(m_tracks))
        if (!track.location.isEmpty())
            m_trackLocations.insert(track.location);
}

int TrackListModel::addFiles(const QList<QUrl> &urls)
{
    QList<QUrl> fresh;
    QSet<QUrl> seen;
    {
        QMutexLocker lock(&m_mutex);
        for (const QUrl &url : urls) {
            if (m_fileSet.contains(url) || seen.contains(url))
                continue;
            seen.insert(url);
            fresh.append(url);
        }
    }
    if (fresh.isEmpty())
        return 0;
    const bool shown = !holdsTracks(m_action);
    const int first = int(m_files.size());
    if (shown)
        beginInsertRows({}, first, first + int(fresh.size()) - 1);
    {
        QMutexLocker lock(&m_mutex);
        m_files.append(fresh);
        m_fileSet.unite(seen);
        if (shown)
            m_previews.clear();
    }
    if (shown) {
        endInsertRows();
        emit previewsNeeded();
    }
    return int(fresh.size());
}

bool TrackListModel::containsFile(const QUrl &url) const
{
    QMutexLocker lock(&m_mutex);
    return m_fileSet.contains(url);
}

bool TrackListModel::addTrack(const TrackObject &track)
{
    return addTracks({track}) == 1;
}

int TrackListModel::addTracks(const QList<TrackObject> &tracks)
{
    QList<TrackObject> fresh;
    QSet<QUrl> seen;
    {
        QMutexLocker lock(&m_mutex);
        for (const TrackObject &track : tracks) {
            // A track without a file equals nothing and is always listed.
            if (!track.location.isEmpty()) {
                if (m_trackLocations.contains(track.location) || seen.contains(track.location))
                    continue;
                seen.insert(track.location);
            }
            fresh.append(track);
        }
    }
    if (fresh.isEmpty())
        return 0;
    const bool shown = holdsTracks(m_action);
    const int first = int(m_tracks.size());
    if (shown)
        beginInsertRows({}, first, first + int(fresh.size()) - 1);
    {
        QMutexLocker lock(&m_mutex);
        m_tracks.append(fresh);
        m_trackLocations.unite(seen);
        if (shown)
            m_previews.clear();
    }
    if (shown) {
        endInsertRows();
        emit previewsNeeded();
    }
    return int(fresh.size());
}

void TrackListModel::removeItemsAt(const QList<int> &rowsLastFirst)
{
    if (rowsLastFirst.isEmpty())
        return;
    beginResetModel();
    {
        QMutexLocker lock(&m_mutex);
        for (int row : rowsLastFirst) {
            if (holdsTracks(m_action) && row >= 0 && row < m_tracks.size())
                m_tracks.removeAt(row);
            else if (!holdsTracks(m_action) && row >= 0 && row < m_files.size())
                m_files.removeAt(row);
        }
        m_previews.clear();
        rebuildIndex();
    }
    endResetModel();
    emit previewsNeeded();
}

void TrackListModel::clear()
{
    beginResetModel();
    {
        QMutexLocker lock(&m_mutex);
        m_files.clear();
        m_tracks.clear();
        m_failures.clear();
        m_previews.clear();
        rebuildIndex();
    }
    endResetModel();
    emit previewsNeeded();
}

void TrackListModel::setOutcome(const QList<QUrl> &items, const QHash<QUrl, QString> &failures)
{
    QMutexLocker lock(&m_mutex);
    for (const QUrl &item : items) {
        const QString reason = failures.value(item);
        if (reason.isEmpty())
            m_failures.remove(item);
        else
            m_failures.insert(item, reason);
    }
}

QString TrackListModel::failureOf(const QUrl &item) const
{
    QMutexLocker lock(&m_mutex);
    return m_failures.value(item);
}

void TrackListModel::setLibraryDates(const QHash<QUrl, QDateTime> &dates)
{
    {
        QMutexLocker lock(&m_mutex);
        m_libraryDates.insert(dates);
    }
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 2), index(rows - 1, 2));
}

QVariant TrackListModel::libraryDateValue(const QUrl &url) const
{
    QMutexLocker lock(&m_mutex);
    const auto known = m_libraryDates.constFind(url);
    if (known == m_libraryDates.cend())
        return {};
    return known->isValid() ? QVariant(*known) : QVariant(tr("Not in the library"));
}

QDateTime TrackListModel::toDate() const
{
    QMutexLocker lock(&m_mutex);
    return m_toDate;
}

void TrackListModel::setToDate(const QDateTime &date)
{
    QMutexLocker lock(&m_mutex);
    m_toDate = date;
}

void TrackListModel::setPreviews(const QList<QVariant> &previews)
{
    QList<QVariant> before;
    {
        QMutexLocker lock(&m_mutex);
        before = std::exchange(m_previews, previews);
    }
    // A change of selection in a long list touches a few rows only.
    const int column = previewColumn(m_action);
    const int rows = rowCount();
    int first = -1;
    for (int row = 0; row <= rows; ++row) {
        const bool changed = row < rows && before.value(row) != previews.value(row);
        if (changed && first < 0) {
            first = row;
        } else if (!changed && first >= 0) {
            emit dataChanged(index(first, column), index(row - 1, column));
            first = -1;
        }
    }
}

QList<QVariant> TrackListModel::previews() const
{
    QMutexLocker lock(&m_mutex);
    return m_previews;
}

QVariant TrackListModel::previewAt(int row) const
{
    QMutexLocker lock(&m_mutex);
    return m_previews.value(row);
}

void TrackListModel::reloadAll()
{
    const int rows = rowCount();
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, columns - 1));
}

void TrackListModel::reloadRows(const QList<int> &rows, int column)
{
    const int n = rowCount();
    if (column < 0 || column >= columns)
        return;
    for (int row : rows)
        if (row >= 0 && row < n)
            emit dataChanged(index(row, column), index(row, column));
}

int TrackListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int TrackListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns;
}

TrackListModel::CellKind TrackListModel::cellKind(int action, int column)
{
    if (column == previewColumn(action) && (action == SMD || action == CCD || action == TN || action == DateAdded))
        return DatePreviewCellKind;
    if (column == 2 && action == Rating)
        return RatingCellKind;
    return TextCell;
}

QVariant TrackListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == CellKindRole)
        return cellKind(m_action, index.column());
    if (role != Qt::DisplayRole && role != PreviewRole && role != StarsRole && role != Qt::ToolTipRole
        && role != FailureRole)
        return {};
    if (holdsTracks(m_action)) {
        TrackObject track;
        {
            QMutexLocker lock(&m_mutex);
            if (index.row() >= m_tracks.size())
                return {};
            track = m_tracks.at(index.row());
        }
        return trackValue(index.row(), track, index.column(), role);
    }
    QUrl url;
    {
        QMutexLocker lock(&m_mutex);
        if (index.row() >= m_files.size())
            return {};
        url = m_files.at(index.row());
    }
    return fileValue(index.row(), url, index.column(), role);
}

int TrackListModel::previewColumn(int action)
{
    return holdsTracks(action) || action == DateAdded ? 2 : 1;
}

namespace {
bool previewsDates(int action)
{
    return TrackListModel::cellKind(action, TrackListModel::previewColumn(action)) == TrackListModel::DatePreviewCellKind;
}

// What the outcome cell shows. A date preview spans the width of two dates,
// room for the reason too; the other outcome cells are one value wide and
// leave the reason to their tooltip.
QString notChanged(int action, const QString &reason)
{
    if (!previewsDates(action))
        return TrackListModel::tr("not changed");
    QString shown = reason;
    if (shown.size() > 1 && shown.at(1).isLower())
        shown[0] = shown.at(0).toLower(); // "Permission denied" reads on after the colon
    return TrackListModel::tr("not changed: %1").arg(shown);
}

// A row's value in the preview column of an item the last run could not
// change: it says so in place of what the row would become. Empty where the
// row shows what it always shows. The item's name is made only for a tooltip.
template<typename ItemName>
std::optional<QVariant> failureValue(int action, const QString &reason, int column, int role, ItemName item)
{
    if (role == TrackListModel::FailureRole)
        return reason.isEmpty() ? QVariant() : QVariant(reason);
    if (reason.isEmpty() || column != TrackListModel::previewColumn(action))
        return std::nullopt;
    switch (role) {
    case Qt::ToolTipRole:
        return TrackListModel::tr("%1 was not changed: %2").arg(item(), reason);
    case TrackListModel::StarsRole:
        return QVariant(QMetaType::fromType<int>()); // no stars, the text instead
    case TrackListModel::PreviewRole:
        return previewsDates(action) ? QVariant(notChanged(action, reason)) : QVariant();
    case Qt::DisplayRole:
        if (!previewsDates(action))
            return QVariant(notChanged(action, reason));
        break;
    }
    return std::nullopt;
}
} // namespace

QVariant TrackListModel::fileValue(int row, const QUrl &url, int column, int role) const
{
    const auto name = [&url] { return FileNames::shownPath(url); };
    if (const auto failed = failureValue(m_action, failureOf(url), column, role, name))
        return *failed;
    if (role == Qt::ToolTipRole)
        return column == 0 ? QVariant(FileNames::shownPath(url)) : QVariant();
    if (role == StarsRole)
        return {};
    if (role == PreviewRole) {
        if (column != previewColumn(m_action))
            return {};
        if (m_action == SMD) {
            const QDateTime date = toDate();
            return date.isValid() ? QVariant(date) : QVariant();
        }
        if (m_action == CCD) {
            // As the run does: a file without a birth time keeps its date.
            if (const std::optional<FileTime> created = FileDates::creationDate(url))
                return created->toDateTime();
            return FileDates::modificationDate(url) ? QVariant(tr("no creation date")) : QVariant();
        }
        return previewAt(row);
    }
    switch (column) {
    case 0:
        return FileNames::shownName(url);
    case 1:
        if (m_action == DateAdded)
            return ID3Parser::getAudioFileTrackNumber(url);
        return dateValue(FileDates::modificationDate(url));
    case 2:
        if (m_action == TN)
            return ID3Parser::getAudioFileTrackNumber(url);
        if (m_action == DateAdded)
            return libraryDateValue(url);
        return dateValue(FileDates::creationDate(url));
    }
    return {};
}

QVariant TrackListModel::trackValue(int row, const TrackObject &track, int column, int role) const
{
    const auto name = [&track] { return QStringLiteral("“%1”").arg(track.name); };
    if (const auto failed = failureValue(m_action, failureOf(track.location), column, role, name))
        return *failed;
    if (role == Qt::ToolTipRole)
        return column == 0 ? QVariant(FileNames::shownPath(track.location)) : QVariant();
    if (role == PreviewRole)
        return column == previewColumn(m_action) ? previewAt(row) : QVariant();
    if (role == StarsRole)
        return column == 2 && m_action == Rating ? QVariant(track.rating / 20) : QVariant();
    switch (column) {
    case 0:
        return track.name;
    case 1:
        return track.artist;
    case 2:
        if (m_action == PlayCount)
            return track.plays;
        return {};
    }
    return {};
}

QVariant TrackListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns)
        return {};
    static const char *const fileHeaders[][3] = {
        {"Name", "Date Modified", "Date Created"},  // SMD
        {"Name", "Date Modified", "Date Created"},  // CCD
        {"Name", "Date Modified", "Track"},         // TN
    };
    switch (m_action) {
    case SMD:
    case CCD:
    case TN:
        return tr(fileHeaders[m_action][section]);
    case PlayCount:
        return QStringList{tr("Name"), tr("Artist"), tr("Plays")}.at(section);
    case Rating:
        return QStringList{tr("Name"), tr("Artist"), tr("Rating")}.at(section);
    case DateAdded:
        return QStringList{tr("Name"), tr("Track"), tr("In the Library Since")}.at(section);
    }
    return {};
}
