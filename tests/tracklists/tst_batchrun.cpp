// Batch runs: the progress each kind of tool posts, the sheet over the tool's
// window, and runs that meet missing files, failing items and a library that
// is absent or killed halfway.
#include "AudioFiles.h"
#include "BatchRun.h"
#include "DropView.h"
#include "FileDates.h"
#include "LibraryProcess.h"
#include "LibraryRefresh.h"
#include "musiclibraryproxy.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMutex>
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
    bool finished = false;
    QPointer<QDialog> sheet;
    QMutex mutex;
    QList<int> worked;

    void work(int item)
    {
        QMutexLocker lock(&mutex);
        worked.append(item);
    }

    BatchRun *start(QWidget *tool, BatchRun::Steps steps)
    {
        BatchRun *run = BatchRun::start(tool, std::move(steps));
        sheet = run->sheet();
        QObject::connect(run, &BatchRun::barValueChanged, run, [this](int v) { bar.append(v); });
        QObject::connect(run, &BatchRun::finished, run, [this] { finished = true; });
        return run;
    }

    bool waitForEnd() { return QTest::qWaitFor([this] { return finished; }, runBoundMs); }
};

QDateTime modified(const QString &path)
{
    const auto time = FileDates::modificationDate(path);
    return time ? time->toDateTime() : QDateTime();
}

// The Date Modified tools' steps: set each listed file's date, then have the
// library read it again.
BatchRun::Steps modificationSteps(DropView *list, const QDateTime &date, RunRecord *record)
{
    const QList<QUrl> files = list->files();
    BatchRun::Steps steps;
    steps.count = int(files.size());
    steps.work = [files, date = FileTime::fromDateTime(date)](int i) {
        FileDates::setModificationDate(files.at(i).toLocalFile(), date);
    };
    steps.barValue = [](int i) { return i; };
    steps.afterProgress = [files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    steps.end = [list, record] {
        ++record->ends;
        list->reloadData();
    };
    return steps;
}
} // namespace

class TestBatchRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LibraryProtocol::registerTypes();
    }

    void sheetCoversTheToolWhileItemsAreWorked()
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
        steps.end = [&] { ++record.ends; };
        BatchRun *run = record.start(tool, steps);
        QVERIFY(record.sheet && record.sheet->isVisible());
        QCOMPARE(record.sheet->parentWidget(), &window);
        QCOMPARE(record.sheet->windowModality(), Qt::WindowModal);
        QCOMPARE(record.sheet->size(), QSize(400, 60));
        QCOMPARE(run->bar()->geometry(), QRect(20, 20, 360, 20));
        QCOMPARE(run->bar()->maximum(), 1);
        QVERIFY(inWork.tryAcquire(1, runBoundMs));
        QCOMPARE(QApplication::activeModalWidget(), record.sheet.data());

        // The user cannot send the sheet away while the run goes.
        QTest::keyClick(record.sheet, Qt::Key_Escape);
        record.sheet->close();
        QVERIFY(record.sheet->isVisible());

        mayFinish.release();
        QVERIFY(record.waitForEnd());
        QCOMPARE(record.bar, QList<int>{0});
        QCOMPARE(record.ends, 1);
        QTRY_VERIFY(record.sheet.isNull());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
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
            record.work(seen.load() == k + 1 ? 2 - k : -1);
        };
        connect(record.start(&tool, steps), &BatchRun::barValueChanged, &tool, [&](int v) { seen = v; });
        QVERIFY(record.waitForEnd());
        QCOMPARE(record.bar, (QList<int>{1, 2, 3}));
        QCOMPARE(record.worked, (QList<int>{2, 1, 0}));
    }

    // A long run shows the newest step when the main thread comes to it, in
    // order, and never loses the last item's step.
    void longRunShowsTheNewestStep()
    {
        QWidget tool;
        for (bool mainThreadBusy : {true, false}) {
            const int count = BatchRun::everyStepUpTo * 4;
            QSemaphore lastDone;
            RunRecord record;
            BatchRun::Steps steps;
            steps.count = count;
            steps.barValue = [](int i) { return i; };
            steps.afterProgress = [&](int i) {
                if (i == count - 1)
                    lastDone.release();
            };
            record.start(&tool, steps);
            if (mainThreadBusy)
                QVERIFY(lastDone.tryAcquire(1, runBoundMs)); // no event handled meanwhile
            QVERIFY(record.waitForEnd());
            QVERIFY(!record.bar.isEmpty());
            QCOMPARE(record.bar.constLast(), count - 1);
            if (mainThreadBusy)
                QCOMPARE(record.bar.size(), 1);
            QVERIFY(std::is_sorted(record.bar.cbegin(), record.bar.cend()));
            QVERIFY(std::adjacent_find(record.bar.cbegin(), record.bar.cend()) == record.bar.cend());
        }
    }

    void runsAlwaysEnd()
    {
        QWidget tool;
        {
            // No item at all, and no item because the run found nothing to do.
            for (bool nothingToDo : {false, true}) {
                RunRecord record;
                BatchRun::Steps steps;
                steps.count = nothingToDo ? 3 : 0;
                steps.before = [nothingToDo] { return !nothingToDo; };
                steps.work = [&](int i) { record.work(i); };
                steps.end = [&] { ++record.ends; };
                record.start(&tool, steps);
                QVERIFY(record.waitForEnd());
                QCOMPARE(record.ends, 1);
                QVERIFY(record.bar.isEmpty() && record.worked.isEmpty());
                QTRY_VERIFY(record.sheet.isNull());
            }
        }
        {
            // A failing item is skipped; so is a failing refresh and a failing end.
            RunRecord record;
            BatchRun::Steps steps;
            steps.count = 3;
            steps.work = [&](int i) {
                if (i == 1)
                    throw std::runtime_error("item cannot be changed");
                record.work(i);
            };
            steps.afterProgress = [](int i) {
                if (i == 2)
                    throw std::runtime_error("library went away");
            };
            steps.end = [&] {
                ++record.ends;
                throw std::runtime_error("the end step must not keep the sheet up");
            };
            record.start(&tool, steps);
            QVERIFY(record.waitForEnd());
            QCOMPARE(record.worked, (QList<int>{0, 2}));
            QCOMPARE(record.bar, (QList<int>{0, 1, 2}));
            QCOMPARE(record.ends, 1);
            QTRY_VERIFY(record.sheet.isNull());
        }
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

    // A Date Modified run with the library absent, present and killed halfway.
    void modificationRun_data()
    {
        QTest::addColumn<QString>("library");
        QTest::newRow("not running, a listed file vanished") << "none";
        QTest::newRow("running") << "running";
        QTest::newRow("killed mid-run") << "killed";
    }

    void modificationRun()
    {
        QFETCH(QString, library);
        DropView list;
        QTableView table;
        list.attachTable(&table);
        const QStringList paths = listFiles(list, library, 3);
        QCOMPARE(paths.size(), 3);
        LibraryProcess process;
        if (library == "none") {
            QVERIFY(!LibraryProcess::waitForOwner(true, 0));
            QVERIFY(QFile::remove(paths.at(1))); // gone after it was listed
        } else {
            QVERIFY(process.start());
        }
        const QDateTime chosen(QDate(2012, 4, 5), QTime(6, 7, 8), Qt::UTC);
        RunRecord record;
        BatchRun::Steps steps = modificationSteps(&list, chosen, &record);
        steps.work = [work = steps.work, slow = library == "killed"](int i) {
            if (slow)
                QThread::msleep(100); // leaves time to kill the library between items
            work(i);
        };
        QElapsedTimer clock;
        clock.start();
        connect(record.start(&table, steps), &BatchRun::barValueChanged, &table, [&](int v) {
            if (v == 0 && library == "killed")
                process.kill();
        });
        QVERIFY(record.waitForEnd());
        QCOMPARE(record.bar, (QList<int>{0, 1, 2}));
        QCOMPARE(record.ends, 1);
        QTRY_VERIFY(record.sheet.isNull());
        QCOMPARE(modified(paths.at(0)), chosen);
        QCOMPARE(modified(paths.at(2)), chosen);
        // The refreshed rows show what the files hold now.
        QCOMPARE(table.model()->index(0, 1).data().toDateTime(), chosen);

        if (library == "none") {
            QVERIFY(clock.elapsed() < 3000);
            QVERIFY(!QFile::exists(paths.at(1)));
            QCOMPARE(table.model()->index(1, 1).data(), QVariant());
            QVERIFY(!LibraryProcess::waitForOwner(true, 0)); // not started by the run
        } else if (library == "running") {
            // Each file entered the library, and the last one is shown selected.
            MusicLibraryProxy proxy(LibraryProtocol::serviceName, LibraryProtocol::objectPath,
                                    QDBusConnection::sessionBus());
            QStringList locations;
            for (const QVariantMap &track : proxy.AllTracks().value())
                locations << QUrl(track.value("location").toString()).toLocalFile();
            locations.sort();
            QCOMPARE(locations, paths);
            const auto selected = proxy.SelectedTracks().value();
            QCOMPARE(selected.size(), 1);
            QCOMPARE(QUrl(selected.at(0).value("location").toString()), QUrl::fromLocalFile(paths.at(2)));
            QCOMPARE(modified(paths.at(1)), chosen);
        } else {
            QCOMPARE(modified(paths.at(1)), chosen);
            QVERIFY(!process.isRunning());
        }
    }

private:
    // Writes n tagged files and lists them in a Date Modified list.
    QStringList listFiles(DropView &list, const QString &prefix, int n)
    {
        QStringList paths;
        QList<QUrl> urls;
        for (int i = 1; i <= n; ++i) {
            paths << m_dir.filePath(QStringLiteral("%1 %2.mp3").arg(prefix).arg(i));
            urls << QUrl::fromLocalFile(paths.last());
            if (!AudioFiles::writeMp3(paths.last(), {prefix + QString::number(i), "Artist", prefix, QString::number(i)}))
                return {};
        }
        list.setCurrentAction(0);
        list.setFiles(urls);
        return paths;
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
