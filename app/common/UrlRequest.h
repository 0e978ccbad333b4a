#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>

class QThreadPool;

using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// One HTTP request, sent by sendAsynchronousRequest().
struct UrlRequest
{
    QUrl url;
    QByteArray method = "GET";
    HttpHeaders headers;
    QByteArray body;
    // No more than this much of the answer is read; a longer one is cut off
    // there and reported as an error.
    qint64 maxBytes = 64 * 1024;
    // The whole exchange, from connecting to the last byte.
    int timeoutMs = 20000;
    // Set it to end the request early (for example when its owner goes away);
    // the handler still runs, with an error.
    std::shared_ptr<std::atomic_bool> cancelled;
};

// What came back besides the body.
struct UrlResponse
{
    int statusCode = 0; // the HTTP status, 0 when no answer came
    QUrl url;           // where the answer came from, after redirects
    HttpHeaders headers;
};

// Called once per request, on a thread of the pool that ran it, never on the
// main thread. error is empty when an answer came, whatever its status: an
// HTTP error status is an answer, not a transport failure.
using UrlRequestHandler =
    std::function<void(const UrlResponse &response, const QByteArray &data, const QString &error)>;

// Sends the request on one of queue's threads (the global pool when null) and
// returns at once. Each request has a network manager and an event loop of
// its own on that thread, so the main thread is never involved.
void sendAsynchronousRequest(const UrlRequest &request, QThreadPool *queue,
                             UrlRequestHandler handler);
