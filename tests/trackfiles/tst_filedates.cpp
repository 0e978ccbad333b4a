// File dates: birth time as the file system reports it, modification time to
// the nanosecond, and the conversions to and from QDateTime.

#include "FileDates.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace {
bool fileSystemRecordsBirth(const QString &path)
{
    struct statx info = {};
    return ::statx(AT_FDCWD, QFile::encodeName(path).constData(), 0, STATX_BTIME, &info) == 0
        && (info.stx_mask & STATX_BTIME);
}

FileTime now()
{
    struct timespec t = {};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return {t.tv_sec, t.tv_nsec};
}

bool touch(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("x") == 1;
}
} // namespace

class FileDatesTest : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void conversions()
    {
        // Before 1970 the seconds are negative and the fraction counts forward.
        const QDateTime justBefore = QDateTime::fromMSecsSinceEpoch(-1, Qt::UTC);
        QCOMPARE(FileTime::fromDateTime(justBefore), (FileTime{-1, 999'000'000}));
        QCOMPARE((FileTime{-1, 999'000'000}).toDateTime(), justBefore);

        const QDateTime moment = QDateTime::fromString(QStringLiteral("2013-04-01T10:00:00.700Z"), Qt::ISODateWithMs);
        QCOMPARE(FileTime::fromDateTime(moment), (FileTime{1364810400, 700'000'000}));
        QCOMPARE(FileTime::fromDateTime(moment).toDateTime(), moment);
        // Display precision is milliseconds, cut toward the past.
        QCOMPARE((FileTime{1364810400, 700'999'999}).toDateTime(), moment);
        QCOMPARE((FileTime{-2, 500'000'001}).toDateTime().toMSecsSinceEpoch(), -1500);

        QCOMPARE(FileTime::normalised(5, -1), (FileTime{4, 999'999'999}));
        QCOMPARE(FileTime::normalised(0, 2'500'000'000), (FileTime{2, 500'000'000}));
        QCOMPARE(FileTime::normalised(-1, -1'000'000'000), (FileTime{-2, 0}));
        QCOMPARE(FileTime::fromDateTime(QDateTime()), FileTime{});

        QVERIFY((FileTime{-1, 999'999'999}) < (FileTime{0, 0}));
        QVERIFY((FileTime{3, 1}) > (FileTime{3, 0}));
    }

    void birthTimeAsTheFileSystemSays()
    {
        const QString path = dir.filePath(QStringLiteral("born"));
        const FileTime before = now();
        QVERIFY(touch(path));
        const FileTime after = now();
        const auto born = FileDates::creationDate(path);
        if (!fileSystemRecordsBirth(path)) {
            QVERIFY(!born);
        } else {
            QVERIFY(born);
            // The kernel's clock may lag the wall clock by a tick.
            QVERIFY(born->seconds >= before.seconds - 1 && *born <= after);
            // Changing the modification date leaves the birth time alone.
            QVERIFY(FileDates::setModificationDate(path, {978307200, 0}));
            QCOMPARE(FileDates::creationDate(path), born);
        }

        // Kernel files carry no birth time at all.
        QVERIFY(!fileSystemRecordsBirth(QStringLiteral("/proc/self/status")));
        QVERIFY(!FileDates::creationDate(QStringLiteral("/proc/self/status")));
        QVERIFY(FileDates::modificationDate(QStringLiteral("/proc/self/status")));
    }

    void modificationTimeToTheNanosecond_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<qint64>("nanoseconds");
        QTest::newRow("2013") << qint64(1364810400) << qint64(123'456'789);
        QTest::newRow("before 1970") << qint64(-31'536'000) << qint64(500'000'001);
        QTest::newRow("past 2038") << qint64(2'200'000'000) << qint64(1);
        QTest::newRow("the epoch") << qint64(0) << qint64(0);
    }

    void modificationTimeToTheNanosecond()
    {
        QFETCH(qint64, seconds);
        QFETCH(qint64, nanoseconds);
        const QString path = dir.filePath(QStringLiteral("dated"));
        QVERIFY(touch(path));
        // A known access time, to see that writing the modification time keeps it.
        const struct timespec access[2] = {{1'000'000'000, 42}, {0, UTIME_OMIT}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), access, 0), 0);

        QVERIFY(FileDates::setModificationDate(path, {seconds, nanoseconds}));
        QCOMPARE(FileDates::modificationDate(path), (FileTime{seconds, nanoseconds}));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(qint64(info.st_atim.tv_sec), qint64(1'000'000'000));
        QCOMPARE(qint64(info.st_atim.tv_nsec), qint64(42));
    }

    void unnormalisedTimeIsCarried()
    {
        const QString path = dir.filePath(QStringLiteral("carried"));
        QVERIFY(touch(path));
        QVERIFY(FileDates::setModificationDate(path, {100, -1}));
        QCOMPARE(FileDates::modificationDate(path), (FileTime{99, 999'999'999}));
    }

    void filesThatAreNotThere()
    {
        const QString missing = dir.filePath(QStringLiteral("missing"));
        QVERIFY(!FileDates::creationDate(missing));
        QVERIFY(!FileDates::modificationDate(missing));
        QVERIFY(!FileDates::setModificationDate(missing, {0, 0}));
        QVERIFY(!QFile::exists(missing)); // not created by the attempt

        // A file that vanishes between listing and writing.
        const QString vanished = dir.filePath(QStringLiteral("vanished"));
        QVERIFY(touch(vanished));
        QVERIFY(QFile::remove(vanished));
        QVERIFY(!FileDates::setModificationDate(vanished, {0, 0}));

        // A path that runs through a file.
        const QString parent = dir.filePath(QStringLiteral("plain"));
        QVERIFY(touch(parent));
        QVERIFY(!FileDates::setModificationDate(parent + QStringLiteral("/child"), {0, 0}));
        QVERIFY(!FileDates::modificationDate(parent + QStringLiteral("/child")));

        QVERIFY(!FileDates::creationDate(QString()));
        QVERIFY(!FileDates::setModificationDate(QString(), {0, 0}));
    }
};

QTEST_GUILESS_MAIN(FileDatesTest)
#include "tst_filedates.moc"
