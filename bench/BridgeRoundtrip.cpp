// bridge-roundtrip: what one changed file costs a Date Modified run in the
// library: add, refresh and reveal through the bridge, timed per file against
// a real headless library on the current session bus.

#include "bench/Scenario.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tracks/library/BusNameWatch.h"
#include "tracks/library/ITunesApplication.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {
int bridgeRoundtrip(const QStringList &args)
{
    const int n = std::max(1, args.value(0, QStringLiteral("1000")).toInt());
    QTemporaryDir dir;
    QList<QUrl> files;
    for (int i = 0; i < n; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1.mp3").arg(i, 5, 10, QLatin1Char('0')));
        if (!AudioFiles::writeMp3(path, {QStringLiteral("Track %1").arg(i), QStringLiteral("Bench"),
                                         QStringLiteral("Roundtrip"), QString::number(i % 20 + 1)})) {
            std::fprintf(stderr, "bridge-roundtrip: cannot write %s\n", qPrintable(path));
            return 1;
        }
        files.append(QUrl::fromLocalFile(path));
    }

    LibraryProcess library(dir.filePath(QStringLiteral("Library.sqlite")));
    if (!library.start()) {
        std::fprintf(stderr, "bridge-roundtrip: cannot start %s (is a library already on this bus?)\n",
                     qPrintable(LibraryProcess::program()));
        return 1;
    }
    const ITunesApplication iTunes = ITunesApplication::iTunes();
    QList<double> perFile, adds, refreshes, reveals;
    perFile.reserve(n);
    int failed = 0;
    QElapsedTimer total;
    total.start();
    for (const QUrl &file : files) {
        QElapsedTimer clock;
        clock.start();
        ITunesTrack track = iTunes.add({file});
        const qint64 added = clock.nsecsElapsed();
        track.refresh();
        const qint64 refreshed = clock.nsecsElapsed();
        track.reveal();
        const qint64 revealed = clock.nsecsElapsed();
        perFile.append(double(revealed) / 1e6);
        adds.append(double(added) / 1e6);
        refreshes.append(double(refreshed - added) / 1e6);
        reveals.append(double(revealed - refreshed) / 1e6);
        if (!track.isValid())
            ++failed;
    }
    const double seconds = double(total.nsecsElapsed()) / 1e9;
    library.stop();

    // What a bare round trip to the bus itself costs right now: the floor
    // under each of the three calls, for reading the figures on a busy machine.
    QList<double> bus;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer clock;
        clock.start();
        BusNameWatch::queryHasOwner(QStringLiteral("org.freedesktop.DBus"));
        bus.append(double(clock.nsecsElapsed()) / 1e6);
    }

    const auto quantile = [](QList<double> values, double q) {
        std::sort(values.begin(), values.end());
        return values.at(std::min<qsizetype>(values.size() - 1, qsizetype(q * values.size())));
    };
    QJsonObject result{{QStringLiteral("scenario"), QStringLiteral("bridge-roundtrip")},
                       {QStringLiteral("n"), n},
                       {QStringLiteral("seconds"), seconds},
                       {QStringLiteral("median_ms"), quantile(perFile, 0.5)},
                       {QStringLiteral("p99_ms"), quantile(perFile, 0.99)},
                       {QStringLiteral("add_median_ms"), quantile(adds, 0.5)},
                       {QStringLiteral("refresh_median_ms"), quantile(refreshes, 0.5)},
                       {QStringLiteral("reveal_median_ms"), quantile(reveals, 0.5)},
                       {QStringLiteral("bus_roundtrip_median_ms"), quantile(bus, 0.5)}};
    // The calls hop between three processes; on a busy machine each hop waits
    // longer, so the figures need the load they were taken under.
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        result.insert(QStringLiteral("load1"), loadavg.readLine().split(' ').value(0).toDouble());
    if (failed)
        result.insert(QStringLiteral("failed"), failed);
    Scenarios::print(result);
    return failed ? 1 : 0;
}
} // namespace

MELVORA_SCENARIO(bridgeRoundtrip, "bridge-roundtrip", "[FILES=1000]", bridgeRoundtrip);
