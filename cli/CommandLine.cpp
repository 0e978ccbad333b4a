#include "cli/CommandLine.h"

#include "app/common/FileNames.h"
#include "tracks/files/FolderFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace CommandLine {

void complain(const QString &text)
{
    std::fprintf(stderr, "melvora-cli: %s\n", text.toUtf8().constData());
}

QList<QUrl> files(const QByteArrayList &arguments, bool *missing)
{
    QList<QUrl> named;
    for (const QByteArray &argument : arguments) {
        const QByteArray path = FileNames::cleaned(argument);
        if (FileNames::kindOf(path) == FileNames::Kind::Missing) {
            complain(QStringLiteral("%1: %2").arg(FileNames::shown(argument), QString::fromLocal8Bit(std::strerror(ENOENT))));
            if (missing)
                *missing = true;
            continue;
        }
        named.append(FileNames::urlOf(path));
    }
    return FolderFiles::expanded(named);
}

} // namespace CommandLine
