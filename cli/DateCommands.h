#pragma once

#include <QByteArrayList>

#include <optional>

struct FileTime;

// The Date Modified tool's commands: set-date, copy-birth-date and
// sort-dates. When the library runs it reads each changed file again.
namespace DateCommands {
int setDate(const QByteArrayList &arguments);
int copyBirthDate(const QByteArrayList &arguments);
int sortDates(const QByteArrayList &arguments);

// An ISO 8601 moment: a day ("2024-05-01", midnight), or a day and a time
// ("2024-05-01T12:30", "…:45", "…:45.123456789", a space for the "T"), in
// local time unless it carries "Z" or an offset ("+02:00", "-0530"). A
// local time the clocks skip is read as the windows read it. None when the
// text is none of these or names no real day and time.
std::optional<FileTime> parseMoment(const QByteArray &text);
} // namespace DateCommands
