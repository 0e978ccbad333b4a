// The library presence watch against a real music library on a private bus:
// the alert follows the library, "Yes" starts it, "Quit" quits.
#include "app/AppDelegate.h"
#include "tests/support/LibraryProcess.h"
#include "tools/modification/ModificationViewController.h"
#include "tracks/lists/BatchRun.h"
#include "window/TitleBarWindow.h"

#include <QAbstractButton>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDialog>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QSemaphore>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>

namespace {
QAbstractButton *button(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *b : box ? box->buttons() : QList<QAbstractButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// A library started by "Yes" is not ours to hold; find it through the bus to stop it.
void killLibraryOnBus()
{
    QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    const QDBusReply<uint> pid = bus->servicePid(QStringLiteral("com.apple.iTunes"));
    if (pid.isValid() && pid.value() > 0) {
        ::kill(pid_t(pid.value()), SIGKILL);
        LibraryProcess::waitForOwner(false, 5000);
    }
}
} // namespace

class LibraryWatchTest : public QObject
{
    Q_OBJECT
    QTemporaryDir home;
    std::unique_ptr<AppDelegate> delegate;

private slots:
    void initTestCase()
    {
        // A library the program starts itself keeps its data here, not in the user's home.
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
    }

    void init()
    {
        delegate = std::make_unique<AppDelegate>();
        QVERIFY(delegate->applicationDidFinishLaunching());
    }

    void cleanup()
    {
        delegate.reset();
        killLibraryOnBus();
    }

    void yesStartsTheLibrary()
    {
        QAbstractButton *yes = button(delegate->iTunesAlert(), "Yes");
        QVERIFY(yes);
        yes->click();
        QVERIFY(!delegate->iTunesAlertShown());
        QVERIFY(LibraryProcess::waitForOwner(true, 10000));
    }

    void quitQuitsTheProgram()
    {
        QAbstractButton *quit = button(delegate->iTunesAlert(), "Quit");
        QVERIFY(quit);
        QTimer::singleShot(0, quit, &QAbstractButton::click);
        QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!LibraryProcess::waitForOwner(true, 300));
    }

    // The alert follows the library over a progress sheet, and never takes the sheet down.
    void theAlertFollowsTheLibraryAndLeavesAProgressSheetAlone()
    {
        QVERIFY(delegate->iTunesAlert()); // at launch, before the first poll
        LibraryProcess library;
        QVERIFY(library.start());
        QTRY_VERIFY_WITH_TIMEOUT(!delegate->iTunesAlert(), 4000);

        // A run whose only item waits until the test lets it go.
        auto release = std::make_shared<QSemaphore>(0);
        const auto letGo = qScopeGuard([release] { release->release(); });
        BatchRun::Steps steps;
        steps.count = 1;
        steps.work = [release](int) {
            release->acquire();
            return QString();
        };
        QPointer<QDialog> sheet = BatchRun::start(delegate->modificationViewController(), steps)->sheet();
        QVERIFY(sheet && sheet->isVisible());

        library.kill();
        QTRY_VERIFY_WITH_TIMEOUT(delegate->iTunesAlert(), 4000);
        QVERIFY(sheet && sheet->isVisible());

        QVERIFY(library.start());
        QTRY_VERIFY_WITH_TIMEOUT(!delegate->iTunesAlert(), 4000);
        QVERIFY2(sheet && sheet->isVisible(), "taking the alert down ended the progress sheet");
        QVERIFY(delegate->window()->isVisible()); // nor is it "Quit"

        release->release();
        QTRY_VERIFY_WITH_TIMEOUT(!sheet || !sheet->isVisible(), 5000);
    }
};

QTEST_MAIN(LibraryWatchTest)
#include "tst_librarywatch.moc"
