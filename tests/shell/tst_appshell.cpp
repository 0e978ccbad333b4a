// The main window as a user meets it: launch, tool switching, the menu, the
// single running copy.
#include "app/AppDelegate.h"
#include "app/common/FileNames.h"
#include "app/update/AboutWindowController.h"
#include "tests/support/UrlCatcher.h"
#include "tools/modification/ModificationViewController.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/TrackListPane.h"
#include "window/TitleBarWindow.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

#include <fcntl.h>
#include <unistd.h>

class AppShellTest : public QObject
{
    Q_OBJECT
    std::unique_ptr<AppDelegate> delegate;

    // Waits until no switch is fading any more and deferred deletes ran.
    void settle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!delegate->isSwitching(), 3000);
        QTRY_COMPARE(delegate->arrowTop(), delegate->arrowTopForTab(delegate->currentTabIndex()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void init()
    {
        delegate = std::make_unique<AppDelegate>();
        QVERIFY(delegate->applicationDidFinishLaunching());
        settle();
    }

    void cleanup() { delegate.reset(); }

    void launchShowsTheTitleAndTheLibraryAlert()
    {
        TitleBarWindow *window = delegate->window();
        QVERIFY(window->isVisible());
        // The title is centred over the part of the window right of the sidebar.
        auto *title = window->titleBarView()->findChild<QLabel *>(QStringLiteral("titleText"));
        QVERIFY(title);
        QCOMPARE(title->geometry().center().x(), 69 + (window->titleBarView()->width() - 69) / 2);

        // No library on this private bus: the alert is up at once (its buttons: tst_librarywatch).
        QMessageBox *alert = delegate->iTunesAlert();
        QVERIFY(alert);
        QCOMPARE(alert->text(),
                 QStringLiteral("iTunes is required for this app.  Would you like to launch iTunes now?"));
        QCOMPARE(alert->windowModality(), Qt::WindowModal);
    }

    void switchingToolsMovesTheArrowAndDiscardsTheOthers()
    {
        QPointer<ModificationViewController> first = delegate->modificationViewController();
        QVERIFY(first);
        first->setProperty("marker", 42);
        // The tab on screen: nothing happens, the tool keeps its state.
        delegate->tabChanged(delegate->tab(0));
        settle();
        QCOMPARE(delegate->modificationViewController(), first.data());
        QCOMPARE(first->property("marker").toInt(), 42);

        const double ori = delegate->oriArrowTop();
        const auto midY = [this](int i) { return delegate->tab(i)->geometry().y() + delegate->tab(i)->height() / 2.0; };
        for (int i : {2, 1, 3}) {
            delegate->tabChanged(delegate->tab(i));
            QCOMPARE(delegate->toolViews().size(), 2); // both exist while fading
            settle();
            QCOMPARE(delegate->toolViews().size(), 1);
            QCOMPARE(delegate->toolViews().first()->geometry(), delegate->container()->geometry());
            QCOMPARE(delegate->arrowTop(), ori + std::round(midY(i) - midY(0)) + 2.0);
        }
        QVERIFY(!first);
        QVERIFY(delegate->ratingViewController());

        // Coming back gives a fresh tool and the arrow its first place exactly.
        delegate->tabChanged(delegate->tab(0));
        settle();
        QVERIFY(delegate->modificationViewController());
        QVERIFY(!delegate->modificationViewController()->property("marker").isValid());
        QCOMPARE(delegate->arrowTop(), ori);
    }

    void rapidClicksLeaveTheNewestToolAlone()
    {
        for (int i : {1, 3, 0}) {
            delegate->tabChanged(delegate->tab(i));
            QCoreApplication::processEvents(); // the switch has started
        }
        delegate->tabChanged(delegate->tab(2));
        settle();
        QCOMPARE(delegate->currentTabIndex(), 2);
        QCOMPARE(delegate->toolViews(), QList<QWidget *>{delegate->countViewController()});
        QVERIFY(delegate->countViewController()->isVisible());
        QVERIFY(!delegate->countViewController()->graphicsEffect());
    }

    void menuCommandsOpenMailsAndAboutAndQuit()
    {
        UrlCatcher catcher;
        delegate->menu()->findChild<QAction *>("requestFeature")->trigger();
        delegate->menu()->findChild<QAction *>("requestSupport")->trigger();
        QCOMPARE(catcher.opened.size(), 2);
        QCOMPARE(catcher.opened.at(0).toString(QUrl::FullyEncoded),
                 QStringLiteral("mailto:support@melvora.example?Subject=Feature%20Request&body="));
        QCOMPARE(catcher.opened.at(1).toString(QUrl::FullyEncoded),
                 QStringLiteral("mailto:support@melvora.example?Subject=Support&body="));
        delegate->menu()->findChild<QAction *>("showAbout")->trigger();
        QVERIFY(delegate->aboutWindowController() && delegate->aboutWindowController()->isVisible());

        // Quit ends the event loop, alert or not.
        QTimer::singleShot(0, delegate->menu()->findChild<QAction *>("quit"), &QAction::trigger);
        QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    // A second copy of the program asks this one to show its window and ends.
    void aSecondCopyBringsAClosedOrMinimisedWindowBack()
    {
        TitleBarWindow *window = delegate->window();
        for (const bool minimise : {false, true}) {
            if (minimise)
                window->showMinimized();
            else
                window->close();
            QTRY_VERIFY(minimise ? window->isMinimized() : !window->isVisible());
            QProcess second;
            second.start(QCoreApplication::applicationDirPath() + "/melvora");
            QTRY_VERIFY_WITH_TIMEOUT(window->isVisible() && !window->isMinimized(), 10000);
            QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
            QCOMPARE(second.exitCode(), 0);
        }
    }

    void filesOpenedWithTheProgramLandInTheListOnScreen()
    {
        // "Open With": URLs (a name not UTF-8) and paths given to a second copy
        // land in the tool on screen; Date Modified opens Set Modification Date.
        QTemporaryDir dir;
        const QByteArray odd = QFile::encodeName(dir.path()) + "/\xFF.mp3";
        QVERIFY(QFile(dir.filePath("plain.mp3")).open(QIODevice::WriteOnly));
        QVERIFY(::close(::open(odd.constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        const QString oddUrl = QString::fromLatin1(FileNames::urlOf(odd).toEncoded());
        QProcess second;
        second.start(QCoreApplication::applicationDirPath() + "/melvora",
                     {oddUrl, dir.filePath("plain.mp3"), dir.filePath("gone.mp3")});
        ModificationViewController *tool = delegate->modificationViewController();
        QTRY_COMPARE_WITH_TIMEOUT(
            tool->dropView(ModificationViewController::SMD)->files(),
            (QList<QUrl>{FileNames::urlOf(odd), FileNames::urlOf(QFile::encodeName(dir.filePath("plain.mp3")))}),
            10000);
        QCOMPARE(tool->selectedAction(), int(ModificationViewController::SMD));
        QVERIFY(!tool->showsActions() && tool->pane(ModificationViewController::SMD)->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
        QCOMPARE(second.exitCode(), 0);
        ::unlink(odd.constData());

        // On Play Count, files handed over are a drop: it takes the library's
        // selection (none here), and nothing else.
        delegate->tabChanged(delegate->tab(2));
        settle();
        delegate->openFiles({QUrl::fromLocalFile(dir.filePath("plain.mp3"))});
        QCOMPARE(delegate->paneOnScreen(), delegate->countViewController()->pane());
        QVERIFY(delegate->countViewController()->dropView()->tracks().isEmpty());
    }
};

QTEST_MAIN(AppShellTest)
#include "tst_appshell.moc"
