// File dates: birth time, modification time to the nanosecond, conversions to and from QDateTime.

#include "tracks/files/FileDates.h"

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
        QCOMPARE(FileTime::normalised(-1, -1'000'000'000), (FileTime{-2, 0}));
        QCOMPARE(FileTime::normalised(0, 2'500'000'000), (FileTime{2, 500'000'000}));

        const QDateTime moment = QDateTime::fromString(QStringLiteral("2013-04-01T10:00:00.700Z"), Qt::ISODateWithMs);
        QCOMPARE(FileTime::fromDateTime(moment), (FileTime{1364810400, 700'000'000}));
        // Display precision is milliseconds, cut toward the past.
        QCOMPARE((FileTime{1364810400, 700'999'999}).toDateTime(), moment);
        QCOMPARE((FileTime{-2, 500'000'001}).toDateTime().toMSecsSinceEpoch(), -1500);
    }

    void birthAndModificationTimes()
    {
        const QString path = dir.filePath(QStringLiteral("born"));
        const QUrl url = QUrl::fromLocalFile(path);
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        QVERIFY(touch(path));
        const QDateTime after = QDateTime::currentDateTimeUtc();
        const auto born = FileDates::creationDate(url);
        QCOMPARE(bool(born), fileSystemRecordsBirth(path));
        // A known access time, to see that writing the modification time keeps it.
        const struct timespec access[2] = {{1'000'000'000, 42}, {0, UTIME_OMIT}};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), access, 0), 0);
        // To the nanosecond in 2013, before 1970, past 2038.
        for (const FileTime &time :
             {FileTime{1364810400, 123'456'789}, FileTime{-31'536'000, 500'000'001}, FileTime{2'200'000'000, 1}}) {
            QVERIFY(FileDates::setModificationDate(url, time));
            QCOMPARE(FileDates::modificationDate(url), time);
        }
        // A time that is not normalised is carried into the seconds.
        QVERIFY(FileDates::setModificationDate(url, {978307200, -1}));
        QCOMPARE(FileDates::modificationDate(url), (FileTime{978307199, 999'999'999}));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(qint64(info.st_atim.tv_sec), qint64(1'000'000'000));
        QCOMPARE(qint64(info.st_atim.tv_nsec), qint64(42));
        if (born) {
            // The kernel's clock may lag the wall clock by a tick.
            QVERIFY(born->seconds >= before - 1 && born->toDateTime() <= after);
            // Changing the modification date left the birth time alone.
            QCOMPARE(FileDates::creationDate(url), born);
        }
        // Kernel files carry no birth time at all.
        QVERIFY(!FileDates::creationDate(QUrl::fromLocalFile(QStringLiteral("/proc/self/status"))));

        // Missing, or cut short by a NUL ("born<NUL>x" would reach "born"): nothing read, made or changed.
        const QString missing = dir.filePath(QStringLiteral("missing"));
        for (const QString &bad : {missing, path + QChar(0) + QStringLiteral("x")}) {
            QVERIFY(!FileDates::creationDate(QUrl::fromLocalFile(bad)));
            QVERIFY(!FileDates::modificationDate(QUrl::fromLocalFile(bad)));
            QVERIFY(!FileDates::setModificationDate(QUrl::fromLocalFile(bad), {0, 0}));
        }
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(FileDates::modificationDate(url), (FileTime{978307199, 999'999'999}));
    }
};

QTEST_GUILESS_MAIN(FileDatesTest)
#include "tst_filedates.moc"
