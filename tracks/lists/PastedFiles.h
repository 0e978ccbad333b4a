#pragma once

#include <QList>
#include <QUrl>

class QMimeData;

// The files a clipboard holds as a file manager leaves them: file URLs
// (text/uri-list, or GNOME's copied-files list), else text with one file
// URL or path per line. Each URL spelled as FileNames spells it; anything
// that names no local file is left out.
namespace PastedFiles {
QList<QUrl> urls(const QMimeData &mime);
} // namespace PastedFiles
