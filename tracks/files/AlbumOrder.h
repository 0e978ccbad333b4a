#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The order in which an album's files run: by disc and track-number text
// (files without a track number last on their disc, files without a disc
// number on disc 1) or by file name.
namespace AlbumOrder {
enum class Key { FileName, TrackNumber };

// The sort key of one file: the disc number, then the track-number text
// with "-" as "MAX"; or the file name.
QString key(const QUrl &url, Key key);
// <0, 0, >0: plain comparison by character code, canonically equivalent
// texts equal.
int compareKeys(const QString &a, const QString &b);
// The files sorted ascending; files with equal keys keep their order. Each
// file's key is read once.
QList<QUrl> sorted(const QList<QUrl> &files, Key key);
// The same order as the files' indexes, for lists that go along with them.
QList<qsizetype> sortedIndexes(const QList<QUrl> &files, Key key);
// The files sorted, one line each as a person and a script read it: the
// file name, a tab, the track-number text; never a control character, so a
// line is one file whatever its name or tags hold.
QStringList listing(const QList<QUrl> &files, Key key);
} // namespace AlbumOrder
