#pragma once

#include <QByteArrayList>
#include <QList>
#include <QUrl>

// What every command shares: its arguments as the bytes they were given (a
// file name need not be UTF-8), files and folders made into the files they
// stand for, and the exit statuses.
namespace CommandLine {
enum Status { Done = 0, SomeFailed = 1, Usage = 2 };

// Each argument a file or a folder; a folder stands for the audio files
// below it, in path order. Names that reach nothing are named on standard
// error with the reason and left out; missing is set when there was one.
QList<QUrl> files(const QByteArrayList &arguments, bool *missing);
// A line on standard error: "melvora-cli: TEXT".
void complain(const QString &text);
} // namespace CommandLine
