#include "tests/support/LibraryProcess.h"

#include "musiclibraryproxy.h"

#include "protocol/LibraryProtocol.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
bool ownerIs(bool owned)
{
    const QDBusReply<bool> reply = QDBusConnection::sessionBus().interface()->isServiceRegistered(
        QString::fromLatin1(LibraryProtocol::serviceName));
    return reply.isValid() && reply.value() == owned;
}
} // namespace

LibraryProcess::LibraryProcess(QString databasePath) : m_databasePath(std::move(databasePath))
{
    if (m_databasePath.isEmpty()) {
        m_tempDir = std::make_unique<QTemporaryDir>();
        m_databasePath = m_tempDir->filePath(QStringLiteral("Library.sqlite"));
    }
}

LibraryProcess::~LibraryProcess()
{
    kill();
}

QString LibraryProcess::program()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/music-library");
}

bool LibraryProcess::waitForOwner(bool owned, int timeoutMs)
{
    return QTest::qWaitFor([owned] { return ownerIs(owned); }, timeoutMs);
}

bool LibraryProcess::start(const QStringList &extraArguments)
{
    kill();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_process->start(program(),
                     QStringList{QStringLiteral("--headless"), QStringLiteral("--database"), m_databasePath}
                         + extraArguments);
    if (!m_process->waitForStarted(startTimeoutMs))
        return false;
    // A process that ends (e.g. the name is taken by another library) ends the wait.
    return QTest::qWaitFor([this] { return !isRunning() || ownerIs(true); }, startTimeoutMs) && isRunning();
}

void LibraryProcess::kill()
{
    if (!m_process)
        return;
    m_process->kill();
    m_process->waitForFinished(5000);
    m_process.reset();
    waitForOwner(false, 2000);
}

void LibraryProcess::stop()
{
    if (isRunning()) {
        QDBusMessage quit = QDBusMessage::createMethodCall(
            QString::fromLatin1(LibraryProtocol::serviceName), QString::fromLatin1(LibraryProtocol::objectPath),
            QString::fromLatin1(LibraryProtocol::interfaceName), QStringLiteral("Quit"));
        quit.setAutoStartService(false);
        QDBusConnection::sessionBus().call(quit, QDBus::Block, 2000);
        m_process->waitForFinished(5000);
    }
    kill();
}

bool LibraryProcess::restart()
{
    stop();
    return start();
}

bool LibraryProcess::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

qint64 LibraryProcess::pid() const
{
    return m_process ? m_process->processId() : 0;
}

bool LibraryProcess::suspend()
{
    const qint64 id = pid();
    if (id <= 0 || ::kill(pid_t(id), SIGSTOP) != 0)
        return false;
    // Every thread in state T: "pid (name) T ..." in its stat file.
    const auto allStopped = [id] {
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(id));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile stat(tasks.filePath(task + QStringLiteral("/stat")));
            const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
            const qsizetype close = line.lastIndexOf(')');
            if (close < 0 || line.mid(close + 2, 1) != "T")
                return false;
        }
        return true;
    };
    return QTest::qWaitFor(allStopped, 2000);
}

void LibraryProcess::resume()
{
    if (const qint64 id = pid(); id > 0)
        ::kill(pid_t(id), SIGCONT);
}

std::unique_ptr<MusicLibraryProxy> LibraryProcess::proxy()
{
    LibraryProtocol::registerTypes();
    return std::make_unique<MusicLibraryProxy>(LibraryProtocol::serviceName, LibraryProtocol::objectPath,
                                               QDBusConnection::sessionBus());
}
