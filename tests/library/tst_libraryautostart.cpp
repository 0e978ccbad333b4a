// No bridge call but run() may start the library, even where the bus could
// start it on demand: on a bus of the test's own, the library's name is
// activatable and activation leaves a mark on disk.

#include "protocol/LibraryProtocol.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/library/ITunesCallWindow.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString service = QString::fromLatin1(LibraryProtocol::serviceName);

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
} // namespace

class LibraryAutostartTest : public QObject
{
    Q_OBJECT
public:
    explicit LibraryAutostartTest(QString marker) : m_marker(std::move(marker)) { }

private:
    QString m_marker;

private slots:
    // Proves the set-up: the bus starts something for this name.
    void plainCallStartsTheActivatableName()
    {
        QDBusMessage call = QDBusMessage::createMethodCall(service, QString::fromLatin1(LibraryProtocol::objectPath),
                                                           QString::fromLatin1(LibraryProtocol::interfaceName),
                                                           QStringLiteral("Selection"));
        QDBusConnection::sessionBus().call(call, QDBus::Block, 500);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_marker), 3000);
        QVERIFY(QFile::remove(m_marker));
    }

    void bridgeCallsStartNothing()
    {
        const ITunesApplication iTunes = ITunesApplication::applicationWithBundleIdentifier(service);
        const QUrl file = QUrl::fromLocalFile(QDir::tempPath() + QStringLiteral("/x.mp3"));
        QVERIFY(!iTunes.isRunning());
        QVERIFY(iTunes.selection().get().isEmpty());
        QVERIFY(!iTunes.add({file}).isValid());
        QVERIFY(!iTunes.addRefreshReveal(file).isValid());
        QVERIFY(!iTunes.addSetRefreshReveal(file, QStringLiteral("rating"), 40).stored);
        {
            ITunesCallWindow window(2);
            window.addRefreshReveal(iTunes, file);
            window.addSetRefreshReveal(iTunes, file, QStringLiteral("playedCount"), 3, {});
        }
        ITunesTrack track(service, 1);
        QCOMPARE(track.name(), QString());
        track.setPlayedCount(3);
        track.setRating(40);
        track.refresh();
        track.reveal();
        // An activation, had a call asked for one, shows within this time.
        QVERIFY2(!QTest::qWaitFor([this] { return QFile::exists(m_marker); }, 300),
                 "a bridge call started the library");
        QVERIFY(!iTunes.isRunning());
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("started"));
    QDir(dir.path()).mkpath(QStringLiteral("services"));
    const QByteArray serviceFile = "[D-BUS Service]\nName=" + service.toUtf8() + "\nExec=/bin/sh -c 'echo started >> \""
        + marker.toUtf8() + "\"'\n";
    const QByteArray config = "<busconfig><type>session</type><listen>unix:dir=" + dir.path().toUtf8()
        + "</listen><servicedir>" + dir.filePath(QStringLiteral("services")).toUtf8()
        + "</servicedir><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
          "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    if (!writeFile(dir.filePath(QStringLiteral("services/library.service")), serviceFile)
        || !writeFile(dir.filePath(QStringLiteral("bus.conf")), config))
        qFatal("cannot write the bus configuration");

    QProcess bus;
    const auto stopBus = qScopeGuard([&bus] {
        bus.kill();
        bus.waitForFinished(5000);
    });
    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--config-file=") + dir.filePath(QStringLiteral("bus.conf")), QStringLiteral("--nofork"),
               QStringLiteral("--print-address=1")});
    if (!bus.waitForStarted(5000) || !bus.waitForReadyRead(5000))
        qFatal("cannot start dbus-daemon");
    // Before the first use of the session bus, which connects to this address.
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());

    LibraryAutostartTest test(marker);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_libraryautostart.moc"
