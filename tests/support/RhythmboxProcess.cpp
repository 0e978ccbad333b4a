#include "tests/support/RhythmboxProcess.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>
#include <QXmlStreamWriter>

#include <csignal>

#ifndef MELVORA_RHYTHMBOX_PLUGIN
#error "MELVORA_RHYTHMBOX_PLUGIN: the folder of the Rhythmbox plugin in the sources"
#endif

namespace {
const QString service = QStringLiteral("org.gnome.Rhythmbox3");

QDBusMessage call(const QString &path, const QString &interface, const QString &method, const QVariantList &arguments,
                  const QString &destination = service)
{
    QDBusMessage message = QDBusMessage::createMethodCall(destination, path, interface, method);
    message.setArguments(arguments);
    // The bus could start a Rhythmbox of its own, on no display.
    message.setAutoStartService(false);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
}

QDBusMessage callRhythmDb(const QString &method, const QVariantList &arguments)
{
    return call(QStringLiteral("/org/gnome/Rhythmbox3/RhythmDB"), QStringLiteral("org.gnome.Rhythmbox3.RhythmDB"), method,
                arguments);
}

QDBusMessage callPlugin(const QString &method)
{
    return call(QStringLiteral("/org/melvora/Rhythmbox"), QStringLiteral("org.melvora.Rhythmbox"), method, {});
}

bool rhythmboxOnTheBus()
{
    const QDBusMessage reply = call(QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
                                    QStringLiteral("NameHasOwner"), {service}, QStringLiteral("org.freedesktop.DBus"));
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

bool copyFolder(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    for (const QFileInfo &file : QDir(from).entryInfoList(QDir::Files)) {
        QFile::remove(to + u'/' + file.fileName());
        if (!QFile::copy(file.filePath(), to + u'/' + file.fileName()))
            return false;
    }
    return true;
}
} // namespace

RhythmboxProcess::RhythmboxProcess() = default;

RhythmboxProcess::~RhythmboxProcess()
{
    stopAll();
}

QString RhythmboxProcess::missing()
{
    for (const char *program : {"rhythmbox", "Xvfb", "gsettings"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return QStringLiteral("%1 is not installed; Rhythmbox cannot run here").arg(QString::fromLatin1(program));
    if (!QDBusConnection::sessionBus().isConnected())
        return QStringLiteral("no session bus");
    return {};
}

QProcessEnvironment RhythmboxProcess::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = m_home.path();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    // Settings in a plain file of the empty home, written before the start.
    env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return env;
}

QString RhythmboxProcess::musicFolder() const
{
    return m_home.path() + QStringLiteral("/Music");
}

QString RhythmboxProcess::databaseFile() const
{
    return m_home.path() + QStringLiteral("/.local/share/rhythmbox/rhythmdb.xml");
}

bool RhythmboxProcess::setting(const QString &schema, const QString &key, const QString &value) const
{
    QProcess gsettings;
    gsettings.setProcessEnvironment(environment());
    gsettings.start(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, key, value});
    return gsettings.waitForFinished(10000) && gsettings.exitStatus() == QProcess::NormalExit && gsettings.exitCode() == 0;
}

bool RhythmboxProcess::holdAtStart(const QList<Song> &songs)
{
    QFile database(databaseFile());
    if (!QDir().mkpath(QFileInfo(database).path()) || !database.open(QIODevice::WriteOnly))
        return false;
    QXmlStreamWriter xml(&database);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("rhythmdb"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    const QString now = QString::number(QDateTime::currentSecsSinceEpoch());
    for (const Song &song : songs) {
        const QFileInfo file(song.path);
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("song"));
        const QList<std::pair<const char *, QString>> fields{
            {"title", file.completeBaseName()}, {"artist", QStringLiteral("Artist")}, {"album", QStringLiteral("Album")},
            {"file-size", QString::number(file.size())}, {"location", song.uri},
            {"mtime", QString::number(file.lastModified().toSecsSinceEpoch())}, {"first-seen", now}, {"last-seen", now},
            {"media-type", QStringLiteral("audio/mpeg")}};
        for (const auto &[name, text] : fields)
            xml.writeTextElement(QLatin1String(name), text);
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return database.flush() && !xml.hasError();
}

bool RhythmboxProcess::start(QString *why, bool withPlugin)
{
    const auto fail = [this, why](const QString &reason) {
        if (why)
            *why = reason;
        stopAll();
        return false;
    };
    if (const QString reason = missing(); !reason.isEmpty())
        return fail(reason);
    stopAll(); // a second start begins afresh, in the same home
    if (!m_home.isValid() || !QDir().mkpath(musicFolder()))
        return fail(QStringLiteral("no temporary home"));
    if (rhythmboxOnTheBus())
        return fail(QStringLiteral("a Rhythmbox already runs on this bus"));
    // Xvfb names its display on standard output.
    m_xserver = std::make_unique<QProcess>();
    m_xserver->start(QStringLiteral("Xvfb"), QStringLiteral("-displayfd 1 -screen 0 1280x800x24 -nolisten tcp").split(u' '));
    if (!QTest::qWaitFor([this] { return m_xserver->canReadLine() || m_xserver->state() == QProcess::NotRunning; }, 20000)
        || !m_xserver->canReadLine())
        return fail(QStringLiteral("Xvfb did not start"));
    m_display = u':' + QString::fromLatin1(m_xserver->readLine().trimmed());
    const QString plugins = withPlugin ? QStringLiteral("['melvora']") : QStringLiteral("@as []");
    if (!setting(QStringLiteral("org.gnome.rhythmbox.rhythmdb"), QStringLiteral("monitor-library"), QStringLiteral("true"))
        || !setting(QStringLiteral("org.gnome.rhythmbox.plugins"), QStringLiteral("active-plugins"), plugins))
        return fail(QStringLiteral("gsettings could not write Rhythmbox's settings"));
    if (withPlugin && !copyFolder(QStringLiteral(MELVORA_RHYTHMBOX_PLUGIN),
                                  m_home.path() + QStringLiteral("/.local/share/rhythmbox/plugins/melvora")))
        return fail(QStringLiteral("the plugin could not be installed"));
    const QString log = m_home.filePath(QStringLiteral("rhythmbox.log"));
    m_rhythmbox = std::make_unique<QProcess>();
    m_rhythmbox->setProcessEnvironment(environment());
    m_rhythmbox->setStandardOutputFile(log);
    m_rhythmbox->setStandardErrorFile(log, QIODevice::Append);
    m_rhythmbox->start(QStringLiteral("rhythmbox"), {});
    const bool up = QTest::qWaitFor(
        [this, withPlugin] {
            return !isRunning()
                || (rhythmboxOnTheBus()
                    && (!withPlugin || callPlugin(QStringLiteral("Version")).type() == QDBusMessage::ReplyMessage));
        },
        startTimeoutMs);
    if (!up || !isRunning())
        return fail(QStringLiteral("Rhythmbox did not come up on the bus (its log: %1)").arg(log));
    return true;
}

bool RhythmboxProcess::isRunning() const
{
    return m_rhythmbox && m_rhythmbox->state() != QProcess::NotRunning;
}

void RhythmboxProcess::suspend()
{
    if (isRunning())
        ::kill(pid_t(m_rhythmbox->processId()), SIGSTOP);
}

void RhythmboxProcess::resume()
{
    if (isRunning())
        ::kill(pid_t(m_rhythmbox->processId()), SIGCONT);
}

bool RhythmboxProcess::quit()
{
    if (!isRunning())
        return false;
    call(QStringLiteral("/org/mpris/MediaPlayer2"), QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit"), {},
         QStringLiteral("org.mpris.MediaPlayer2.rhythmbox"));
    if (!m_rhythmbox->waitForFinished(30000)) {
        m_rhythmbox->kill();
        m_rhythmbox->waitForFinished(10000);
        return false;
    }
    return m_rhythmbox->exitStatus() == QProcess::NormalExit && m_rhythmbox->exitCode() == 0;
}

void RhythmboxProcess::stopAll()
{
    resume(); // a stopped process cannot quit
    if (isRunning())
        quit();
    m_rhythmbox.reset();
    if (m_xserver && m_xserver->state() != QProcess::NotRunning) {
        m_xserver->terminate();
        if (!m_xserver->waitForFinished(10000)) {
            m_xserver->kill();
            m_xserver->waitForFinished(10000);
        }
    }
    m_xserver.reset();
}

QVariantMap RhythmboxProcess::entry(const QString &uri)
{
    const QDBusMessage reply = callRhythmDb(QStringLiteral("GetEntryProperties"), {uri});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qdbus_cast<QVariantMap>(reply.arguments().constFirst());
}

bool RhythmboxProcess::load(const QString &uri)
{
    // The action's parameter is av holding one (sb): built by hand, as Qt has no type for it.
    QDBusArgument pair;
    pair.beginStructure();
    pair << uri << false;
    pair.endStructure();
    QDBusArgument list;
    list.beginArray(QMetaType::fromType<QDBusVariant>());
    list << QDBusVariant(QVariant::fromValue(pair));
    list.endArray();
    const QVariantList arguments{QStringLiteral("load-uri"), QVariant::fromValue(list), QVariant::fromValue(QVariantMap())};
    const QDBusMessage reply = call(QStringLiteral("/org/gnome/Rhythmbox3"), QStringLiteral("org.gtk.Actions"),
                                    QStringLiteral("Activate"), arguments);
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool RhythmboxProcess::waitForEntry(const QString &uri, int timeoutMs)
{
    return QTest::qWaitFor([&uri] { return entry(uri).value(QStringLiteral("first-seen")).toLongLong() > 0; }, timeoutMs);
}

bool RhythmboxProcess::set(const QString &uri, const QVariantMap &values)
{
    return callRhythmDb(QStringLiteral("SetEntryProperties"), {uri, values}).type() == QDBusMessage::ReplyMessage;
}

bool RhythmboxProcess::selected(QStringList *uris)
{
    const QDBusMessage reply = callPlugin(QStringLiteral("SelectedLocations"));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return false;
    *uris = reply.arguments().value(0).toStringList();
    return true;
}
