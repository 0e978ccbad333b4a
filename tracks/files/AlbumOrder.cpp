#include "tracks/files/AlbumOrder.h"

#include "app/common/FileNames.h"
#include "app/common/Utils.h"
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

QString AlbumOrder::key(const QUrl &url, Key key)
{
    if (key == Key::FileName)
        return FileNames::shownName(url);
    // Disc first: a two-disc album runs through disc 1, then disc 2. Files
    // without a disc number are on disc 1, so a single disc keeps its order.
    const ID3Parser::AlbumPlace place = ID3Parser::getAlbumPlace(url);
    const QString track = place.track == u"-" ? QStringLiteral("MAX") : place.track;
    return QStringLiteral("%1|").arg(place.disc, 10, 10, QLatin1Char('0')) + track;
}

int AlbumOrder::compareKeys(const QString &a, const QString &b)
{
    return codePointCompare(canonical(a), canonical(b));
}

QList<QUrl> AlbumOrder::sorted(const QList<QUrl> &files, Key which)
{
    const auto keyOf = [which](const QUrl &url) { return canonical(key(url, which)); };
    // Track numbers mean opening every file: read them side by side. File
    // names are only text.
    const QList<QString> keys = which == Key::TrackNumber && files.size() >= parallelFrom
                                    ? QtConcurrent::blockingMapped<QList<QString>>(files, keyOf)
                                    : [&] {
                                          QList<QString> k;
                                          k.reserve(files.size());
                                          for (const QUrl &url : files)
                                              k.append(keyOf(url));
                                          return k;
                                      }();

    QList<qsizetype> order(files.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(),
                     [&keys](qsizetype a, qsizetype b) { return codePointCompare(keys[a], keys[b]) < 0; });
    QList<QUrl> result;
    result.reserve(files.size());
    for (qsizetype i : order)
        result.append(files[i]);
    return result;
}

QStringList AlbumOrder::listing(const QList<QUrl> &files, Key which)
{
    QStringList lines;
    lines.reserve(files.size());
    for (const QUrl &url : sorted(files, which))
        lines.append(FileNames::shownName(url) + u'\t' + Utils::printable(ID3Parser::getAudioFileTrackNumber(url)));
    return lines;
}
