#pragma once

#include <QByteArrayList>

// date-added: hands files to the running library one second apart in album
// order, so that its Date Added runs in that order.
namespace DateAddedCommand {
int run(const QByteArrayList &arguments);
} // namespace DateAddedCommand
