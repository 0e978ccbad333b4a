#pragma once

#include "tests/support/AudioFiles.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QUrl>

#include <cstdio>

// n copies of one real tagged MP3 in the folder ("00000 Track.mp3", …): a
// run's cost does not depend on the tags. Empty, with a line on standard
// error, when a file cannot be written.
inline QList<QUrl> copiedFiles(const QDir &dir, int n, const char *scenario)
{
    const QString model = dir.filePath(QStringLiteral("model.mp3"));
    if (!AudioFiles::writeMp3(model, {QStringLiteral("Track"), QStringLiteral("Bench"), QStringLiteral("Run"), QStringLiteral("1")})) {
        std::fprintf(stderr, "%s: cannot write %s\n", scenario, qPrintable(model));
        return {};
    }
    QList<QUrl> files;
    files.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1 Track.mp3").arg(i, 5, 10, QLatin1Char('0')));
        if (!QFile::copy(model, path)) {
            std::fprintf(stderr, "%s: cannot write %s\n", scenario, qPrintable(path));
            return {};
        }
        files.append(QUrl::fromLocalFile(path));
    }
    return files;
}
