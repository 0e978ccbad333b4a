#pragma once

#include "tracks/library/ITunesApplication.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <memory>
#include <optional>

class BusCall;

// Rhythmbox as a library the client drives. Its database is reached by each
// entry's location, the URI exactly as Rhythmbox keeps it; values go in and
// out as dictionaries. Rhythmbox reports no failure of a write, so every
// write is read back. Selection, showing a track, reading a file again and
// saving come from our plugin inside Rhythmbox (integrations/rhythmbox).
namespace Rhythmbox {
inline constexpr const char *service = "org.gnome.Rhythmbox3";
// The name people know it by.
QString displayName();

// The URI Rhythmbox keeps for a local file: its path bytes escaped the way
// GLib writes file URIs (RFC 3986 unreserved characters and !$&'()*+,=:@/
// stay, every other byte becomes %XX). Empty when the URL names no local file.
QString storedUri(const QUrl &file);

// The calls, ready to be sent (BusCall::call or send/finish).
std::unique_ptr<BusCall> getEntry(const QString &uri);
std::unique_ptr<BusCall> setEntry(const QString &uri, const QVariantMap &values);
std::unique_ptr<BusCall> loadUri(const QString &uri);
// A method of the plugin's object, with one text argument when uri is set.
std::unique_ptr<BusCall> pluginCall(const char *method, const QString &uri = QString());

// A song entry read from an answered getEntry: its id, location and values.
// None for no answer, no entry, or an entry Rhythmbox keeps for a file it
// could not import (no first-seen, not audio).
struct Entry
{
    qint64 id = 0;
    QString uri;
    ITunesTrack::Properties properties;
};
std::optional<Entry> entryOf(const BusCall &answered);

// Our 0..100 rating scale and Rhythmbox's 0..5 stars.
double starsOf(int rating);
int ratingOf(double stars);
// The values that set a property of ours ("playedCount", "rating",
// "dateAdded" in seconds since 1970); empty for another property.
QVariantMap valuesFor(const QString &property, qint64 value);
// What tells Rhythmbox a file's new modification date: its stored mtime
// (whole seconds) set to the file's. A changed date is all a date run
// changes, so this stands for reading the file again, and costs one call
// where reading it again costs Rhythmbox a read of the file's tags. Empty
// when the file cannot be read.
QVariantMap modificationValues(const QUrl &file);
// The property's stored value in an entry, in our terms.
std::optional<qint64> storedValueOf(const QString &property, const Entry &entry);
// The value Rhythmbox holds, in our terms, once value has been written.
qint64 expectedValue(const QString &property, qint64 value);
// The entry holding the value written, read again while Rhythmbox has not
// applied the write yet: just after it starts it may answer a read sent
// behind a write with what it held before. read is the answer to the read
// sent behind the write (none: no answer). None when the value is not
// there within a moment.
std::optional<Entry> confirmed(const QString &uri, const QString &property, qint64 value, std::optional<Entry> read);

// One entry by location; nullopt when Rhythmbox does not answer. An entry
// with id 0 when it holds nothing there, with a negative id when what it
// holds there is no song (a file it could not import).
std::optional<Entry> entry(const QString &uri);
// The song entry of a file, imported first when Rhythmbox does not hold it
// (waiting, within the call timeout, until it does); none when it cannot.
std::optional<Entry> added(const QUrl &file);
// Writes the property and reads the entry back (see confirmed()); none
// when the value is not stored or there is no answer.
std::optional<Entry> written(const QString &uri, const QString &property, qint64 value);
// The plugin's answers; false/empty when it is not there.
bool refresh(const QString &uri);
bool reveal(const QString &uri);
bool save();
QList<Entry> selected();
} // namespace Rhythmbox
