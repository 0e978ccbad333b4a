// melvora-screenshots FOLDER: the windows as the README shows them, drawn by
// the real program on the demo album with the real library beside it. Run by
// scripts/screenshots under Xvfb; writes one PNG per window.

#include "app/AppDelegate.h"
#include "tests/support/AudioFiles.h"
#include "tools/dateadded/DateAddedViewController.h"
#include "tools/modification/ModificationViewController.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tools/rating/RatingViewController.h"
#include "tracks/library/ITunesApplication.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/TrackListPane.h"
#include "window/TitleBarWindow.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {
// Lets the program work until the condition holds (or 15 s have passed).
bool waitFor(const std::function<bool()> &condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 15000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// Lets animations (fades, 250 ms) end.
void settle()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 800)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool save(const QImage &image, const QString &folder, const char *name)
{
    const QString path = QDir(folder).filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (image.isNull() || !image.save(path)) {
        std::fprintf(stderr, "melvora-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// The part of the screen that is not the empty root window.
QImage cropped(const QImage &screen)
{
    QRect used;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (qGray(screen.pixel(x, y)) > 0)
                used |= QRect(x, y, 1, 1);
    return screen.copy(used);
}

constexpr const char *titles[] = {"Lanterns on the Water", "Copper Morning", "The Orchard Road", "Paper Boats",
                                  "Quiet Harbour", "Seven Small Bells", "Under the Linden"};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: melvora-screenshots FOLDER (run by scripts/screenshots)\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QTemporaryDir work;
    QList<QUrl> album;
    for (int i = 0; i < int(std::size(titles)); ++i) {
        const QString path = work.filePath(QStringLiteral("%1 %2.mp3").arg(i + 1, 2, 10, QLatin1Char('0')).arg(QString::fromLatin1(titles[i])));
        AudioFiles::write(path, {QString::fromLatin1(titles[i]), QStringLiteral("The Velvet Orchard"),
                                 QStringLiteral("Harbour Lights"), QString::number(i + 1)});
        album.append(QUrl::fromLocalFile(path));
    }

    // The library, with its window, holding the album.
    QProcess library;
    library.start(QCoreApplication::applicationDirPath() + QStringLiteral("/music-library"),
                  {QStringLiteral("--database"), work.filePath(QStringLiteral("library.sqlite")),
                   QStringLiteral("--import"), work.path()});
    const auto onBus = [] {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("com.apple.iTunes")).value();
    };
    if (!waitFor(onBus)) {
        std::fprintf(stderr, "melvora-screenshots: the library did not start\n");
        return 1;
    }
    settle();
    bool ok = save(cropped(QGuiApplication::primaryScreen()->grabWindow(0).toImage()), out, "library-window");

    AppDelegate melvora;
    melvora.applicationDidFinishLaunching();
    TitleBarWindow *window = melvora.window();
    window->move(0, 0);
    settle();
    const auto shoot = [&](const char *name) {
        settle();
        ok &= save(window->grab().toImage(), out, name);
    };
    shoot("main-window");

    ModificationViewController *dates = melvora.modificationViewController();
    melvora.openFiles(album);
    waitFor([&] { return dates->dropView(ModificationViewController::SMD)->count() == album.size(); });
    shoot("set-modification-date");
    dates->backClicked();
    settle();
    dates->openAction(ModificationViewController::TN);
    dates->pane(ModificationViewController::TN)->addFiles(album);
    waitFor([&] { return dates->dropView(ModificationViewController::TN)->count() == album.size(); });
    shoot("sort-by-track-number");

    melvora.tabChanged(melvora.tab(1));
    settle();
    melvora.openFiles(album.mid(0, 5));
    waitFor([&] { return melvora.dateAddedViewController()->dropView()->count() == 5; });
    shoot("date-added");

    // Play Count and Rating list the library's selection: each track shown
    // in the library, then added as the selection.
    const ITunesApplication iTunes = ITunesApplication::iTunes();
    for (int tool : {2, 3}) {
        melvora.tabChanged(melvora.tab(tool));
        settle();
        TrackListPane *pane = melvora.paneOnScreen();
        for (int i = 0; i < 5; ++i) {
            iTunes.addRefreshReveal(album.at(i));
            pane->chooseFiles();
            waitFor([&] { return pane->dropView()->tracks().size() == i + 1; });
        }
        // A new value, so that the selected rows preview it.
        QWidget *view = tool == 2 ? static_cast<QWidget *>(melvora.countViewController()) : melvora.ratingViewController();
        if (auto *count = view->findChild<QLineEdit *>(QStringLiteral("countInput"))) {
            count->selectAll();
            count->insert(tool == 2 ? QStringLiteral("12") : QStringLiteral("4"));
        }
        pane->tableView()->selectRow(1);
        pane->tableView()->selectionModel()->select(pane->tableView()->model()->index(3, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        shoot(tool == 2 ? "play-count" : "rating");
    }
    library.terminate();
    library.waitForFinished(5000);
    return ok ? 0 : 1;
}
