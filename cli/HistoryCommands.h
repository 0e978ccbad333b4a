#pragma once

#include <QByteArrayList>

// history and undo: the journal of runs the windows keep, from the command
// line.
namespace HistoryCommands {
int history(const QByteArrayList &arguments);
int undo(const QByteArrayList &arguments);
} // namespace HistoryCommands
