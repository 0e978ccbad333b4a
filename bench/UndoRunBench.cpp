// undo-run: a Set Modification Date run over many files with the library
// running, with and without the journal, and the undo of the journalled run.

#include "app/history/UndoRun.h"
#include "bench/CopiedFiles.h"
#include "bench/Scenario.h"
#include "bench/StallMeter.h"
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tools/modification/ModificationViewController.h"
#include "tracks/files/FileDates.h"
#include "tracks/journal/RunJournal.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/lists/DropView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QMimeData>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {
double timeSet(ModificationViewController &tool, const QDate &day)
{
    tool.findChild<QDateEdit *>(QStringLiteral("datePicker1"))->setDate(day);
    return timeUntil(&tool, &ModificationViewController::runFinished,
                     [&tool] { tool.findChild<QAbstractButton *>(QStringLiteral("setButtonSMD"))->click(); })
        .seconds;
}

int undoRun(const QStringList &args)
{
    int n = 10000;
    for (int i = 0; i + 1 < args.size(); ++i)
        if (args.at(i) == u"--n")
            n = std::max(1, args.at(i + 1).toInt());
    if (ITunesApplication::iTunes().isRunning()) {
        std::fprintf(stderr, "undo-run: a library already runs on this bus; run under dbus-run-session\n");
        return 1;
    }
    QTemporaryDir dir;
    const QList<QUrl> files = copiedFiles(QDir(dir.path()), n, "undo-run");
    if (files.isEmpty())
        return 1;
    LibraryProcess library(dir.filePath(QStringLiteral("Library.sqlite")));
    if (!library.start()) {
        std::fprintf(stderr, "undo-run: cannot start %s\n", qPrintable(LibraryProcess::program()));
        return 1;
    }
    const ITunesApplication iTunes = ITunesApplication::iTunes();
    for (qsizetype at = 0; at < files.size(); at += 200)
        iTunes.add(files.mid(at, 200));

    ModificationViewController tool;
    tool.resize(711, 520);
    tool.show();
    tool.openAction(ModificationViewController::SMD);
    tool.dropView(ModificationViewController::SMD)->takeFiles(files);

    // Each run gives every file a new day; runs with and without the journal
    // take turns, so that a change in the machine's load touches both.
    const QString journalPath = dir.filePath(QStringLiteral("journal.sqlite"));
    QDate day(2020, 1, 1);
    QList<double> plain, journalled;
    for (int round = 0; round < 3; ++round) {
        qputenv("MELVORA_JOURNAL", "off");
        plain.append(timeSet(tool, day = day.addDays(1)));
        qputenv("MELVORA_JOURNAL", QFile::encodeName(journalPath));
        journalled.append(timeSet(tool, day = day.addDays(1)));
    }
    const double plainSeconds = *std::min_element(plain.cbegin(), plain.cend());
    const double seconds = *std::min_element(journalled.cbegin(), journalled.cend());

    // Take the last journalled run back: every file gets the day before it.
    const std::optional<FileTime> earlier = FileDates::modificationDate(files.first());
    RunJournal journal;
    const std::optional<RunJournal::Run> last = journal.open() ? journal.lastUndoable() : std::nullopt;
    if (!last) {
        std::fprintf(stderr, "undo-run: the journal holds no run\n");
        return 1;
    }
    std::optional<UndoRun::Report> report;
    QElapsedTimer clock;
    clock.start();
    UndoRun::start(&tool, last->id, [&report](const UndoRun::Report &r) { report = r; });
    while (!report && clock.elapsed() < 600'000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double undoSeconds = clock.nsecsElapsed() / 1e9;
    library.stop();
    const bool restored = report && report->restored == n && earlier
                       && FileDates::modificationDate(files.last())->seconds < earlier->seconds;
    Scenarios::print({{QStringLiteral("scenario"), QStringLiteral("undo-run")},
                      {QStringLiteral("n"), n},
                      {QStringLiteral("seconds"), seconds},
                      {QStringLiteral("plain_seconds"), plainSeconds},
                      {QStringLiteral("journal_ratio"), seconds / plainSeconds},
                      {QStringLiteral("undo_seconds"), undoSeconds},
                      {QStringLiteral("restored"), restored}});
    return restored ? 0 : 1;
}
} // namespace

MELVORA_SCENARIO(undoRun, "undo-run", "[--n FILES=10000]", undoRun);

namespace {
// set-dates: one Set Modification Date run over the files given, to the day
// given, with the journal the environment names; for tests that stop a run's
// process half-way.
int setDates(const QStringList &args)
{
    if (args.size() < 2)
        return 2;
    const QDate day = QDate::fromString(args.first(), Qt::ISODate);
    QList<QUrl> files;
    for (const QString &path : args.mid(1))
        files.append(QUrl::fromLocalFile(path));
    if (!day.isValid() || files.isEmpty())
        return 2;
    ModificationViewController tool;
    tool.resize(711, 520);
    tool.show();
    QMimeData mime;
    mime.setUrls(files);
    tool.dropView(ModificationViewController::SMD)->takeDrop(&mime);
    std::printf("started\n");
    std::fflush(stdout);
    return timeSet(tool, day) >= 0 ? 0 : 1;
}
} // namespace

MELVORA_SCENARIO(setDates, "set-dates", "DAY FILE...", setDates);
