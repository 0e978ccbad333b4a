#pragma once

#include <QUrl>

// Makes the music library read a changed file again and show it: asks whether
// the library runs (never starts it), then add (finds or adds the file's
// track), refresh and reveal. Safe from a worker thread; each call is bounded
// by the bridge's timeout.
void refreshSingleFileFromItunesList(const QUrl &file);
