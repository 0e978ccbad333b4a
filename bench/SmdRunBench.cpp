// smd-run: a Set Modification Date run of the real Date Modified tool over
// many files, from the Set click until the table has reloaded; once with the
// library not running (against `touch -m` over the same files) and once with
// a headless library that has every file.

#include "app/common/FileNames.h"
#include "bench/CopiedFiles.h"
#include "bench/Scenario.h"
#include "bench/StallMeter.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tools/modification/ModificationViewController.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/lists/DropView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonObject>
#include <QListView>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {
RunTiming timeSetRun(ModificationViewController &tool)
{
    return timeUntil(&tool, &ModificationViewController::runFinished,
                     [&tool] { tool.findChild<QAbstractButton *>(QStringLiteral("setButtonSMD"))->click(); });
}

double timeTouch(const QList<QUrl> &files, qint64 seconds)
{
    QByteArray paths;
    for (const QUrl &file : files)
        paths += FileNames::pathOf(file) + '\0';
    QProcess touch;
    QElapsedTimer clock;
    clock.start();
    touch.start(QStringLiteral("xargs"), {QStringLiteral("-0"), QStringLiteral("touch"), QStringLiteral("-m"),
                                          QStringLiteral("-d"), QStringLiteral("@%1").arg(seconds)});
    touch.write(paths);
    touch.closeWriteChannel();
    touch.waitForFinished(600'000);
    return double(clock.nsecsElapsed()) / 1e9;
}

// Wake-ups decide the run with the library, and other work on the machine
// delays them; the figures need the load they were taken under.
double loadAverage()
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    return loadavg.open(QIODevice::ReadOnly) ? loadavg.readLine().split(' ').value(0).toDouble() : -1;
}

int smdRun(const QStringList &args)
{
    const int n = std::max(1, args.value(0, QStringLiteral("10000")).toInt());
    const ITunesApplication iTunes = ITunesApplication::iTunes();
    if (iTunes.isRunning()) {
        std::fprintf(stderr, "smd-run: a library already runs on this bus; run under dbus-run-session\n");
        return 1;
    }

    QTemporaryDir dir;
    const QList<QUrl> files = copiedFiles(QDir(dir.path()), n, "smd-run");
    if (files.isEmpty())
        return 1;

    ModificationViewController tool;
    tool.resize(711, 520);
    tool.show();
    tool.openAction(ModificationViewController::SMD);
    tool.dropView(ModificationViewController::SMD)->takeFiles(files);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 400)
        QApplication::processEvents(QEventLoop::AllEvents, 50);

    const RunTiming alone = timeSetRun(tool);
    const double touchSeconds = timeTouch(files, tool.selectedDateSMD().toSecsSinceEpoch());
    Scenarios::print({{QStringLiteral("scenario"), QStringLiteral("smd-run")},
                      {QStringLiteral("n"), n},
                      {QStringLiteral("library"), false},
                      {QStringLiteral("seconds"), alone.seconds},
                      {QStringLiteral("touch_seconds"), touchSeconds},
                      {QStringLiteral("max_stall_ms"), alone.maxStallMs}});

    LibraryProcess library(dir.filePath(QStringLiteral("Library.sqlite")));
    if (!library.start()) {
        std::fprintf(stderr, "smd-run: cannot start %s\n", qPrintable(LibraryProcess::program()));
        return 1;
    }
    // The library knows every file before the timed run; small batches keep
    // each call well inside the bridge's timeout.
    for (qsizetype at = 0; at < files.size(); at += 200)
        iTunes.add(files.mid(at, 200));
    const RunTiming withLibrary = timeSetRun(tool);
    library.stop();
    Scenarios::print({{QStringLiteral("scenario"), QStringLiteral("smd-run")},
                      {QStringLiteral("n"), n},
                      {QStringLiteral("library"), true},
                      {QStringLiteral("seconds"), withLibrary.seconds},
                      {QStringLiteral("max_stall_ms"), withLibrary.maxStallMs},
                      {QStringLiteral("load1"), loadAverage()}});
    return 0;
}
} // namespace

MELVORA_SCENARIO(smdRun, "smd-run", "[FILES=10000]", smdRun);
