#include "library/MusicLibrary.h"

#include "app/common/FileNames.h"
#include "library/TrackStore.h"
#include "library/TrackTableModel.h"
#include "protocol/LibraryProtocol.h"

#include <QDateTime>

#include <algorithm>

namespace {
// The window's model. Tracks dragged out go in the order the window shows
// them, not the order they were selected in. A filter lets in the tracks
// that hold every word of it.
class WindowOrderModel : public QSortFilterProxyModel
{
public:
    WindowOrderModel(TrackStore *store, QObject *parent) : QSortFilterProxyModel(parent), m_store(store) {}

    QString filterText() const { return m_text; }
    void setFilterText(const QString &text)
    {
        m_text = text;
        m_words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        invalidateFilter();
    }

    QMimeData *mimeData(const QModelIndexList &indexes) const override
    {
        QModelIndexList inWindowOrder = indexes;
        std::stable_sort(inWindowOrder.begin(), inWindowOrder.end(),
                         [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
        return QSortFilterProxyModel::mimeData(inWindowOrder);
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &) const override
    {
        if (m_words.isEmpty())
            return true;
        const TrackRecord &t = m_store->tracks().at(sourceRow);
        const QString fileName = FileNames::shownName(QUrl(t.location));
        for (const QString &word : m_words)
            if (!t.name.contains(word, Qt::CaseInsensitive) && !t.artist.contains(word, Qt::CaseInsensitive)
                && !t.album.contains(word, Qt::CaseInsensitive) && !fileName.contains(word, Qt::CaseInsensitive))
                return false;
        return true;
    }

private:
    TrackStore *m_store;
    QString m_text;
    QStringList m_words;
};

WindowOrderModel *windowOrder(QSortFilterProxyModel *proxy)
{
    return static_cast<WindowOrderModel *>(proxy);
}
} // namespace

MusicLibrary::MusicLibrary(TrackStore *store, QObject *parent)
    : QObject(parent),
      m_store(store),
      m_model(new TrackTableModel(store, this)),
      m_proxy(new WindowOrderModel(store, this)),
      m_selection(new QItemSelectionModel(m_proxy, this))
{
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(TrackTableModel::SortRole);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setDynamicSortFilter(true);
    connect(m_model, &TrackTableModel::filesDropped, this, [this](const QList<QUrl> &urls) { addPaths(urls); });
}

QString MusicLibrary::locationFor(const QUrl &url)
{
    // The file as the kernel reaches it: links and ".." resolved in the
    // order the kernel takes them, so one file is one track however it is
    // spelled. A file that is not there keeps its cleaned spelling. The name
    // stays the bytes it is; a NUL would end it early and is refused.
    const QByteArray path = FileNames::pathOf(url);
    if (path.isEmpty())
        return {};
    return FileNames::urlOf(FileNames::resolved(path)).toString(QUrl::FullyEncoded);
}

QString MusicLibrary::cleanedLocationFor(const QUrl &url)
{
    const QByteArray path = FileNames::pathOf(url);
    if (path.isEmpty())
        return {};
    return FileNames::urlOf(FileNames::cleaned(path)).toString(QUrl::FullyEncoded);
}

qint64 MusicLibrary::trackIdOf(const QUrl &url) const
{
    if (const qint64 id = m_store->idForLocation(locationFor(url)))
        return id;
    // A library made before locations were resolved may hold the file under
    // the spelling it was added with.
    return m_store->idForLocation(cleanedLocationFor(url));
}

qint64 MusicLibrary::addFile(const QUrl &url)
{
    const QString location = locationFor(url);
    if (location.isEmpty())
        return 0;
    if (const qint64 existing = trackIdOf(url))
        return existing;
    const auto info = AudioFileInfo::read(FileNames::pathOf(QUrl(location)));
    if (!info)
        return 0;
    TrackRecord record;
    record.name = info->name;
    record.artist = info->artist;
    record.album = info->album;
    record.trackNumber = info->trackNumber;
    record.location = location;
    record.dateAdded = QDateTime::currentMSecsSinceEpoch();
    record.dateModified = info->modifiedMs;
    const qint64 id = m_store->insert(record);
    if (id)
        rememberStamp(id, info->stamp);
    return id;
}

int MusicLibrary::addPaths(const QList<QUrl> &urls)
{
    const qsizetype before = m_store->tracks().size();
    for (const QUrl &url : urls) {
        const QByteArray path = FileNames::pathOf(url);
        if (FileNames::kindOf(path) != FileNames::Kind::Folder) {
            addFile(url);
            continue;
        }
        for (const QByteArray &file : FileNames::filesUnder(FileNames::cleaned(path)))
            addFile(FileNames::urlOf(file));
    }
    return int(m_store->tracks().size() - before);
}

int MusicLibrary::setPlayedCount(qint64 id, int count)
{
    const TrackRecord *current = m_store->track(id);
    if (!current)
        return -1;
    TrackRecord next = *current;
    next.playedCount = TrackRecord::clampPlayedCount(count);
    return m_store->update(next) ? next.playedCount : -1;
}

int MusicLibrary::setRating(qint64 id, int rating)
{
    const TrackRecord *current = m_store->track(id);
    if (!current)
        return -1;
    TrackRecord next = *current;
    next.rating = TrackRecord::clampRating(rating);
    return m_store->update(next) ? next.rating : -1;
}

bool MusicLibrary::refresh(qint64 id)
{
    const TrackRecord *current = m_store->track(id);
    if (!current)
        return false;
    const QByteArray path = FileNames::pathOf(QUrl(current->location));
    const auto stamp = AudioFileInfo::stampOf(path);
    if (!stamp)
        return false;
    const auto known = m_stamps.constFind(id);
    if (known != m_stamps.cend() && *known == *stamp)
        return true;
    const auto info = AudioFileInfo::read(path);
    if (!info)
        return false;
    TrackRecord next = *current;
    next.name = info->name;
    next.artist = info->artist;
    next.album = info->album;
    next.trackNumber = info->trackNumber;
    next.dateModified = info->modifiedMs;
    if (!m_store->update(next))
        return false;
    rememberStamp(id, info->stamp);
    return true;
}

void MusicLibrary::rememberStamp(qint64 id, const AudioFileInfo::Stamp &stamp)
{
    // File times tick in coarse steps (a few ms), so a change made in the same
    // step as this read would leave the stamp as it is. Only a stamp older than
    // any step can vouch for the file; a fresh one means "read again".
    constexpr qint64 granularityNs = 100'000'000;
    const qint64 nowNs = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    if (stamp.ctimeNs < nowNs - granularityNs)
        m_stamps.insert(id, stamp);
    else
        m_stamps.remove(id);
}

QModelIndex MusicLibrary::windowIndexOf(qint64 id) const
{
    const int row = m_store->rowOf(id);
    if (row < 0)
        return {};
    return m_proxy->mapFromSource(m_model->index(row, 0));
}

bool MusicLibrary::isFilteredOut(qint64 id) const
{
    const int row = m_store->rowOf(id);
    return row >= 0 && !m_proxy->mapFromSource(m_model->index(row, 0)).isValid();
}

QString MusicLibrary::filterText() const
{
    return windowOrder(m_proxy)->filterText();
}

void MusicLibrary::setFilterText(const QString &text)
{
    if (text == filterText())
        return;
    windowOrder(m_proxy)->setFilterText(text);
    emit filterTextChanged(text);
}

bool MusicLibrary::reveal(qint64 id)
{
    if (isFilteredOut(id))
        setFilterText({});
    const QModelIndex index = windowIndexOf(id);
    if (!index.isValid())
        return false;
    m_selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    emit revealed(index);
    return true;
}

qint64 MusicLibrary::addRefreshReveal(const QUrl &url)
{
    const qint64 id = addFile(url);
    if (id) {
        refresh(id);
        reveal(id);
    }
    return id;
}

MusicLibrary::Written MusicLibrary::addSetRefreshReveal(const QUrl &url, const QString &property, int value)
{
    int (MusicLibrary::*set)(qint64, int) = nullptr;
    if (property == QLatin1String(LibraryProtocol::Key::playedCount))
        set = &MusicLibrary::setPlayedCount;
    else if (property == QLatin1String(LibraryProtocol::Key::rating))
        set = &MusicLibrary::setRating;
    else
        return {};
    // A track whose file has gone (or no longer reads as audio) is not
    // written: the caller is told nothing was stored.
    const qint64 id = addFile(url);
    if (!id || !refresh(id))
        return {};
    const int stored = (this->*set)(id, value);
    reveal(id);
    return {id, stored};
}

QList<qint64> MusicLibrary::selection() const
{
    // Read range by range: asking row by row whether it is selected costs
    // every range once per row, which a large selection cannot afford.
    QList<int> rows;
    for (const QItemSelectionRange &range : m_selection->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QList<qint64> ids;
    ids.reserve(rows.size());
    for (int row : rows)
        ids.append(m_proxy->index(row, 0).data(TrackTableModel::IdRole).toLongLong());
    return ids;
}

void MusicLibrary::setSelection(const QList<qint64> &ids)
{
    if (!filterText().isEmpty() && std::any_of(ids.begin(), ids.end(), [this](qint64 id) { return isFilteredOut(id); }))
        setFilterText({});
    QList<int> rows;
    rows.reserve(ids.size());
    for (qint64 id : ids) {
        const QModelIndex index = windowIndexOf(id);
        if (index.isValid())
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    // Neighbouring rows as one range each, as a user's click and shift-click make.
    QItemSelection selection;
    for (qsizetype at = 0; at < rows.size();) {
        qsizetype end = at;
        while (end + 1 < rows.size() && rows.at(end + 1) <= rows.at(end) + 1)
            ++end;
        selection.select(m_proxy->index(rows.at(at), 0), m_proxy->index(rows.at(end), 0));
        at = end + 1;
    }
    m_selection->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QList<TrackRecord> MusicLibrary::records(const QList<qint64> &ids) const
{
    QList<TrackRecord> result;
    result.reserve(ids.size());
    for (qint64 id : ids)
        if (const TrackRecord *r = m_store->track(id))
            result.append(*r);
    return result;
}
