// The Date Modified tool's runs with the real music library running: the
// library's date modified and selection follow each run.
#include "ModificationFixture.h"

#include "LibraryProcess.h"
#include "ModificationDates.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusArgument>
#include <QDateEdit>
#include <QTimeEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
QList<QVariantMap> callLibrary(const QString &method)
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("com.apple.iTunes"), QStringLiteral("/Library"), QStringLiteral("com.apple.iTunes.Library"), method);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    QList<QVariantMap> records;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qWarning() << "library call" << method << "failed:" << reply.errorMessage();
        return records;
    }
    const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
    list >> records;
    return records;
}

// The library's date modified of each file, in ms since 1970; -1 when the
// library does not list the file.
QList<qint64> libraryDates(const QList<QUrl> &files)
{
    QHash<QString, qint64> byLocation;
    for (const QVariantMap &record : callLibrary(QStringLiteral("AllTracks")))
        byLocation.insert(QUrl(record.value(QStringLiteral("location")).toString()).toLocalFile(),
                          record.value(QStringLiteral("dateModified")).toLongLong());
    QList<qint64> dates;
    for (const QUrl &file : files)
        dates << byLocation.value(file.toLocalFile(), -1);
    return dates;
}

QStringList selectedLocations()
{
    QStringList locations;
    for (const QVariantMap &record : callLibrary(QStringLiteral("SelectedTracks")))
        locations << QUrl(record.value(QStringLiteral("location")).toString()).toLocalFile();
    return locations;
}

qint64 ms(const FileTime &time)
{
    return time.seconds * 1000 + time.nanoseconds / 1'000'000;
}
} // namespace

class ModificationLibraryTest : public QObject
{
    Q_OBJECT
private slots:
    void libraryFollowsEachRun();
};

void ModificationLibraryTest::libraryFollowsEachRun()
{
    LibraryProcess library;
    QVERIFY(library.start());
    ModificationFixture f;
    QList<QUrl> files;
    for (int i = 1; i <= 3; ++i)
        files << f.makeFile(QStringLiteral("%1 Song.mp3").arg(i), QString::number(i));

    // Set: the library learns the files (they were not in it) with the new date.
    f.choose(0);
    f.child<QDateEdit>("datePicker1")->setDate(QDate(2012, 2, 29));
    f.child<QTimeEdit>("timePicker1")->setTime(QTime(18, 30, 15));
    f.drop(0, files);
    QVERIFY(f.runAndWait(0));
    const qint64 chosen = f.tool->selectedDateSMD().toMSecsSinceEpoch();
    QCOMPARE(libraryDates(files), QList<qint64>(3, chosen));
    QCOMPARE(selectedLocations(), QStringList{files.last().toLocalFile()});

    // Sort by track number, the first track newest, in the order 3, 2, 1.
    QTest::mouseClick(f.child<QPushButton>("backButton"), Qt::LeftButton);
    f.choose(2);
    QTest::mouseClick(f.child<QRadioButton>("radioTN2Latest"), Qt::LeftButton);
    f.drop(2, {files[2], files[0], files[1]});
    QCOMPARE(f.tool->dropView(2)->files(), files);
    QList<std::optional<FileTime>> births;
    for (const QUrl &file : files)
        births << FileDates::creationDate(file.toLocalFile());
    const qint64 base = ModificationDates::baseSeconds(ModificationDates::latest(births));
    QVERIFY(f.runAndWait(2));
    QCOMPARE(libraryDates(files), (QList<qint64>{(base + 3) * 1000, (base + 2) * 1000, (base + 1) * 1000}));
    QCOMPARE(selectedLocations(), QStringList{files.last().toLocalFile()});

    // Copy Creation Date over the first two: the library shows each birth time.
    QTest::mouseClick(f.child<QPushButton>("backButton"), Qt::LeftButton);
    f.choose(1);
    f.drop(1, {files[1], files[0]});
    QVERIFY(f.runAndWait(1));
    const QList<qint64> dates = libraryDates(files);
    for (int i = 0; i < 2; ++i) {
        const std::optional<FileTime> born = births[i];
        QCOMPARE(dates[i], born ? ms(*born) : (base + 3 - i) * 1000);
    }
    QCOMPARE(dates[2], (base + 1) * 1000);
    QCOMPARE(selectedLocations(), QStringList{files[0].toLocalFile()});
}

QTEST_MAIN(ModificationLibraryTest)
#include "tst_modificationlibrary.moc"
