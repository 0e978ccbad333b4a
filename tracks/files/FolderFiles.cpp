#include "tracks/files/FolderFiles.h"

#include "app/common/FileNames.h"

#include <QSet>

#include <taglib/fileref.h>

namespace FolderFiles {

bool isAudioName(const QByteArray &path)
{
    static const QSet<QByteArray> suffixes = [] {
        QSet<QByteArray> known;
        for (const TagLib::String &suffix : TagLib::FileRef::defaultFileExtensions())
            known.insert(QByteArray::fromStdString(suffix.to8Bit(true)).toLower());
        return known;
    }();
    return suffixes.contains(FileNames::suffixOf(path));
}

QList<QUrl> expanded(const QList<QUrl> &dropped)
{
    QList<QUrl> files;
    for (const QUrl &url : dropped) {
        const QByteArray folder = FileNames::pathOf(url);
        if (FileNames::kindOf(folder) != FileNames::Kind::Folder) {
            files.append(url);
            continue;
        }
        for (const QByteArray &path : FileNames::filesUnder(FileNames::cleaned(folder)))
            if (isAudioName(path))
                files.append(FileNames::urlOf(path));
    }
    return files;
}

} // namespace FolderFiles
