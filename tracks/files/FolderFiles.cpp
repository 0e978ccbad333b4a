#include "tracks/files/FolderFiles.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <taglib/fileref.h>

namespace FolderFiles {

bool isAudioName(const QString &path)
{
    static const QSet<QString> suffixes = [] {
        QSet<QString> known;
        for (const TagLib::String &suffix : TagLib::FileRef::defaultFileExtensions())
            known.insert(QString::fromStdString(suffix.to8Bit(true)).toLower());
        return known;
    }();
    return suffixes.contains(QFileInfo(path).suffix().toLower());
}

QList<QUrl> expanded(const QList<QUrl> &dropped)
{
    QList<QUrl> files;
    for (const QUrl &url : dropped) {
        const QFileInfo info(url.toLocalFile());
        if (!url.isLocalFile() || !info.isDir()) {
            files.append(url);
            continue;
        }
        QStringList inside;
        QDirIterator it(info.absoluteFilePath(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (isAudioName(path))
                inside.append(path);
        }
        std::sort(inside.begin(), inside.end());
        for (const QString &path : std::as_const(inside))
            files.append(QUrl::fromLocalFile(path));
    }
    return files;
}

} // namespace FolderFiles
