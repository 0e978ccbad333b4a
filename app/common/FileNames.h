#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

// File names as the kernel knows them: bytes, any but '/' and NUL, not
// necessarily UTF-8. A file is named in the program by its URL, whose path
// carries those bytes percent-encoded; the bytes come back out only here, on
// the way to a system call, so that no text conversion can replace a byte and
// reach another file.
namespace FileNames {
// The bytes a system call is given for a local file URL. Empty, so that
// nothing is reached, when the URL is no local file or its path is empty or
// holds a NUL (which would end the name early and name another file).
QByteArray pathOf(const QUrl &url);
// The file URL for a path's bytes, exactly those bytes.
QUrl urlOf(const QByteArray &path);

// A name as a person reads it: UTF-8 as the text it is, each other byte as
// "\xHH", control characters as their visible pictures; on one line.
QString shown(const QByteArray &bytes);
// The whole path of a file URL, shown.
QString shownPath(const QUrl &url);
// The last component of a file URL's path, shown; "" for a path ending in "/".
QString shownName(const QUrl &url);
// The file-name suffix after the last '.', lower case ("mp3"); "" without one.
QByteArray suffixOf(const QByteArray &path);

// The path made absolute (against the working folder) and cleaned of ".",
// ".." and doubled slashes as text, the way a name is spelled, not resolved.
QByteArray cleaned(const QByteArray &path);
// The file as the kernel reaches it: every link and ".." resolved in the
// order the kernel takes them. The cleaned spelling for a file that is not there.
QByteArray resolved(const QByteArray &path);

// A file named from outside, as a command line or pasted text names it: a
// "file://" URL (its percent-encoded bytes taken as they are) or a path
// (relative to the working folder). The file's URL spelled the one way
// urlOf() spells it; an empty URL for anything else (another scheme, a
// name that would hold a NUL, an empty text).
QUrl fromOutside(const QByteArray &text);

enum class Kind { Missing, File, Folder, Other };
// What the path names, links followed.
Kind kindOf(const QByteArray &path);
// The regular files under a folder, its subfolders included (links to
// folders are not followed, so a loop cannot trap the walk), in byte order.
QList<QByteArray> filesUnder(const QByteArray &folder);
} // namespace FileNames
