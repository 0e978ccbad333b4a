#include "tracks/files/FileDates.h"

#include "app/common/FileNames.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

namespace {
// Division rounding toward the past, so that -1 ms is 1969-12-31 23:59:59.999.
qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

std::optional<struct statx> statxOf(const QByteArray &name, unsigned int mask)
{
    if (name.isEmpty())
        return std::nullopt;
    struct statx info = {};
    if (::statx(AT_FDCWD, name.constData(), AT_STATX_SYNC_AS_STAT, mask, &info) != 0)
        return std::nullopt;
    return info;
}

FileTime fromStatx(const struct statx_timestamp &t)
{
    return FileTime::normalised(t.tv_sec, t.tv_nsec);
}
} // namespace

FileTime FileTime::normalised(qint64 seconds, qint64 nanoseconds)
{
    constexpr qint64 perSecond = 1'000'000'000;
    const qint64 carry = floorDiv(nanoseconds, perSecond);
    return {seconds + carry, nanoseconds - carry * perSecond};
}

FileTime FileTime::fromDateTime(const QDateTime &moment)
{
    if (!moment.isValid())
        return {};
    const qint64 ms = moment.toMSecsSinceEpoch();
    const qint64 seconds = floorDiv(ms, 1000);
    return {seconds, (ms - seconds * 1000) * 1'000'000};
}

QDateTime FileTime::toDateTime() const
{
    const FileTime t = normalised(seconds, nanoseconds);
    return QDateTime::fromMSecsSinceEpoch(t.seconds * 1000 + t.nanoseconds / 1'000'000, Qt::UTC);
}

std::optional<FileTime> FileDates::creationDate(const QUrl &file)
{
    const auto info = statxOf(FileNames::pathOf(file), STATX_BTIME);
    // The kernel says in the mask whether the file system filled the field.
    if (!info || !(info->stx_mask & STATX_BTIME))
        return std::nullopt;
    return fromStatx(info->stx_btime);
}

std::optional<FileTime> FileDates::modificationDate(const QUrl &file)
{
    const auto info = statxOf(FileNames::pathOf(file), STATX_MTIME);
    if (!info || !(info->stx_mask & STATX_MTIME))
        return std::nullopt;
    return fromStatx(info->stx_mtime);
}

FileDates::Times FileDates::times(const QUrl &file)
{
    return times(FileNames::pathOf(file));
}

FileDates::Times FileDates::times(const QByteArray &path)
{
    return seen(path).times;
}

FileDates::Seen FileDates::seen(const QByteArray &path)
{
    Seen seen;
    if (path.contains('\0'))
        return seen;
    if (const auto info = statxOf(path, STATX_TYPE | STATX_BTIME | STATX_MTIME)) {
        const mode_t mode = info->stx_mode;
        seen.kind = S_ISREG(mode) ? FileNames::Kind::File : S_ISDIR(mode) ? FileNames::Kind::Folder : FileNames::Kind::Other;
        if (info->stx_mask & STATX_BTIME)
            seen.times.created = fromStatx(info->stx_btime);
        if (info->stx_mask & STATX_MTIME)
            seen.times.modified = fromStatx(info->stx_mtime);
    }
    return seen;
}

bool FileDates::setModificationDate(const QUrl &file, const FileTime &time, int *error)
{
    return setModificationDate(FileNames::pathOf(file), time, error);
}

bool FileDates::setModificationDate(const QByteArray &name, const FileTime &time, int *error)
{
    const auto fail = [error](int code) {
        if (error)
            *error = code;
        return false;
    };
    if (name.isEmpty())
        return fail(ENOENT);
    const FileTime t = FileTime::normalised(time.seconds, time.nanoseconds);
    // time_t is 64 bits here; the check keeps a narrower build from wrapping.
    if (t.seconds != qint64(time_t(t.seconds)))
        return fail(EOVERFLOW);
    const struct timespec times[2] = {
        {0, UTIME_OMIT},
        {time_t(t.seconds), long(t.nanoseconds)},
    };
    if (::utimensat(AT_FDCWD, name.constData(), times, 0) != 0)
        return fail(errno);
    return true;
}
