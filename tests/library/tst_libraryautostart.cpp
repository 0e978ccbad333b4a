// No bridge call but run() may start the library, even where the bus could
// start it on demand. The test brings up its own bus on which the library's
// name is activatable (activation leaves a mark on disk) and checks that no
// bridge call leaves that mark, while a plain auto-starting call does.

#include "protocol/LibraryProtocol.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/library/ITunesCallWindow.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString service = QString::fromLatin1(LibraryProtocol::serviceName);

// A bus daemon of our own; stopped whatever happens.
struct BusDaemon
{
    QProcess process;
    ~BusDaemon()
    {
        process.kill();
        process.waitForFinished(5000);
    }
};

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
    explicit LibraryAutostartTest(QString marker) : m_marker(std::move(marker)) {}

private:
    QString m_marker;

private slots:
    void plainCallStartsTheActivatableName()
    {
        // Proves the set-up: the bus would start something for this name.
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
        QVERIFY(!iTunes.isRunning());
        QVERIFY(iTunes.selection().get().isEmpty());
        ITunesTrack missing = iTunes.add({QUrl::fromLocalFile(QDir::tempPath() + QStringLiteral("/x.mp3"))});
        QVERIFY(!missing.isValid());
        QVERIFY(!iTunes.addRefreshReveal(QUrl::fromLocalFile(QDir::tempPath() + QStringLiteral("/x.mp3"))).isValid());
        const QUrl file = QUrl::fromLocalFile(QDir::tempPath() + QStringLiteral("/x.mp3"));
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
        QVERIFY2(!QTest::qWaitFor([this] { return QFile::exists(m_marker); }, 300), "a bridge call started the library");
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
    const QByteArray config =
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>session</type><listen>unix:dir="
        + dir.path().toUtf8() + "</listen><servicedir>" + dir.filePath(QStringLiteral("services")).toUtf8()
        + "</servicedir><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
          "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    if (!writeFile(dir.filePath(QStringLiteral("services/library.service")), serviceFile)
        || !writeFile(dir.filePath(QStringLiteral("bus.conf")), config))
        qFatal("cannot write the bus configuration");

    BusDaemon bus;
    bus.process.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + dir.filePath(QStringLiteral("bus.conf")),
                       QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!bus.process.waitForStarted(5000) || !bus.process.waitForReadyRead(5000))
        qFatal("cannot start dbus-daemon");
    const QByteArray address = bus.process.readLine().trimmed();
    // Before the first use of the session bus, which connects to this address.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);

    LibraryAutostartTest test(marker);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_libraryautostart.moc"
