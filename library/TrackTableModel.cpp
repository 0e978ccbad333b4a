#include "library/TrackTableModel.h"

#include "app/common/FileNames.h"
#include "library/TrackStore.h"

#include <QDateTime>
#include <QMimeData>
#include <QSet>
#include <QUrl>

TrackTableModel::TrackTableModel(TrackStore *store, QObject *parent) : QAbstractTableModel(parent), m_store(store)
{
    connect(store, &TrackStore::trackAboutToBeInserted, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(store, &TrackStore::trackInserted, this, [this](int) { endInsertRows(); });
    connect(store, &TrackStore::trackChanged, this,
            [this](int row) { emit dataChanged(index(row, 0), index(row, ColumnCount - 1)); });
}

int TrackTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_store->tracks().size());
}

int TrackTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString TrackTableModel::ratingText(int rating)
{
    QString text(rating / 20, QChar(0x2605)); // black star
    if (rating % 20 >= 10)
        text += QChar(0x00BD); // one half
    return text;
}

namespace {
QString dateText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// "7/12" sorts as 7; a text without a number after every number.
qint64 trackNumberKey(const QString &text)
{
    bool ok = false;
    const int n = text.section(QLatin1Char('/'), 0, 0).trimmed().toInt(&ok);
    return ok ? n : std::numeric_limits<int>::max();
}
} // namespace

QVariant TrackTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TrackRecord &t = m_store->tracks().at(index.row());
    if (role == IdRole)
        return t.id;
    if (role == Qt::TextAlignmentRole) {
        const int c = index.column();
        return QVariant::fromValue(c == Number || c == Plays ? Qt::AlignRight | Qt::AlignVCenter
                                                             : Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role == SortRole) {
        switch (index.column()) {
        case Name: return t.name;
        case Artist: return t.artist;
        case Album: return t.album;
        case Number: return trackNumberKey(t.trackNumber);
        case DateAdded: return t.dateAdded;
        case DateModified: return t.dateModified;
        case Plays: return t.playedCount;
        case Rating: return t.rating;
        case Location: return t.location;
        }
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case Name: return t.name;
        case Artist: return t.artist;
        case Album: return t.album;
        case Number: return t.trackNumber;
        case DateAdded: return dateText(t.dateAdded);
        case DateModified: return dateText(t.dateModified);
        case Plays: return t.playedCount;
        case Rating: return ratingText(t.rating);
        case Location: return FileNames::shownPath(QUrl(t.location));
        }
    }
    return {};
}

QVariant TrackTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[ColumnCount] = {"Name", "Artist", "Album", "#", "Date Added",
                                                    "Date Modified", "Plays", "Rating", "Location"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}

Qt::ItemFlags TrackTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList TrackTableModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *TrackTableModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    QSet<int> seen;
    for (const QModelIndex &index : indexes)
        if (index.isValid() && !seen.contains(index.row())) {
            seen.insert(index.row());
            rows.append(index.row());
        }
    // A row arrives once per selected cell; each track goes out once.
    QList<QUrl> urls;
    for (int row : rows)
        urls.append(QUrl(m_store->tracks().at(row).location));
    auto *mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

bool TrackTableModel::canDropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                                      const QModelIndex &) const
{
    return data && data->hasUrls() && (action & supportedDropActions());
}

bool TrackTableModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                                   const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    QList<QUrl> files;
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            files.append(url);
    if (files.isEmpty())
        return false;
    emit filesDropped(files);
    // Copy semantics: the source keeps its files, the view removes nothing.
    return true;
}
