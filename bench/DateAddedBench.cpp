// dateadded-run: the real Date Added tool handing 20 new files to a headless
// library, from the Set click until the list is empty; the run's seconds and
// what it takes per file beyond the one-second spacing.

#include "bench/Scenario.h"
#include "bench/StallMeter.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tools/dateadded/DateAddedViewController.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/lists/DropView.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMimeData>
#include <QTemporaryDir>

#include <cstdio>

namespace {
int dateAddedRun(const QStringList &args)
{
    const int n = std::max(1, args.value(0, QStringLiteral("20")).toInt());
    if (ITunesApplication::iTunes().isRunning()) {
        std::fprintf(stderr, "dateadded-run: a library already runs on this bus; run under dbus-run-session\n");
        return 1;
    }
    QTemporaryDir dir;
    QList<QUrl> files;
    for (int i = 0; i < n; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1 Track.mp3").arg(i + 1, 2, 10, QLatin1Char('0')));
        if (!AudioFiles::writeMp3(path, {QStringLiteral("Track %1").arg(i + 1), "Bench", "Date Added", QString::number(i + 1)}))
            return 1;
        files.append(QUrl::fromLocalFile(path));
    }
    LibraryProcess library(dir.filePath(QStringLiteral("Library.sqlite")));
    if (!library.start()) {
        std::fprintf(stderr, "dateadded-run: cannot start %s\n", qPrintable(LibraryProcess::program()));
        return 1;
    }
    // The program's watch of the library's name sees the new owner a moment
    // after the name is taken.
    QElapsedTimer waited;
    waited.start();
    while (!ITunesApplication::iTunes().isRunning() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    DateAddedViewController tool;
    tool.resize(711, 520);
    tool.show();
    QMimeData mime;
    mime.setUrls(files);
    tool.dropView()->takeDrop(&mime);

    const RunTiming timing = timeUntil(&tool, &DateAddedViewController::runFinished, [&tool] {
        tool.findChild<QAbstractButton *>(QStringLiteral("setButton"))->click();
    });
    const bool emptied = tool.dropView()->count() == 0;
    library.stop();
    Scenarios::print({{QStringLiteral("scenario"), QStringLiteral("dateadded-run")},
                      {QStringLiteral("n"), n},
                      {QStringLiteral("seconds"), timing.seconds},
                      {QStringLiteral("overhead_ms_per_file"), (timing.seconds - n) * 1000.0 / n},
                      {QStringLiteral("max_stall_ms"), timing.maxStallMs},
                      {QStringLiteral("list_emptied"), emptied},
                      {QStringLiteral("target_overhead_ms"), 20}});
    return emptied ? 0 : 1;
}
} // namespace

MELVORA_SCENARIO(dateAddedRun, "dateadded-run", "[FILES=20]", dateAddedRun);
