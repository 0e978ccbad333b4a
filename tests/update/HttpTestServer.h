#pragma once

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

// A small HTTP server on 127.0.0.1 for tests: records each request and
// answers every one the same way, or never (to stand for a hung service).
class HttpTestServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray head; // request line and headers, as sent
        QByteArray body;
    };

    int status = 200;
    QByteArray body;
    bool answer = true;
    QList<Request> requests;

    HttpTestServer()
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            }
        });
    }

    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()); }

    // An address where nothing listens.
    static QString deadBaseUrl()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        return QStringLiteral("http://127.0.0.1:%1/").arg(probe.serverPort());
    }

private:
    void readFrom(QTcpSocket *socket)
    {
        // What came so far stays with the socket until the request is whole.
        const QByteArray buffer = socket->property("received").toByteArray() + socket->readAll();
        socket->setProperty("received", buffer);
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buffer.left(end);
        const qsizetype at = head.toLower().indexOf("\r\ncontent-length:");
        const qsizetype length = at < 0 ? 0 : head.mid(at + 17).split('\r').value(0).trimmed().toLongLong();
        if (buffer.size() < end + 4 + length)
            return;
        const Request request{head, buffer.mid(end + 4, length)};
        socket->setProperty("received", QByteArray());
        requests.append(request);
        if (!answer)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " Status\r\n"
                      "Content-Type: text/plain; charset=utf-8\r\n"
                      "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
                      "Connection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server;
};
