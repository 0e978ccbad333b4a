#include "tracks/files/AlbumOrder.h"

#include "app/common/FileNames.h"
#include "app/common/Stretches.h"
#include "app/common/TextRules.h"
#include "tracks/files/ID3Parser.h"

#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <numeric>

namespace {
// Below this many files the thread hand-off costs more than the reading.
constexpr qsizetype parallelFrom = 16;

// Code point order on UTF-16 text: a surrogate (a character beyond U+FFFF)
// must sort after U+E000..U+FFFF, although its code unit is smaller.
int codePointCompare(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a.at(i).unicode();
        char16_t y = b.at(i).unicode();
        if (x == y)
            continue;
        if (x >= 0xD800 && y >= 0xD800) {
            x = x >= 0xE000 ? char16_t(x - 0x800) : char16_t(x + 0x2000);
            y = y >= 0xE000 ? char16_t(y - 0x800) : char16_t(y + 0x2000);
        }
        return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Canonically equivalent texts become the same code points.
QString canonical(const QString &text)
{
    return text.normalized(QString::NormalizationForm_D);
}
} // namespace

namespace {
// Disc first: a two-disc album runs through disc 1, then disc 2. Files
// without a disc number are on disc 1, so a single disc keeps its order.
QString placeKey(const ID3Parser::AlbumPlace &place)
{
    const QString track = place.track == u"-" ? QStringLiteral("MAX") : place.track;
    return QStringLiteral("%1|").arg(place.disc, 10, 10, QLatin1Char('0')) + track;
}

// Each file's sort key and, when asked, its track-number text, from one
// read of the file. Track numbers mean opening every file: read them side
// by side. File names are only text.
struct Keyed
{
    QString key;
    QString track;
};

QList<Keyed> keyed(const QList<QUrl> &files, AlbumOrder::Key which, bool withTrack)
{
    const bool reads = which == AlbumOrder::Key::TrackNumber || withTrack;
    const auto keyOf = [which, reads](const QUrl &url) {
        Keyed k;
        const ID3Parser::AlbumPlace place = reads ? ID3Parser::getAlbumPlace(url) : ID3Parser::AlbumPlace{};
        k.key = canonical(which == AlbumOrder::Key::FileName ? FileNames::shownName(url) : placeKey(place));
        k.track = place.track;
        return k;
    };
    if (reads && files.size() >= parallelFrom)
        return QtConcurrent::blockingMapped<QList<Keyed>>(files, keyOf);
    // Names are only text: each key into its own slot, side by side for a long list.
    QList<Keyed> k(files.size());
    Keyed *const slot = k.data();
    inStretches(files.size(), [&files, &keyOf, slot](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            slot[i] = keyOf(files.at(i));
    });
    return k;
}

// The indexes of the files in album order; equal keys keep their order.
QList<qsizetype> order(const QList<Keyed> &keys)
{
    QList<qsizetype> indexes(keys.size());
    std::iota(indexes.begin(), indexes.end(), qsizetype(0));
    std::stable_sort(indexes.begin(), indexes.end(),
                     [&keys](qsizetype a, qsizetype b) { return codePointCompare(keys[a].key, keys[b].key) < 0; });
    return indexes;
}
} // namespace

QString AlbumOrder::key(const QUrl &url, Key key)
{
    return key == Key::FileName ? FileNames::shownName(url) : placeKey(ID3Parser::getAlbumPlace(url));
}

int AlbumOrder::compareKeys(const QString &a, const QString &b)
{
    return codePointCompare(canonical(a), canonical(b));
}

QList<QUrl> AlbumOrder::sorted(const QList<QUrl> &files, Key which)
{
    QList<QUrl> result;
    result.reserve(files.size());
    for (qsizetype i : sortedIndexes(files, which))
        result.append(files[i]);
    return result;
}

QList<qsizetype> AlbumOrder::sortedIndexes(const QList<QUrl> &files, Key which)
{
    return order(keyed(files, which, false));
}

QStringList AlbumOrder::listing(const QList<QUrl> &files, Key which)
{
    const QList<Keyed> keys = keyed(files, which, true);
    QStringList lines;
    lines.reserve(files.size());
    for (qsizetype i : order(keys))
        lines.append(FileNames::shownName(files[i]) + u'\t' + TextRules::printable(keys[i].track));
    return lines;
}
