// The library presence watch against the real music library on a private bus:
// the alert follows the library going and coming, "Yes" starts it, "Quit"
// quits, and the alert never takes another sheet with it.
#include "AppDelegate.h"
#include "BatchRun.h"
#include "LibraryProcess.h"
#include "LibraryWatch.h"
#include "TitleBarWindow.h"
#include "ModificationViewController.h"

#include <QAbstractButton>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <memory>

namespace {
QAbstractButton *button(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *b : box->buttons())
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

    void launch()
    {
        delegate = std::make_unique<AppDelegate>();
        QVERIFY(delegate->applicationDidFinishLaunching());
    }

private slots:
    void initTestCase()
    {
        // A library the program starts itself keeps its data here, not in the user's home.
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
    }

    void cleanup()
    {
        delegate.reset();
        killLibraryOnBus();
    }

    void theAlertFollowsTheLibraryGoingAndComing()
    {
        launch();
        QVERIFY(delegate->iTunesAlert()); // at launch, before the first poll
        QVERIFY(delegate->libraryWatch()->isActive());

        LibraryProcess library;
        QVERIFY(library.start());
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(!delegate->iTunesAlert(), 4000);
        QVERIFY(!delegate->iTunesAlertShown());
        QVERIFY(clock.elapsed() < 3000);

        library.kill();
        clock.restart();
        QTRY_VERIFY_WITH_TIMEOUT(delegate->iTunesAlert(), 4000);
        QVERIFY(delegate->iTunesAlertShown());
        QVERIFY(clock.elapsed() < 3000);

        // The program itself stays: taking the alert down is not "Quit".
        QVERIFY(library.start());
        QTRY_VERIFY_WITH_TIMEOUT(!delegate->iTunesAlert(), 4000);
        QVERIFY(delegate->window()->isVisible());
    }

    void yesStartsTheLibrary()
    {
        launch();
        QMessageBox *alert = delegate->iTunesAlert();
        QVERIFY(alert);
        QAbstractButton *yes = button(alert, "Yes");
        QVERIFY(yes);
        yes->click();
        QVERIFY(!delegate->iTunesAlertShown());
        QVERIFY(LibraryProcess::waitForOwner(true, 10000));
        // Running now, so the next polls leave the alert down.
        QTest::qWait(2500);
        QVERIFY(!delegate->iTunesAlert());
    }

    void quitQuitsTheProgram()
    {
        launch();
        QMessageBox *alert = delegate->iTunesAlert();
        QVERIFY(alert);
        QTimer::singleShot(0, button(alert, "Quit"), &QAbstractButton::click);
        QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!LibraryProcess::waitForOwner(true, 300));
    }

    void theAlertLeavesAProgressSheetAlone()
    {
        LibraryProcess library;
        QVERIFY(library.start());
        launch();
        QVERIFY(!delegate->iTunesAlert());

        // A run whose only item waits until the test lets it go.
        auto release = std::make_shared<std::atomic_bool>(false);
        BatchRun::Steps steps;
        steps.count = 1;
        steps.work = [release](int) {
            while (!release->load())
                QThread::msleep(10);
        };
        steps.barValue = [](int i) { return i; };
        BatchRun *run = BatchRun::start(delegate->modificationViewController(), steps);
        QPointer<QDialog> sheet = run->sheet();
        QVERIFY(sheet && sheet->isVisible());

        library.kill();
        QTRY_VERIFY_WITH_TIMEOUT(delegate->iTunesAlert(), 4000);
        QVERIFY(sheet && sheet->isVisible());

        QVERIFY(library.start());
        QTRY_VERIFY_WITH_TIMEOUT(!delegate->iTunesAlert(), 4000);
        QVERIFY2(sheet && sheet->isVisible(), "taking the alert down ended the progress sheet");

        release->store(true);
        QTRY_VERIFY_WITH_TIMEOUT(!sheet || !sheet->isVisible(), 5000);
    }
};

QTEST_MAIN(LibraryWatchTest)
#include "tst_librarywatch.moc"
