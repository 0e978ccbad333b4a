#pragma once

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>

#include <utility>

// An HTTP server on 127.0.0.1 that records each request and answers every
// one the same way, or never (a hung service).
class HttpTestServer : public QTcpServer
{
public:
    int status = 200;
    QByteArray body;
    bool answer = true;
    QList<QByteArray> requests; // each whole, as sent

    HttpTestServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        });
    }

    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/").arg(serverPort()); }

    // An address where nothing listens any more.
    static QString deadBaseUrl() { return HttpTestServer().baseUrl(); }

private:
    void readFrom(QTcpSocket *socket)
    {
        QByteArray &buffer = received[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        const QByteArray head = buffer.left(end);
        const qsizetype at = head.toLower().indexOf("\r\ncontent-length:");
        const qsizetype length = at < 0 ? 0 : head.mid(at + 17).split('\r').value(0).trimmed().toLongLong();
        if (end < 0 || buffer.size() < end + 4 + length)
            return;
        requests.append(std::exchange(buffer, {}));
        if (!answer)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " Status\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QHash<QTcpSocket *, QByteArray> received; // until each request is whole
};
