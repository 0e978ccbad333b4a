// Batch runs: the progress each kind of tool posts, the sheet over the tool's
// window, and runs that meet missing files, failing items and a library that
// is absent or killed halfway.
#include "BatchRun.h"
#include "DropView.h"
#include "FileDates.h"
#include "LibraryProcess.h"
#include "LibraryRefresh.h"
#include "AudioFiles.h"
#include "musiclibraryproxy.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMutex>
#include <QProgressBar>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <stdexcept>

namespace {
constexpr int runBoundMs = 15000;

// Everything a run reported, in the order the main thread saw it.
struct RunRecord
{
    QList<int> bar;
    int ends = 0;
    bool finished = false;
};

RunRecord *watch(BatchRun *run, RunRecord *record)
{
    QObject::connect(run, &BatchRun::barValueChanged, run, [record](int v) { record->bar.append(v); });
    QObject::connect(run, &BatchRun::finished, run, [record] { record->finished = true; });
    return record;
}

// A list of the given items sorted out of a thread-safe log of the worker.
struct WorkLog
{
    void add(int i)
    {
        QMutexLocker lock(&mutex);
        items.append(i);
    }
    QList<int> all()
    {
        QMutexLocker lock(&mutex);
        return items;
    }
    QMutex mutex;
    QList<int> items;
};

QDateTime modified(const QString &path)
{
    const auto time = FileDates::modificationDate(path);
    return time ? time->toDateTime() : QDateTime();
}

// The Date Modified tools' steps: set each listed file's date, then have the
// library read it again.
BatchRun::Steps modificationSteps(DropView *list, const FileTime &date, RunRecord *record)
{
    const QList<QUrl> files = list->files();
    BatchRun::Steps steps;
    steps.count = int(files.size());
    steps.work = [files, date](int i) { FileDates::setModificationDate(files.at(i).toLocalFile(), date); };
    steps.barValue = [](int i) { return i; };
    steps.afterProgress = [files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    steps.end = [list, record] {
        ++record->ends;
        list->reloadData();
    };
    return steps;
}

QList<QUrl> libraryLocations(MusicLibraryProxy &library)
{
    QList<QUrl> out;
    const auto reply = library.AllTracks();
    for (const QVariantMap &track : reply.value())
        out << QUrl(track.value("location").toString());
    return out;
}
} // namespace

class TestBatchRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void sheetCoversTheToolWhileItemsAreWorked();
    void progressValuesPerToolKind();
    void runsAlwaysEnd();
    void deletingARunStopsItsWorker();
    void modificationRunWithoutLibrarySkipsVanishedFile();
    void modificationRunRefreshesTheLibrary();
    void libraryKilledMidRunStillEnds();

private:
    QStringList makeFiles(const QString &prefix, int n);
    QTemporaryDir m_dir;
};

void TestBatchRun::initTestCase()
{
    QVERIFY(m_dir.isValid());
    LibraryProtocol::registerTypes();
}

QStringList TestBatchRun::makeFiles(const QString &prefix, int n)
{
    QStringList paths;
    for (int i = 1; i <= n; ++i) {
        const QString path = m_dir.filePath(QStringLiteral("%1 %2.mp3").arg(prefix).arg(i));
        if (!AudioFiles::writeMp3(path, {prefix + QString::number(i), "Artist", prefix, QString::number(i)}))
            return {};
        paths << path;
    }
    return paths;
}

void TestBatchRun::sheetCoversTheToolWhileItemsAreWorked()
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
    BatchRun *run = BatchRun::start(tool, steps);
    watch(run, &record);
    QPointer<QDialog> sheet = run->sheet();

    QVERIFY(sheet && sheet->isVisible());
    QCOMPARE(sheet->parentWidget(), &window);
    QCOMPARE(sheet->windowModality(), Qt::WindowModal);
    QCOMPARE(sheet->size(), QSize(400, 60));
    QCOMPARE(run->bar()->geometry(), QRect(20, 20, 360, 20));
    QCOMPARE(run->bar()->minimum(), 0);
    QCOMPARE(run->bar()->maximum(), 1);
    QCOMPARE(run->bar()->value(), 0);
    QVERIFY(inWork.tryAcquire(1, runBoundMs));
    QCOMPARE(QApplication::activeModalWidget(), sheet.data());

    // The user cannot send the sheet away while the run goes.
    QTest::keyClick(sheet, Qt::Key_Escape);
    sheet->close();
    QVERIFY(sheet->isVisible());

    mayFinish.release();
    QTRY_VERIFY_WITH_TIMEOUT(record.finished, runBoundMs);
    QCOMPARE(record.bar, QList<int>{0});
    QCOMPARE(record.ends, 1);
    QTRY_VERIFY(sheet.isNull());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void TestBatchRun::progressValuesPerToolKind()
{
    QWidget tool;
    {
        // Play Count and Rating: selected rows 2 and 5, counted from 1.
        const QList<int> rows{2, 5};
        WorkLog worked;
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = int(rows.size());
        steps.work = [&](int k) { worked.add(rows.at(k)); };
        steps.barValue = [](int k) { return k + 1; };
        watch(BatchRun::start(&tool, steps), &record);
        QTRY_VERIFY_WITH_TIMEOUT(record.finished, runBoundMs);
        QCOMPARE(record.bar, (QList<int>{1, 2}));
        QCOMPARE(worked.all(), rows);
    }
    {
        // Date Added downward: N - i for indexes 2, 1, 0, each value seen
        // by the main thread before that item is worked.
        const int n = 3;
        WorkLog worked;
        std::atomic<int> seen{-1};
        std::atomic<bool> postedFirst{true};
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = n;
        steps.progressBeforeWork = true;
        steps.barValue = [](int k) { return k + 1; };
        steps.work = [&](int k) {
            const int index = n - 1 - k;
            QElapsedTimer wait;
            wait.start();
            while (seen.load() != n - index && wait.elapsed() < 2000)
                QThread::msleep(2);
            if (seen.load() != n - index)
                postedFirst = false;
            worked.add(index);
        };
        BatchRun *run = BatchRun::start(&tool, steps);
        watch(run, &record);
        connect(run, &BatchRun::barValueChanged, run, [&](int v) { seen = v; });
        QTRY_VERIFY_WITH_TIMEOUT(record.finished, runBoundMs);
        QCOMPARE(record.bar, (QList<int>{1, 2, 3}));
        QCOMPARE(worked.all(), (QList<int>{2, 1, 0}));
        QVERIFY(postedFirst);
    }
}

void TestBatchRun::runsAlwaysEnd()
{
    QWidget tool;
    {
        RunRecord record;
        BatchRun::Steps steps;
        steps.end = [&] { ++record.ends; };
        BatchRun *run = BatchRun::start(&tool, steps);
        QPointer<QDialog> sheet = run->sheet();
        watch(run, &record);
        QTRY_VERIFY_WITH_TIMEOUT(record.finished, runBoundMs);
        QCOMPARE(record.ends, 1);
        QVERIFY(record.bar.isEmpty());
        QTRY_VERIFY(sheet.isNull());
    }
    {
        // A failing item is skipped; so is a failing refresh.
        WorkLog worked;
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = 3;
        steps.work = [&](int i) {
            if (i == 1)
                throw std::runtime_error("item cannot be changed");
            worked.add(i);
        };
        steps.afterProgress = [](int i) {
            if (i == 2)
                throw std::runtime_error("library went away");
        };
        steps.end = [&] {
            ++record.ends;
            throw std::runtime_error("the end step must not keep the sheet up");
        };
        BatchRun *run = BatchRun::start(&tool, steps);
        QPointer<QDialog> sheet = run->sheet();
        watch(run, &record);
        QTRY_VERIFY_WITH_TIMEOUT(record.finished, runBoundMs);
        QCOMPARE(worked.all(), (QList<int>{0, 2}));
        QCOMPARE(record.bar, (QList<int>{0, 1, 2}));
        QCOMPARE(record.ends, 1);
        QTRY_VERIFY(sheet.isNull());
    }
    {
        // Nothing to do found before the first item: no item, still an end.
        std::atomic<int> worked{0};
        RunRecord record;
        BatchRun::Steps steps;
        steps.count = 3;
        steps.before = [] { return false; };
        steps.work = [&](int) { ++worked; };
        steps.end = [&] { ++record.ends; };
        watch(BatchRun::start(&tool, steps), &record);
        QTRY_VERIFY_WITH_TIMEOUT(record.finished, runBoundMs);
        QCOMPARE(worked.load(), 0);
        QCOMPARE(record.ends, 1);
    }
}

void TestBatchRun::deletingARunStopsItsWorker()
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

void TestBatchRun::modificationRunWithoutLibrarySkipsVanishedFile()
{
    const QStringList paths = makeFiles("offline", 3);
    QCOMPARE(paths.size(), 3);
    QVERIFY(!LibraryProcess::waitForOwner(true, 0));

    DropView list;
    list.setCurrentAction(0);
    QTableView table;
    list.attachTable(&table);
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    list.setFiles(urls);
    QVERIFY(QFile::remove(paths.at(1))); // gone after it was listed

    const QDateTime chosen(QDate(2012, 4, 5), QTime(6, 7, 8), Qt::UTC);
    RunRecord record;
    QElapsedTimer clock;
    clock.start();
    watch(BatchRun::start(&table, modificationSteps(&list, FileTime::fromDateTime(chosen), &record)), &record);
    QTRY_VERIFY_WITH_TIMEOUT(record.finished, runBoundMs);
    QVERIFY(clock.elapsed() < 3000);
    QCOMPARE(record.bar, (QList<int>{0, 1, 2}));
    QCOMPARE(modified(paths.at(0)), chosen);
    QCOMPARE(modified(paths.at(2)), chosen);
    QVERIFY(!QFile::exists(paths.at(1)));
    QVERIFY(!LibraryProcess::waitForOwner(true, 0)); // not started by the run
    // The refreshed rows show what the files hold now.
    QCOMPARE(table.model()->index(0, 1).data().toDateTime(), chosen);
    QCOMPARE(table.model()->index(1, 1).data(), QVariant());
}

void TestBatchRun::modificationRunRefreshesTheLibrary()
{
    const QStringList paths = makeFiles("online", 2);
    QCOMPARE(paths.size(), 2);
    LibraryProcess library;
    QVERIFY(library.start());
    MusicLibraryProxy proxy(LibraryProtocol::serviceName, LibraryProtocol::objectPath,
                            QDBusConnection::sessionBus());

    DropView list;
    list.setCurrentAction(0);
    list.setFiles({QUrl::fromLocalFile(paths.at(0)), QUrl::fromLocalFile(paths.at(1))});
    const QDateTime chosen(QDate(2015, 1, 2), QTime(3, 4, 5), Qt::UTC);
    RunRecord record;
    QWidget tool;
    watch(BatchRun::start(&tool, modificationSteps(&list, FileTime::fromDateTime(chosen), &record)), &record);
    QTRY_VERIFY_WITH_TIMEOUT(record.finished, runBoundMs);

    // Each file entered the library, and the last one is shown selected.
    const QList<QUrl> locations = libraryLocations(proxy);
    QCOMPARE(locations.size(), 2);
    for (const QString &path : paths)
        QVERIFY(locations.contains(QUrl::fromLocalFile(path)));
    const auto selected = proxy.SelectedTracks().value();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(QUrl(selected.at(0).value("location").toString()), QUrl::fromLocalFile(paths.at(1)));
    QCOMPARE(modified(paths.at(0)), chosen);
    QCOMPARE(modified(paths.at(1)), chosen);
}

void TestBatchRun::libraryKilledMidRunStillEnds()
{
    const QStringList paths = makeFiles("killed", 4);
    QCOMPARE(paths.size(), 4);
    LibraryProcess library;
    QVERIFY(library.start());

    DropView list;
    list.setCurrentAction(0);
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls << QUrl::fromLocalFile(path);
    list.setFiles(urls);
    const QDateTime chosen(QDate(2016, 6, 6), QTime(6, 6, 6), Qt::UTC);
    RunRecord record;
    QWidget tool;
    BatchRun::Steps steps = modificationSteps(&list, FileTime::fromDateTime(chosen), &record);
    const auto work = steps.work;
    steps.work = [work](int i) {
        QThread::msleep(100); // leaves time to kill the library between items
        work(i);
    };
    BatchRun *run = BatchRun::start(&tool, steps);
    QPointer<QDialog> sheet = run->sheet();
    watch(run, &record);
    QElapsedTimer clock;
    clock.start();
    connect(run, &BatchRun::barValueChanged, &tool, [&](int v) {
        if (v == 0)
            library.kill();
    });
    QTRY_VERIFY_WITH_TIMEOUT(record.finished, runBoundMs);
    QVERIFY(clock.elapsed() < runBoundMs);
    QTRY_VERIFY(sheet.isNull());
    for (const QString &path : paths)
        QCOMPARE(modified(path), chosen);
    QVERIFY(!library.isRunning());
}

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
