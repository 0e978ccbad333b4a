#pragma once

#include <QByteArrayList>

// order --by track|name FILE...: the files in album order, one line each:
// the file name, a tab, the track-number text.
namespace OrderCommand {
int run(const QByteArrayList &arguments);
} // namespace OrderCommand
