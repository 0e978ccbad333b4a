#pragma once

#include "tracks/files/FileDates.h"
#include "tracks/runs/RunSteps.h"

#include <QByteArrayList>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QUrl>

#include <functional>
#include <optional>

// What every command shares: its arguments as the bytes they were given (a
// file name need not be UTF-8), files and folders made into the files they
// stand for, the run with its progress, the report, and the exit statuses.
namespace CommandLine {
enum Status { Done = 0, SomeFailed = 1, Usage = 2 };

// A command's arguments: options (those that take a value take the next
// argument), then names; "--" ends the options.
struct Arguments
{
    QMap<QByteArray, QByteArray> options; // "--dry-run" → "", "--by" → "track"
    QByteArrayList names;
    QString error; // not empty: not a valid command line

    bool has(const char *option) const { return options.contains(QByteArray(option)); }
    QByteArray value(const char *option) const { return options.value(QByteArray(option)); }
};
// flags take no value, valued take one; --help is always a flag.
Arguments parse(const QByteArrayList &arguments, const QByteArrayList &flags, const QByteArrayList &valued);
// Prints the help to standard error with the error, and gives Usage.
int usage(const char *help, const QString &error);

// Each argument a file or a folder; a folder stands for the audio files
// below it, in path order. A file named twice is taken once. Names that
// reach nothing are named on standard error with the reason and left out;
// missing is set when there was one. Where times is given, it gets each
// file's dates as read when it was named (none for the files of a folder).
QList<QUrl> files(const QByteArrayList &arguments, bool *missing,
                  QList<std::optional<FileDates::Times>> *times = nullptr);
// A line on standard error: "melvora-cli: TEXT".
void complain(const QString &text);
// Says on standard error that the library is not running and nothing was
// changed; false then.
bool libraryRuns();
// Begins to follow which library runs while the command reads its files, so
// that the run finds the answer ready (called before reading them).
void watchLibrary();

// Works the steps here; the progress goes to standard error when it is a
// terminal ("label 120/10000").
RunSteps::Failures run(const RunSteps &steps, const QString &label);

// One item of a command's result.
struct Item
{
    QUrl file;
    QString before; // the value before, as a person reads it
    QString after;  // the value the command gives it
    QString failure; // why it was not changed; "" when it was (or would be)
};

// What a command prints: with --dry-run the preview table (file, value
// now, new value; nothing changed); otherwise a line saying what was done,
// and each item that failed on standard error with its reason. With --json
// either as one JSON object. Returns the exit status.
struct Report
{
    QString command;
    bool dryRun = false;
    bool json = false;
    QList<Item> items;
    qint64 journalRun = 0; // the run's number in the history; 0: none
    QString summary;       // "12 files got the date."
    QJsonObject extra;     // more for --json
};
int finish(const Report &report, bool someMissing);

// A moment as the table shows it: local ISO 8601 with the offset, the
// fraction of a second when there is one.
QString moment(qint64 seconds, qint64 nanoseconds);
} // namespace CommandLine
