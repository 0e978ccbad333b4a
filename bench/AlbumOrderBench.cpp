// album-order: times sorting a generated library of tagged files by track
// number.

#include "app/common/Utils.h"
#include "bench/Scenario.h"
#include "tests/support/AudioFiles.h"
#include "tracks/files/AlbumOrder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <QThreadPool>

#include <algorithm>
#include <numeric>
#include <cstdio>
#include <ctime>

namespace {
int usage()
{
    std::fprintf(stderr,
                 "usage: melvora-bench album-order [--n COUNT]\n"
                 "Generates COUNT tagged files (10000) and times sorting them by track\n"
                 "number. melvora-cli order prints any files in album order.\n");
    return 2;
}

// A shuffled album of n files across the formats the reader knows, about one
// in twenty without a track number.
bool generate(const QDir &dir, int n, QList<QUrl> &files)
{
    const QStringList formats = {QStringLiteral("mp3"), QStringLiteral("m4a"), QStringLiteral("flac"),
                                 QStringLiteral("mp3"), QStringLiteral("ogg"), QStringLiteral("wav"),
                                 QStringLiteral("mp3"), QStringLiteral("aiff")};
    QList<int> numbers(n);
    std::iota(numbers.begin(), numbers.end(), 1);
    QRandomGenerator random(20130401);
    std::shuffle(numbers.begin(), numbers.end(), random);
    for (int i = 0; i < n; ++i) {
        const int number = numbers[i];
        const QString path = dir.filePath(QStringLiteral("Track %1.%2").arg(i).arg(formats[i % formats.size()]));
        const QString track = number % 20 == 0 ? QString() : QStringLiteral("%1/%2").arg(number).arg(n);
        if (!AudioFiles::write(path, {QStringLiteral("Song %1").arg(number), QStringLiteral("Bench Artist"),
                                      QStringLiteral("Bench Album"), track}))
            return false;
        files.append(QUrl::fromLocalFile(path));
    }
    return true;
}

double processCpuSeconds()
{
    struct timespec t = {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

int runScenario(int n)
{
    QTemporaryDir dir;
    QList<QUrl> files;
    if (!dir.isValid() || !generate(QDir(dir.path()), n, files)) {
        std::fprintf(stderr, "album-order: cannot generate the files\n");
        return 1;
    }
    // Into the page cache: the figure is for sorting, not for the disk.
    qint64 bytes = 0;
    for (const QUrl &url : files) {
        QFile file(url.toLocalFile());
        if (file.open(QIODevice::ReadOnly))
            bytes += file.readAll().size();
    }

    // CPU time beside wall time: on a machine shared with other work the
    // wall time says little, CPU time over the thread count says what an idle
    // machine would take.
    QList<double> runs;
    QList<double> cpu;
    bool ordered = true;
    for (int run = 0; run < 3; ++run) {
        const double cpuStart = processCpuSeconds();
        QElapsedTimer timer;
        timer.start();
        const QList<QUrl> sorted = AlbumOrder::sorted(files, AlbumOrder::Key::TrackNumber);
        runs.append(timer.nsecsElapsed() / 1e9);
        cpu.append(processCpuSeconds() - cpuStart);
        if (run == 0) {
            QString previous;
            for (const QUrl &url : sorted) {
                const QString key = AlbumOrder::key(url, AlbumOrder::Key::TrackNumber);
                ordered = ordered && AlbumOrder::compareKeys(previous, key) <= 0;
                previous = key;
            }
        }
    }
    std::sort(runs.begin(), runs.end());
    std::sort(cpu.begin(), cpu.end());
    Scenarios::print({{"scenario", "album-order"},
                      {"n", n},
                      {"seconds", runs.at(1)},
                      {"min_seconds", runs.at(0)},
                      {"max_seconds", runs.at(2)},
                      {"cpu_seconds", cpu.at(1)},
                      {"bytes", bytes},
                      {"threads", QThreadPool::globalInstance()->maxThreadCount()},
                      {"ordered", ordered}});
    return ordered ? 0 : 1;
}

int albumOrder(const QStringList &args)
{
    int n = 10000;
    for (int i = 0; i < args.size(); ++i) {
        bool ok = false;
        if (args.at(i) == u"--n" && i + 1 < args.size())
            n = args.at(++i).toInt(&ok);
        if (!ok || n < 1)
            return usage();
    }
    return runScenario(n);
}
} // namespace

MELVORA_SCENARIO(albumOrder, "album-order", "[--n COUNT]", albumOrder);
