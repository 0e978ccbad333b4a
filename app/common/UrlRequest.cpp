#include "app/common/UrlRequest.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThreadPool>
#include <QTimer>

namespace {

constexpr int cancelPollMs = 50;

struct Outcome
{
    UrlResponse response;
    QByteArray data;
    QString error;
};

Outcome perform(const UrlRequest &request)
{
    Outcome outcome;
    QNetworkAccessManager manager;
    QNetworkRequest networkRequest(request.url);
    for (const auto &[name, value] : request.headers)
        networkRequest.setRawHeader(name, value);
    QNetworkReply *reply = manager.sendCustomRequest(networkRequest, request.method, request.body);

    const qint64 limit = std::max<qint64>(0, request.maxBytes);
    bool timedOut = false, cancelled = false, tooLong = false;
    auto take = [&] {
        const qint64 room = limit - outcome.data.size();
        if (room > 0)
            outcome.data += reply->read(room);
        if (outcome.data.size() >= limit && reply->bytesAvailable() > 0 && !tooLong) {
            tooLong = true;
            reply->abort();
        }
    };

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, take);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    deadline.start(std::max(0, request.timeoutMs));
    QTimer cancelPoll;
    if (request.cancelled) {
        QObject::connect(&cancelPoll, &QTimer::timeout, &loop, [&] {
            if (request.cancelled->load()) {
                cancelled = true;
                reply->abort();
            }
        });
        cancelPoll.start(cancelPollMs);
    }
    if (!reply->isFinished())
        loop.exec();
    if (!tooLong && !timedOut && !cancelled)
        take();

    outcome.response.statusCode = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    outcome.response.url = reply->url();
    for (const auto &pair : reply->rawHeaderPairs())
        outcome.response.headers.append(pair);

    if (timedOut)
        outcome.error = QStringLiteral("The request timed out.");
    else if (cancelled)
        outcome.error = QStringLiteral("The request was cancelled.");
    else if (tooLong)
        outcome.error = QStringLiteral("The answer is longer than %1 bytes.").arg(limit);
    else if (reply->error() != QNetworkReply::NoError && outcome.response.statusCode == 0)
        outcome.error = reply->errorString();
    delete reply;
    return outcome;
}

} // namespace

void sendAsynchronousRequest(const UrlRequest &request, QThreadPool *queue,
                             UrlRequestHandler handler)
{
    if (!queue)
        queue = QThreadPool::globalInstance();
    queue->start([request, handler = std::move(handler)] {
        const Outcome outcome = perform(request);
        if (handler)
            handler(outcome.response, outcome.data, outcome.error);
    });
}
