// Batch runs: the progress each kind of tool posts, the sheet over the tool's
// window, and runs that meet missing files, failing items and a library that
// is absent or killed halfway.
#include "AudioFiles.h"
#include "BatchRun.h"
#include "DropView.h"
#include "FileDates.h"
#include "LibraryProcess.h"
#include "LibraryRefresh.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QSemaphore>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace {
constexpr int runBoundMs = 15000;

// Everything a run reported, in the order the main thread saw it, and the
// items its worker worked.
struct RunRecord
{
    QList<int> bar;
    int ends = 0;
    QPointer<BatchRun> run;
    QPointer<QDialog> sheet;
    QList<int> worked; // by the worker alone; read once the run has ended

    // Starts the run; its end step is counted before the tool's own runs.
    BatchRun *start(QWidget *tool, BatchRun::Steps steps)
    {
        steps.end = [this, end = steps.end] {
            ++ends;
            if (end)
                end();
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
    void sheetCoversTheToolWhileItsOneItemIsWorked()
    {
        QWidget window;
        window.resize(640, 400);
        auto *tool = new QWidget(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QSemaphore inWork, mayFinish;
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = 1;
        steps.work = [&](int) {
            inWork.release();
            mayFinish.acquire();
        };
        BatchRun *run = record.start(tool, steps);
        QVERIFY(record.sheet && record.sheet->isVisible());
        QCOMPARE(record.sheet->parentWidget(), &window);
        QCOMPARE(record.sheet->windowModality(), Qt::WindowModal);
        QCOMPARE(record.sheet->size(), QSize(400, 60));
        QCOMPARE(run->bar()->geometry(), QRect(20, 20, 360, 20));
        QCOMPARE(run->bar()->maximum(), 1);
        QVERIFY(inWork.tryAcquire(1, runBoundMs));

        // The user cannot send the sheet away while the run goes.
        QTest::keyClick(record.sheet, Qt::Key_Escape);
        record.sheet->close();
        QVERIFY(record.sheet->isVisible());

        mayFinish.release();
        QVERIFY(record.ended());
        QCOMPARE(record.bar, QList<int>{0});
    }

    // Play Count, Rating and Date Added post the count so far (k + 1); Date
    // Modified posts the index, checked with real files below.
    void progressValuesPerToolKind()
    {
        // Date Added downward: N - i for indexes 2, 1, 0, each value posted
        // before that item is worked (the worker waits until it was seen).
        QWidget tool;
        std::atomic<int> seen{-1};
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = 3;
        steps.progressBeforeWork = true;
        steps.barValue = [](int k) { return k + 1; };
        steps.work = [&](int k) {
            QElapsedTimer wait;
            wait.start();
            while (seen.load() != k + 1 && !wait.hasExpired(2000))
                QThread::msleep(2);
            record.worked.append(seen.load() == k + 1 ? 2 - k : -1);
        };
        connect(record.start(&tool, steps), &BatchRun::barValueChanged, &tool, [&](int v) { seen = v; });
        QVERIFY(record.ended());
        QCOMPARE(record.bar, (QList<int>{1, 2, 3}));
        QCOMPARE(record.worked, (QList<int>{2, 1, 0}));
    }

    // A long run shows the newest step when the main thread comes to it, in
    // order, and never loses the last item's step.
    void longRunShowsTheNewestStep()
    {
        QWidget tool;
        const int count = BatchRun::everyStepUpTo * 4;
        for (bool mainThreadBusy : {true, false}) {
            QSemaphore lastDone;
            RunRecord record;
            BatchRun::Steps steps;
            steps.count = count;
            steps.afterProgress = [&](int i) {
                if (i == count - 1)
                    lastDone.release();
            };
            record.start(&tool, steps);
            // While the main thread handles no event, only the newest step is left to show.
            QVERIFY(!mainThreadBusy || lastDone.tryAcquire(1, runBoundMs));
            QVERIFY(record.ended());
            QVERIFY(!record.bar.isEmpty() && record.bar.constLast() == count - 1);
            QVERIFY(!mainThreadBusy || record.bar.size() == 1);
            QVERIFY(std::is_sorted(record.bar.cbegin(), record.bar.cend()));
            QVERIFY(std::adjacent_find(record.bar.cbegin(), record.bar.cend()) == record.bar.cend());
        }
    }

    void runsAlwaysEnd()
    {
        QWidget tool;
        // No item at all, and no item because the run found nothing to do.
        for (bool nothingToDo : {false, true}) {
            RunRecord record;
            BatchRun::Steps steps;
            steps.count = nothingToDo ? 3 : 0;
            steps.before = [nothingToDo] { return !nothingToDo; };
            steps.work = [&](int i) { record.worked.append(i); };
            record.start(&tool, steps);
            QVERIFY(record.ended());
            QVERIFY(record.bar.isEmpty() && record.worked.isEmpty());
        }
        // A failing item is skipped; so is a failing refresh and a failing end.
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = 3;
        steps.work = [&](int i) {
            if (i == 1)
                throw std::runtime_error("item cannot be changed");
            record.worked.append(i);
        };
        steps.afterProgress = [](int i) {
            if (i == 2)
                throw std::runtime_error("library went away");
        };
        steps.end = [] { throw std::runtime_error("the end step must not keep the sheet up"); };
        record.start(&tool, steps);
        QVERIFY(record.ended());
        QCOMPARE(record.worked, (QList<int>{0, 2}));
        QCOMPARE(record.bar, (QList<int>{0, 1, 2}));
    }

    void deletingARunStopsItsWorker()
    {
        // What happens to a run when the application quits under it: the worker
        // stops after its current item and is waited for.
        QWidget tool;
        std::atomic<int> worked{0};
        BatchRun::Steps steps;
        steps.count = 1000;
        steps.work = [&](int) {
            QThread::msleep(5);
            ++worked;
        };
        BatchRun *run = BatchRun::start(&tool, steps);
        QTRY_VERIFY(worked.load() > 0);
        delete run;
        const int atDelete = worked.load();
        QVERIFY(atDelete < 1000);
        QThread::msleep(50);
        QCOMPARE(worked.load(), atDelete);
    }

    // A Date Modified run (set each file's date, have the library read it
    // again) with the library absent or killed halfway.
    void modificationRun_data()
    {
        QTest::addColumn<bool>("killed");
        QTest::newRow("library not running, a listed file vanished") << false;
        QTest::newRow("library killed mid-run") << true;
    }

    void modificationRun()
    {
        QFETCH(bool, killed);
        DropView list;
        QTableView table;
        list.attachTable(&table);
        for (int i = 1; i <= 3; ++i) {
            const QString path = m_dir.filePath(QStringLiteral("%1 %2.mp3").arg(killed).arg(i));
            QVERIFY(AudioFiles::writeMp3(path, {QString::number(i), "Artist", "Album", QString::number(i)}));
            list.addFilesToArray({QUrl::fromLocalFile(path)});
        }
        const QList<QUrl> files = list.files();
        LibraryProcess process;
        if (killed)
            QVERIFY(process.start());
        else
            QVERIFY(QFile::remove(files.at(1).toLocalFile())); // gone after it was listed

        const QDateTime chosen(QDate(2012, 4, 5), QTime(6, 7, 8), Qt::UTC);
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = 3;
        steps.work = [&, date = FileTime::fromDateTime(chosen)](int i) {
            if (killed)
                QThread::msleep(100); // leaves time to kill the library between items
            FileDates::setModificationDate(files.at(i).toLocalFile(), date);
        };
        steps.afterProgress = [&](int i) { refreshSingleFileFromItunesList(files.at(i)); };
        steps.end = [&] { list.reloadData(); };
        QElapsedTimer clock;
        clock.start();
        connect(record.start(&table, steps), &BatchRun::barValueChanged, &table, [&](int v) {
            if (v == 0 && killed)
                process.kill();
        });
        QVERIFY(record.ended());
        QCOMPARE(record.bar, (QList<int>{0, 1, 2}));
        // The rows show what the files hold now.
        const auto modified = [&](int row) { return table.model()->index(row, 1).data().toDateTime(); };
        QCOMPARE(modified(0), chosen);
        QCOMPARE(modified(2), chosen);
        if (killed) {
            QCOMPARE(modified(1), chosen);
            QVERIFY(!process.isRunning());
        } else {
            QVERIFY(clock.elapsed() < 3000);
            QVERIFY(!modified(1).isValid());
            QVERIFY(!LibraryProcess::waitForOwner(true, 0)); // not started by the run
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
