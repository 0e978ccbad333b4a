// The HTTP request, the update check against a real HTTP server on
// 127.0.0.1, and the About window. Nothing is really opened: the desktop's
// URL handlers are caught.

#include "AboutWindowController.h"
#include "Endpoints.h"
#include "HttpTestServer.h"
#include "UpdateWindowController.h"
#include "Utils.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QMutex>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace {

QMutex logMutex;
QStringList logLines; // what went to the system log; written from any thread
QtMessageHandler previousHandler = nullptr;

void captureLog(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && QByteArray(context.category) == "melvora.syslog") {
        QMutexLocker lock(&logMutex);
        logLines.append(message);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

QStringList takeLog()
{
    QMutexLocker lock(&logMutex);
    return std::exchange(logLines, {});
}

QAbstractButton *buttonTitled(QMessageBox *box, const QString &title)
{
    for (QAbstractButton *button : box->buttons())
        if (button->text().remove(u'&') == title)
            return button;
    return nullptr;
}

QStringList titles(QMessageBox *box)
{
    QStringList list;
    for (QAbstractButton *button : box->buttons())
        list.append(button->text().remove(u'&'));
    list.sort();
    return list;
}

struct Sent
{
    bool done = false;
    bool onMainThread = true;
    int status = 0;
    QByteArray data;
    QString error;
};

// Sends the request and serves this thread's events (the test server lives
// here) until the handler has run on its own thread.
Sent send(const UrlRequest &request)
{
    QThreadPool pool;
    auto sent = std::make_shared<Sent>();
    auto finished = std::make_shared<std::atomic_bool>(false);
    QThread *here = QThread::currentThread();
    sendAsynchronousRequest(request, &pool,
                            [=](const UrlResponse &response, const QByteArray &data,
                                const QString &error) {
                                *sent = {true, QThread::currentThread() == here,
                                         response.statusCode, data, error};
                                finished->store(true);
                            });
    QElapsedTimer clock;
    clock.start();
    while (!finished->load() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    pool.waitForDone();
    return *sent;
}

const QString newVersionText =
    QStringLiteral("There is a new version available.  Would you like to upgrade now?");
const QString latestText = QStringLiteral("You are using the latest version!");

} // namespace

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestUpdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(captureLog); }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void init()
    {
        catcher.opened.clear();
        for (const char *scheme : {"mailto", "https", "http"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher, "open");
        takeLog();
    }
    void cleanup()
    {
        for (const char *scheme : {"mailto", "https", "http"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    void requestRunsOffTheMainThreadAndReadsAtMostItsLimit_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("cutOff");
        QTest::newRow("at the limit") << 64 * 1024 << false;
        QTest::newRow("one byte over") << 64 * 1024 + 1 << true;
        QTest::newRow("far over") << 3 * 1024 * 1024 << true;
    }
    void requestRunsOffTheMainThreadAndReadsAtMostItsLimit()
    {
        QFETCH(int, size);
        QFETCH(bool, cutOff);
        HttpTestServer server;
        server.body = QByteArray(size, 'v');
        UrlRequest request;
        request.url = QUrl(server.baseUrl());
        const auto result = send(request);
        QVERIFY(result.done && !result.onMainThread);
        QCOMPARE(result.status, 200);
        QCOMPARE(result.data.size(), qMin<qsizetype>(size, 64 * 1024));
        QCOMPARE(!result.error.isEmpty(), cutOff);
    }

    void requestCanBeCancelled()
    {
        HttpTestServer server;
        server.answer = false;
        UrlRequest request;
        request.url = QUrl(server.baseUrl());
        request.timeoutMs = 120000;
        request.cancelled = std::make_shared<std::atomic_bool>(false);
        QTimer::singleShot(200, this, [flag = request.cancelled] { flag->store(true); });
        const auto result = send(request); // waits far less than the timeout
        QVERIFY(result.done);
        QCOMPARE(result.status, 0);
        QVERIFY(!result.error.isEmpty());
    }

    void answers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("newVersion");
        const QByteArray own = Utils::getVersionNumber().toUtf8();
        QTest::newRow("equal") << 200 << own << false;
        QTest::newRow("different") << 200 << QByteArray("9.9.9") << true;
        QTest::newRow("older") << 200 << QByteArray("0.1") << true;
        QTest::newRow("trailing line break") << 200 << own + "\n" << false;
        QTest::newRow("white space both ends") << 200 << " \t" + own + "\r\n" << false;
        QTest::newRow("404 with a body") << 404 << QByteArray("<h1>Not Found</h1>") << false;
        QTest::newRow("500 empty") << 500 << QByteArray() << false;
        QTest::newRow("empty") << 200 << QByteArray() << false;
        QTest::newRow("blank") << 200 << QByteArray("\n") << false;
        QTest::newRow("error page with 200") << 200 << QByteArray("<html>oops</html>") << true;
        QTest::newRow("not UTF-8") << 200 << QByteArray("\xff\xfe") << true;
    }
    void answers()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(bool, newVersion);
        HttpTestServer server;
        server.status = status;
        server.body = body;
        UpdateWindowController controller;
        controller.setServiceBaseUrl(server.baseUrl());
        controller.showWindow();
        QVERIFY(controller.isVisible());
        QCOMPARE(controller.progress()->maximum(), 0); // busy
        QTRY_VERIFY(controller.alert());
        QMessageBox *box = controller.alert();
        QVERIFY(box->isVisible());
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        QCOMPARE(box->parentWidget(), &controller);
        QCOMPARE(box->text(), newVersion ? newVersionText : latestText);
        const QStringList expected = newVersion ? QStringList{"No", "Yes"} : QStringList{"OK"};
        QCOMPARE(titles(box), expected);

        QCOMPARE(server.requests.size(), 1);
        QCOMPARE(server.requests.first().method, QByteArray("POST"));
        QCOMPARE(server.requests.first().path, QByteArray("/api/version.php"));
        QCOMPARE(server.requests.first().body, QByteArray("key=quorvantel&product=melvora"));
        QCOMPARE(server.requests.first().header("Content-Type"),
                 QByteArray("application/x-www-form-urlencoded"));

        // The answer went to the log only when it was one.
        const QStringList log = takeLog();
        if (status < 400 && !body.isEmpty())
            QCOMPARE(log, QStringList{QStringLiteral("res:") + QString::fromUtf8(body)});
        else
            QVERIFY(log.isEmpty());
    }

    void buttons_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("opensPage");
        QTest::newRow("Yes") << QByteArray("2.0") << "Yes" << true;
        QTest::newRow("No") << QByteArray("2.0") << "No" << false;
        QTest::newRow("Escape") << QByteArray("2.0") << "" << false;
        QTest::newRow("up to date OK") << Utils::getVersionNumber().toUtf8() << "OK" << false;
    }
    void buttons()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, button);
        QFETCH(bool, opensPage);
        HttpTestServer server;
        server.body = answer;
        UpdateWindowController controller;
        controller.setServiceBaseUrl(server.baseUrl());
        controller.showWindow();
        QTRY_VERIFY(controller.alert());
        if (button.isEmpty()) {
            QTest::keyClick(controller.alert(), Qt::Key_Escape);
        } else {
            QAbstractButton *chosen = buttonTitled(controller.alert(), button);
            QVERIFY(chosen);
            chosen->click();
        }
        QTRY_VERIFY(!controller.isVisible());
        QVERIFY(!controller.alert());
        QCOMPARE(catcher.opened,
                 opensPage ? QList<QUrl>{QUrl(Endpoints::productPage())} : QList<QUrl>{});

        // The window is reused: the next check works the same way.
        catcher.opened.clear();
        controller.showWindow();
        QTRY_VERIFY(controller.alert());
        QCOMPARE(server.requests.size(), 2);
    }

    void noServerMeansUpToDate()
    {
        UpdateWindowController controller;
        controller.setServiceBaseUrl(HttpTestServer::deadBaseUrl());
        controller.showWindow();
        QTRY_VERIFY(controller.alert());
        QCOMPARE(controller.alert()->text(), latestText);
        QVERIFY(takeLog().isEmpty());
    }

    void hungServiceMeansUpToDate()
    {
        HttpTestServer server;
        server.answer = false;
        UpdateWindowController controller;
        controller.setServiceBaseUrl(server.baseUrl());
        controller.setRequestTimeout(300);
        controller.showWindow();
        QTRY_VERIFY(controller.alert());
        QCOMPARE(controller.alert()->text(), latestText);
    }

    void aNewCheckReplacesTheOneUnderWay()
    {
        HttpTestServer hung;
        hung.answer = false;
        HttpTestServer answering;
        answering.body = "3.0";
        UpdateWindowController controller;
        controller.setRequestTimeout(60000);
        controller.setServiceBaseUrl(hung.baseUrl());
        controller.showWindow();
        QTRY_COMPARE(hung.requests.size(), 1);
        controller.setServiceBaseUrl(answering.baseUrl());
        controller.showWindow();
        QTRY_VERIFY(controller.alert());
        QCOMPARE(controller.alert()->text(), newVersionText);
        // The dropped check never brings a second alert.
        QTest::qWait(300);
        QCOMPARE(controller.findChildren<QMessageBox *>().size(), 1);

        // Asking again while the alert is up takes that alert down first.
        answering.body = Utils::getVersionNumber().toUtf8();
        controller.showWindow();
        QTRY_VERIFY(controller.alert() && controller.alert()->text() == latestText);
        QTRY_COMPARE(controller.findChildren<QMessageBox *>().size(), 1);
        QVERIFY(catcher.opened.isEmpty());
    }

    void closingDropsTheCheck()
    {
        HttpTestServer server;
        server.answer = false;
        UpdateWindowController controller;
        controller.setServiceBaseUrl(server.baseUrl());
        controller.showWindow();
        QTRY_COMPARE(server.requests.size(), 1);
        controller.close();
        QTest::qWait(300);
        QVERIFY(!controller.alert());
        QVERIFY(!controller.isVisible());
    }

    void goingAwayEndsARequestUnderWay()
    {
        HttpTestServer server;
        server.answer = false;
        QElapsedTimer clock;
        {
            UpdateWindowController controller;
            controller.setRequestTimeout(120000);
            controller.setServiceBaseUrl(server.baseUrl());
            controller.showWindow();
            QTRY_COMPARE(server.requests.size(), 1);
            clock.start();
        }
        // Far below the request's timeout: the request was ended, not awaited.
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    }

    void aboutShowsTheVersion()
    {
        AboutWindowController about;
        QCOMPARE(about.versionLabel()->text(), QStringLiteral("Version: ") + Utils::getVersionNumber());
        QCOMPARE(about.palette().color(QPalette::Window).rgb(), Utils::ColorBG().rgb());
        about.showWindow();
        QVERIFY(about.isVisible());
    }

    void aboutButtonsOpenSupportMailAndSite()
    {
        AboutWindowController about;
        about.showWindow();
        auto *support = about.findChild<QPushButton *>("supportButton");
        auto *site = about.findChild<QPushButton *>("siteButton");
        QVERIFY(support && site);
        support->click();
        QCOMPARE(catcher.opened.size(), 1);
        QCOMPARE(catcher.opened.first().toString(QUrl::FullyEncoded),
                 QStringLiteral("mailto:%1?Subject=Support&body=").arg(Endpoints::supportAddress()));
        catcher.opened.clear();
        site->click();
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(Endpoints::productPage())});
    }

private:
    UrlCatcher catcher;
};

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
