#include "tracks/lists/PastedFiles.h"

#include "app/common/FileNames.h"

#include <QFile>
#include <QMimeData>

namespace PastedFiles {

QList<QUrl> urls(const QMimeData &mime)
{
    // Each line as bytes: a URL's percent-encoding carries any name exactly;
    // a path in text is the text's UTF-8.
    QList<QByteArray> lines;
    const QString gnome = QStringLiteral("x-special/gnome-copied-files");
    if (mime.hasFormat(QStringLiteral("text/uri-list")))
        lines = mime.data(QStringLiteral("text/uri-list")).split('\n');
    else if (mime.hasFormat(gnome))
        lines = mime.data(gnome).split('\n').mid(1); // first line: "copy" or "cut"
    else if (mime.hasText())
        lines = QFile::encodeName(mime.text()).split('\n');
    QList<QUrl> files;
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl file = FileNames::fromOutside(line);
        if (!file.isEmpty())
            files.append(file);
    }
    return files;
}

} // namespace PastedFiles
