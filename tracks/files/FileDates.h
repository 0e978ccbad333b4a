#pragma once

#include "app/common/FileNames.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include <compare>
#include <optional>

// A file system timestamp with its full precision.
struct FileTime
{
    qint64 seconds = 0;     // since 1970-01-01 00:00:00 UTC
    qint64 nanoseconds = 0; // 0 .. 999'999'999

    // Any seconds and nanoseconds, carried so that nanoseconds lie in
    // 0 .. 999'999'999 (a moment before 1970 has negative seconds and
    // positive nanoseconds, as the file system keeps it).
    static FileTime normalised(qint64 seconds, qint64 nanoseconds);
    // An invalid QDateTime gives 1970-01-01 00:00:00 UTC; check validity first.
    static FileTime fromDateTime(const QDateTime &moment);
    QDateTime toDateTime() const; // millisecond precision (cut toward the past), UTC
    auto operator<=>(const FileTime &) const = default;
};

// Dates of a file as the file system keeps them.
namespace FileDates {
// The birth time where the file system records one; none otherwise or when the
// file cannot be read.
std::optional<FileTime> creationDate(const QUrl &file);
std::optional<FileTime> modificationDate(const QUrl &file);
// Both at once, in one call to the file system.
struct Times
{
    std::optional<FileTime> created;
    std::optional<FileTime> modified;
};
Times times(const QUrl &file);
// The same for a file named by its path (bytes as on disk), for a run that
// has turned its URLs into paths once.
Times times(const QByteArray &path);
// What a path names (links followed, as a write follows them) and, for a
// file, both dates: one call to the file system for all of it.
struct Seen
{
    FileNames::Kind kind = FileNames::Kind::Missing;
    Times times;
};
Seen seen(const QByteArray &path);
// Sets only the modification time (the access time is left as it is). False
// when the file is missing, cannot be changed, or the time is out of range;
// error then says why (an errno value).
bool setModificationDate(const QUrl &file, const FileTime &time, int *error = nullptr);
bool setModificationDate(const QByteArray &path, const FileTime &time, int *error = nullptr);
} // namespace FileDates
