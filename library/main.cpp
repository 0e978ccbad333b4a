// music-library: a small, real music library that answers the scripting
// interface com.apple.iTunes.Library on the session bus.

#include "LibraryScripting.h"
#include "LibraryWindow.h"
#include "MusicLibrary.h"
#include "TrackStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDir>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

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

QList<QUrl> folderUrls(const QStringList &folders)
{
    QList<QUrl> urls;
    for (const QString &folder : folders)
        urls.append(QUrl::fromLocalFile(QDir(folder).absolutePath()));
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
    }
    std::unique_ptr<QCoreApplication> app(headless ? new QCoreApplication(argc, argv)
                                                   : new QApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("music-library"));

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

    TrackStore store;
    QString error;
    if (!store.open(parser.value(databaseOption), &error)) {
        std::fprintf(stderr, "music-library: %s\n", qPrintable(error));
        return 1;
    }
    MusicLibrary library(&store);
    if (store.tracks().isEmpty())
        library.addPaths(folderUrls(parser.values(importIfEmptyOption)));
    library.addPaths(folderUrls(parser.values(importOption)));

    LibraryScripting scripting(&library);
    if (!scripting.publish(&error)) {
        std::fprintf(stderr, "music-library: %s\n", qPrintable(error));
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
        window = std::make_unique<LibraryWindow>(&library);
        window->show();
    }
    return app->exec();
}
