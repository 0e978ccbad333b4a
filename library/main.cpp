// music-library: a small, real music library that answers the scripting
// interface com.apple.iTunes.Library on the session bus.

#include "app/common/FileNames.h"
#include "library/LibraryScripting.h"
#include "library/LibraryWindow.h"
#include "library/MusicLibrary.h"
#include "library/TrackStore.h"
#include "protocol/LibraryProtocol.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServer>
#include <QDir>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/prctl.h>

namespace {
bool wantsHeadless(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--headless") == 0)
            return true;
    return false;
}

QString defaultDatabasePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/music-library/Library.sqlite");
}

// The library's objects, made, used and destroyed in one thread.
struct LibraryParts
{
    // The models read the store as they are made, so it opens first.
    explicit LibraryParts(std::unique_ptr<TrackStore> opened) : storage(std::move(opened)) {}
    std::unique_ptr<TrackStore> storage;
    TrackStore &store = *storage;
    MusicLibrary library{&store};
    LibraryScripting scripting{&library};

    static std::unique_ptr<LibraryParts> open(const QString &database, QString *error)
    {
        auto store = std::make_unique<TrackStore>();
        if (!store->open(database, error))
            return nullptr;
        return std::make_unique<LibraryParts>(std::move(store));
    }
};

// Runs fn in context's thread and waits for it.
template <typename Fn>
void runIn(QObject *context, Fn fn)
{
    if (context->thread() == QThread::currentThread())
        fn();
    else
        QMetaObject::invokeMethod(context, fn, Qt::BlockingQueuedConnection);
}

// The folders given with an option ("--import F", "--import=F"), straight
// from the command line's bytes: a folder name need not be UTF-8, and the
// parser's text would have replaced what is not.
QList<QUrl> folderUrls(int argc, char **argv, const char *option)
{
    QList<QUrl> urls;
    const QByteArray name = QByteArray("--") + option;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        QByteArray folder;
        if (argument == name && i + 1 < argc)
            folder = argv[++i];
        else if (argument.startsWith(name + '='))
            folder = argument.mid(name.size() + 1);
        else
            continue;
        if (!folder.isEmpty())
            urls.append(FileNames::urlOf(FileNames::cleaned(folder)));
    }
    return urls;
}
} // namespace

int main(int argc, char **argv)
{
    const bool headless = wantsHeadless(argc, argv);
    if (headless) {
        // A headless library serves one parent (a test, a benchmark): it must
        // not outlive it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        // Every scripting call wakes this thread once; Qt's own event loop
        // wakes faster than the GLib one, and without a window nothing needs GLib.
        qputenv("QT_NO_GLIB", "1");
    }
    std::unique_ptr<QCoreApplication> app(headless ? new QCoreApplication(argc, argv)
                                                   : new QApplication(argc, argv));
    QCoreApplication::setOrganizationName(QStringLiteral("melvora"));
    QCoreApplication::setApplicationName(QStringLiteral("music-library"));
    // The desktop entry that names the window's icon (Wayland asks for it).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.melvora.MusicLibrary"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A music library answering com.apple.iTunes on the session bus."));
    parser.addHelpOption();
    const QCommandLineOption databaseOption(QStringLiteral("database"), QStringLiteral("Library file to use."),
                                            QStringLiteral("path"), defaultDatabasePath());
    const QCommandLineOption headlessOption(QStringLiteral("headless"), QStringLiteral("Run without a window."));
    const QCommandLineOption importOption(QStringLiteral("import"),
                                          QStringLiteral("Add the audio files of a folder (repeatable)."),
                                          QStringLiteral("folder"));
    const QCommandLineOption importIfEmptyOption(
        QStringLiteral("import-if-empty"), QStringLiteral("Add the audio files of a folder when the library is empty."),
        QStringLiteral("folder"));
    parser.addOptions({databaseOption, headlessOption, importOption, importIfEmptyOption});
    parser.process(*app);

    // A headless library does its work in the thread that reads the bus:
    // each call then runs and is answered where it arrives, instead of
    // travelling to the main thread and back, which costs more than most
    // calls do. A window needs its models in the main thread, so a windowed
    // library keeps everything there.
    QObject *home = app.get();
    if (headless && QDBusConnection::sessionBus().isConnected()) {
        if (QObject *busInterface = QDBusConnection::sessionBus().interface())
            home = busInterface;
    }

    std::unique_ptr<LibraryParts> parts;
    QString error;
    runIn(home, [&] { parts = LibraryParts::open(parser.value(databaseOption), &error); });
    if (!parts) {
        std::fprintf(stderr, "music-library: %s\n", qPrintable(error));
        return 1;
    }
    // Callers that make many calls talk to the library directly: a call over
    // the bus wakes the bus daemon twice on its way, which costs more than
    // most calls themselves. The bus stays where callers find the library and
    // learn this address. Connections are accepted from this user only.
    const QString objectPath = QString::fromLatin1(LibraryProtocol::objectPath);
    // An abstract socket: it goes away with the process, however it ends.
    auto peerServer = std::make_unique<QDBusServer>(
        QStringLiteral("unix:abstract=music-library-%1").arg(QUuid::createUuid().toString(QUuid::Id128)));
    QStringList peerNames; // touched in this thread only: the server lives here
    if (peerServer->isConnected()) {
        QObject::connect(peerServer.get(), &QDBusServer::newConnection, peerServer.get(),
                         [&](const QDBusConnection &connection) {
                             QDBusConnection peer(connection);
                             peer.registerObject(objectPath, &parts->scripting, QDBusConnection::ExportAdaptors);
                             peerNames.append(peer.name());
                         });
        parts->scripting.setPeerAddress(peerServer->address());
    }
    const auto closeParts = [&] {
        // Taken off the bus first, and told so: Qt would forget the object
        // as it is destroyed by waiting on the bus thread, which is where a
        // headless library destroys it.
        QDBusConnection::sessionBus().unregisterObject(objectPath);
        for (const QString &name : std::as_const(peerNames)) {
            QDBusConnection(name).unregisterObject(objectPath);
            QDBusConnection::disconnectFromPeer(name);
        }
        peerNames.clear();
        peerServer.reset();
        runIn(home, [&] {
            QObject::disconnect(&parts->scripting, &QObject::destroyed, nullptr, nullptr);
            parts.reset();
        });
    };
    runIn(home, [&] {
        if (parts->store.tracks().isEmpty())
            parts->library.addPaths(folderUrls(argc, argv, "import-if-empty"));
        parts->library.addPaths(folderUrls(argc, argv, "import"));
    });

    if (!parts->scripting.publish(&error)) {
        std::fprintf(stderr, "music-library: %s\n", qPrintable(error));
        closeParts();
        return 3;
    }

    // The library lives for its bus: when the bus goes away (the session, or
    // a test's private bus, ended) nobody can reach it any more.
    QTimer busCheck;
    QObject::connect(&busCheck, &QTimer::timeout, app.get(), [] {
        if (!QDBusConnection::sessionBus().isConnected())
            QCoreApplication::quit();
    });
    busCheck.start(500);

    std::unique_ptr<LibraryWindow> window;
    if (!headless) {
        window = std::make_unique<LibraryWindow>(&parts->library);
        window->show();
    }
    const int status = app->exec();
    window.reset();
    closeParts();
    return status;
}
