// Writes a small demo album into a folder, so that a library started for the
// first time has tracks to try the tools on.

#include "tests/support/AudioFiles.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {
struct DemoTrack
{
    const char *title;
    const char *suffix;
};

// Made-up titles; the formats alternate so that every reader gets exercised.
constexpr DemoTrack album[] = {
    {"Lanterns on the Water", "mp3"},
    {"Copper Morning", "flac"},
    {"The Orchard Road", "mp3"},
    {"Paper Boats", "flac"},
    {"Quiet Harbour", "mp3"},
    {"Seven Small Bells", "flac"},
    {"Under the Linden", "mp3"},
    {"A Letter to June", "flac"},
    {"Lights Out, Slowly", "mp3"},
};
constexpr const char *artist = "The Velvet Orchard";
constexpr const char *albumTitle = "Evenings at Larkhill";
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: melvora-demo-album DIR\n");
        return 2;
    }
    const QDir dir(args.at(1));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "melvora-demo-album: cannot create %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const int total = int(std::size(album));
    int failures = 0;
    for (int i = 0; i < total; ++i) {
        const QString number = QStringLiteral("%1/%2").arg(i + 1).arg(total);
        // Named by title alone, so that name order and album order differ.
        const QString fileName = QString::fromUtf8(album[i].title) + u'.' + QString::fromLatin1(album[i].suffix);
        const QString path = dir.filePath(fileName);
        const AudioTags tags{QString::fromUtf8(album[i].title), QString::fromUtf8(artist),
                             QString::fromUtf8(albumTitle), number};
        if (!AudioFiles::write(path, tags)) {
            std::fprintf(stderr, "melvora-demo-album: cannot write %s\n", qPrintable(path));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return failures == 0 ? 0 : 1;
}
