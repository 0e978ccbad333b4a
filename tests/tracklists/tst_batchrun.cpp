// Batch runs: progress, the sheet, and runs meeting missing files, failing items and a killed library.
#include "tests/support/AudioFiles.h"
#include "tests/support/LibraryProcess.h"
#include "tracks/files/FileDates.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/library/LibraryRefresh.h"
#include "tracks/lists/BatchRun.h"
#include "tracks/runs/StopFlag.h"

#include <QDialog>
#include <QProgressBar>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <limits>
#include <stdexcept>

namespace {
constexpr int runBoundMs = 15000;

// Tracks 1, 2 and 3 of an album, as MP3 files in the folder; fewer when one cannot be written.
QList<QUrl> threeTracks(const QTemporaryDir &dir)
{
    QList<QUrl> files;
    for (int i = 1; i <= 3; ++i) {
        const QUrl file = QUrl::fromLocalFile(dir.filePath(QStringLiteral("%1.mp3").arg(i)));
        if (!AudioFiles::writeMp3(file.toLocalFile(), {"Title", "Artist", "Album", QString::number(i)}))
            break;
        files << file;
    }
    return files;
}

// Everything a run reported, in the order the main thread saw it.
struct RunRecord
{
    QList<int> bar;
    int ends = 0;
    BatchRun::Failures failed;
    QPointer<BatchRun> run;
    QPointer<QDialog> sheet;

    BatchRun *start(QWidget *tool, BatchRun::Steps steps)
    {
        steps.end = [this, end = steps.end](const BatchRun::Failures &reported) {
            ++ends;
            failed = reported;
            if (end)
                end(reported);
        };
        run = BatchRun::start(tool, std::move(steps));
        sheet = run->sheet();
        QObject::connect(run, &BatchRun::barValueChanged, run, [this](int v) { bar.append(v); });
        return run;
    }

    // The run has ended once, and it and its sheet are gone.
    bool ended()
    {
        return QTest::qWaitFor([this] { return run.isNull() && sheet.isNull(); }, runBoundMs) && ends == 1;
    }
};
} // namespace

class TestBatchRun : public QObject
{
    Q_OBJECT
private slots:
    // Play Count, Rating and Date Added post the count so far before the item.
    void oneItemRunUnderItsSheet()
    {
        QWidget window;
        auto *tool = new QWidget(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QSemaphore inWork, mayFinish;
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = 1;
        steps.progressBeforeWork = true;
        steps.barValue = [](int k) { return k + 1; };
        steps.work = [&](int) {
            inWork.release();
            mayFinish.acquire();
            return QString();
        };
        BatchRun *run = record.start(tool, steps);
        QVERIFY(record.sheet && record.sheet->isVisible());
        QCOMPARE(record.sheet->parentWidget(), &window);
        QCOMPARE(record.sheet->windowModality(), Qt::WindowModal);
        QCOMPARE(run->bar()->maximum(), 1);
        QVERIFY(inWork.tryAcquire(1, runBoundMs));
        QCoreApplication::processEvents(); // shows what was posted before the item
        QCOMPARE(record.bar, QList<int>{1});

        // The user cannot send the sheet away while the run goes.
        QTest::keyClick(record.sheet, Qt::Key_Escape);
        record.sheet->close();
        QVERIFY(record.sheet->isVisible());

        mayFinish.release();
        QVERIFY(record.ended());
        QCOMPARE(record.bar, QList<int>{1});
    }

    // A long run shows the newest step when the main thread comes to it, in
    // order, and never loses the last item's step; a run with nothing to do ends.
    void longAndEmptyRunsEnd()
    {
        QWidget tool;
        for (bool mainThreadBusy : {true, false}) {
            RunRecord record;
            BatchRun::Steps steps;
            steps.count = BatchRun::everyStepUpTo * 4;
            record.start(&tool, steps);
            // While the main thread handles no event, only the newest step is left to show.
            QVERIFY(!mainThreadBusy || QThreadPool::globalInstance()->waitForDone(runBoundMs));
            QVERIFY(record.ended());
            QVERIFY(!record.bar.isEmpty() && record.bar.constLast() == steps.count - 1);
            QVERIFY(!mainThreadBusy || record.bar.size() == 1);
            // Strictly rising: in order, none shown twice.
            QVERIFY(std::ranges::adjacent_find(record.bar, std::greater_equal<>()) == record.bar.end());
        }
        bool worked = false;
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = 3;
        steps.before = [] { return false; };
        steps.work = [&](int) {
            worked = true;
            return QString();
        };
        record.start(&tool, steps);
        QVERIFY(record.ended());
        QVERIFY(record.bar.isEmpty() && !worked);
    }

    // As when the application quits: deleting the run stops the worker after its item and waits for it.
    void deletingARunStopsItsWorker()
    {
        QWidget tool;
        std::atomic<int> worked{0};
        std::atomic<bool> returned{false};
        auto stop = std::make_shared<StopFlag>();
        BatchRun::Steps steps;
        steps.count = 1000;
        steps.stop = stop;
        steps.work = [&, stop](int i) {
            ++worked;
            if (i == 1) {
                stop->sleepUntil(std::numeric_limits<qint64>::max());
                returned = true;
            }
            return QString();
        };
        BatchRun *run = BatchRun::start(&tool, steps);
        QTRY_COMPARE(worked.load(), 2);
        delete run;
        QVERIFY(returned.load());
        QCOMPARE(worked.load(), 2);
    }

    // Date Modified over a vanished file, the library killed after the first item: the rest
    // still change, the vanished file is reported and not refreshed, the library stays down.
    void modificationRunWithoutTheLibrary()
    {
        QTemporaryDir dir;
        const QList<QUrl> files = threeTracks(dir);
        QCOMPARE(files.size(), 3);
        QVERIFY(QFile::remove(files.at(1).toLocalFile()));
        LibraryProcess process;
        QVERIFY(process.start());

        QWidget tool;
        const FileTime chosen = FileTime::fromDateTime({{2012, 4, 5}, {6, 7, 8}, Qt::UTC});
        RunRecord record;
        QSemaphore killed; // the second item waits until the library is gone
        BatchRun::Steps steps;
        steps.count = 3;
        steps.work = [&](int i) {
            if (i == 1)
                killed.tryAcquire(1, 10000);
            if (i == 2)
                throw std::runtime_error("a throwing item is reported and skipped");
            return FileDates::setModificationDate(files.at(i), chosen) ? QString() : QStringLiteral("gone");
        };
        QList<int> refreshed;
        steps.afterProgress = [&](int i) {
            refreshed.append(i);
            refreshSingleFileFromItunesList(files.at(i));
            throw std::runtime_error("a failing refresh is skipped");
        };
        steps.end = [](const BatchRun::Failures &) { throw std::runtime_error("the end step must not keep the sheet up"); };
        connect(record.start(&tool, steps), &BatchRun::barValueChanged, &tool, [&](int v) {
            if (v == 0) {
                process.kill();
                killed.release();
            }
        });
        QVERIFY(record.ended());
        QCOMPARE(record.bar, (QList<int>{0, 1, 2}));
        QCOMPARE(refreshed, QList<int>{0});
        QCOMPARE(record.failed.keys(), (QList<int>{1, 2}));
        QCOMPARE(record.failed.value(1), QStringLiteral("gone"));
        QVERIFY(!record.failed.value(2).isEmpty());
        QCOMPARE(FileDates::modificationDate(files.at(0)), std::optional(chosen));
        QVERIFY(!QFile::exists(files.at(1).toLocalFile()));
        QVERIFY(!LibraryProcess::waitForOwner(true, 0));
    }

    // Within one batch of refreshes the library is not asked about for each
    // file, yet one that starts half-way is told about the files after it,
    // and one that dies is no longer called.
    void aLibraryStartingOrDyingDuringABatch()
    {
        QTemporaryDir dir;
        const QList<QUrl> files = threeTracks(dir);
        QCOMPARE(files.size(), 3);
        LibraryProcess process;
        LibraryRefreshBatch batch;
        refreshSingleFileFromItunesList(files.at(0)); // nothing runs
        QVERIFY(process.start());
        QTRY_VERIFY_WITH_TIMEOUT(ITunesApplication::iTunes().isRunning(), 10000);
        refreshSingleFileFromItunesList(files.at(1));
        batch.finish();
        const auto held = [](const QUrl &file) {
            const auto track = ITunesApplication::iTunes().trackOfFile(file);
            return track && track->track.isValid();
        };
        QVERIFY(!held(files.at(0)));
        QVERIFY(held(files.at(1)));

        process.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!ITunesApplication::iTunes().isRunning(), 10000);
        refreshSingleFileFromItunesList(files.at(2));
        batch.finish();
        QVERIFY(process.start());
        QVERIFY(ITunesApplication::iTunes().trackOfFile(files.at(2)));
        QVERIFY(!held(files.at(2)));
    }
};

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
