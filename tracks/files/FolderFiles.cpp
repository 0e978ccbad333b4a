#include "tracks/files/FolderFiles.h"

#include "app/common/FileNames.h"

#include <QSet>

#include <algorithm>

#include <taglib/fileref.h>

namespace FolderFiles {

QList<QByteArray> audioSuffixes()
{
    static const QList<QByteArray> suffixes = [] {
        QList<QByteArray> known;
        for (const TagLib::String &suffix : TagLib::FileRef::defaultFileExtensions())
            known.append(QByteArray::fromStdString(suffix.to8Bit(true)).toLower());
        std::sort(known.begin(), known.end());
        known.erase(std::unique(known.begin(), known.end()), known.end());
        return known;
    }();
    return suffixes;
}

bool isAudioName(const QByteArray &path)
{
    static const QSet<QByteArray> suffixes = [] {
        const QList<QByteArray> known = audioSuffixes();
        return QSet<QByteArray>(known.cbegin(), known.cend());
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
