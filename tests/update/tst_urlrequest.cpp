// The asynchronous HTTP request: off the main thread, statuses and bodies as
// they came, bounded in size and time, and cancellable.

#include "HttpTestServer.h"
#include "UrlRequest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <optional>

namespace {

struct Result
{
    UrlResponse response;
    QByteArray data;
    QString error;
    bool onMainThread = true;
};

// Sends the request and serves the event loop (where the test server lives)
// until the handler has run.
std::optional<Result> send(const UrlRequest &request, QThreadPool *pool, int waitMs = 10000)
{
    auto result = std::make_shared<std::optional<Result>>();
    auto done = std::make_shared<std::atomic_bool>(false);
    QThread *mainThread = QThread::currentThread();
    sendAsynchronousRequest(request, pool,
                            [=](const UrlResponse &response, const QByteArray &data,
                                const QString &error) {
                                *result = Result{response, data, error,
                                                 QThread::currentThread() == mainThread};
                                done->store(true);
                            });
    QElapsedTimer clock;
    clock.start();
    while (!done->load() && clock.elapsed() < waitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    pool->waitForDone(waitMs);
    return *result;
}

UrlRequest post(const QString &url, const QByteArray &body)
{
    UrlRequest request;
    request.url = QUrl(url);
    request.method = "POST";
    request.headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
    request.body = body;
    return request;
}

} // namespace

class TestUrlRequest : public QObject
{
    Q_OBJECT

private slots:
    void answerArrivesOffTheMainThread()
    {
        HttpTestServer server;
        server.body = "1.2.3";
        QThreadPool pool;
        const auto result = send(post(server.baseUrl() + "api/version.php", "a=1&b=2"), &pool);
        QVERIFY(result);
        QVERIFY(!result->onMainThread);
        QCOMPARE(result->response.statusCode, 200);
        QCOMPARE(result->data, QByteArray("1.2.3"));
        QVERIFY2(result->error.isEmpty(), qPrintable(result->error));

        QCOMPARE(server.requests.size(), 1);
        const auto &request = server.requests.first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/api/version.php"));
        QCOMPARE(request.header("Content-Type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(request.header("Content-Length"), QByteArray("7"));
        QCOMPARE(request.body, QByteArray("a=1&b=2"));
    }

    void httpErrorStatusIsAnAnswer()
    {
        HttpTestServer server;
        server.status = 404;
        server.body = "<html>Not Found</html>";
        QThreadPool pool;
        const auto result = send(post(server.baseUrl() + "missing", ""), &pool);
        QVERIFY(result);
        QCOMPARE(result->response.statusCode, 404);
        QCOMPARE(result->data, server.body);
        QVERIFY(result->error.isEmpty());
    }

    void noServerIsAnError()
    {
        QThreadPool pool;
        const auto result = send(post(HttpTestServer::deadBaseUrl(), "x"), &pool);
        QVERIFY(result);
        QCOMPARE(result->response.statusCode, 0);
        QVERIFY(result->data.isEmpty());
        QVERIFY(!result->error.isEmpty());
    }

    void answerIsReadUpToTheLimit_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("cutOff");
        QTest::newRow("at the limit") << 64 * 1024 << false;
        QTest::newRow("one byte over") << 64 * 1024 + 1 << true;
        QTest::newRow("far over") << 3 * 1024 * 1024 << true;
    }
    void answerIsReadUpToTheLimit()
    {
        QFETCH(int, size);
        QFETCH(bool, cutOff);
        HttpTestServer server;
        server.body = QByteArray(size, 'v');
        QThreadPool pool;
        UrlRequest request = post(server.baseUrl(), "");
        QCOMPARE(request.maxBytes, 64 * 1024);
        const auto result = send(request, &pool);
        QVERIFY(result);
        QCOMPARE(result->data.size(), qMin<qsizetype>(size, 64 * 1024));
        QCOMPARE(!result->error.isEmpty(), cutOff);
    }

    void hungServiceTimesOut()
    {
        HttpTestServer server;
        server.answer = false;
        QThreadPool pool;
        UrlRequest request = post(server.baseUrl(), "x");
        request.timeoutMs = 300;
        const auto result = send(request, &pool);
        QVERIFY(result);
        QCOMPARE(result->response.statusCode, 0);
        QVERIFY(!result->error.isEmpty());
    }

    void cancelEndsTheRequest()
    {
        HttpTestServer server;
        server.answer = false;
        QThreadPool pool;
        UrlRequest request = post(server.baseUrl(), "x");
        request.timeoutMs = 60000;
        request.cancelled = std::make_shared<std::atomic_bool>(false);
        QTimer::singleShot(200, this, [flag = request.cancelled] { flag->store(true); });
        // Far below the request's own timeout.
        const auto result = send(request, &pool, 15000);
        QVERIFY(result);
        QVERIFY(!result->error.isEmpty());
    }
};

QTEST_MAIN(TestUrlRequest)
#include "tst_urlrequest.moc"
