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
        QByteArray method;
        QByteArray path;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;

        QByteArray header(const QByteArray &name) const
        {
            for (const auto &[key, value] : headers)
                if (key.compare(name, Qt::CaseInsensitive) == 0)
                    return value;
            return {};
        }
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
                auto *buffer = new QByteArray;
                connect(socket, &QObject::destroyed, this, [buffer] { delete buffer; });
                connect(socket, &QTcpSocket::readyRead, this,
                        [this, socket, buffer] { readFrom(socket, *buffer); });
            }
        });
    }

    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()); }

    // An address where nothing listens.
    static QString deadBaseUrl()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        return QStringLiteral("http://127.0.0.1:%1/").arg(port);
    }

private:
    void readFrom(QTcpSocket *socket, QByteArray &buffer)
    {
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        Request request;
        const QList<QByteArray> lines = buffer.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        qsizetype length = 0;
        for (int i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = lines[i].left(colon).trimmed();
            const QByteArray value = lines[i].mid(colon + 1).trimmed();
            request.headers.append({name, value});
            if (name.compare("Content-Length", Qt::CaseInsensitive) == 0)
                length = value.toLongLong();
        }
        if (buffer.size() < end + 4 + length)
            return;
        request.body = buffer.mid(end + 4, length);
        buffer.clear();
        requests.append(request);
        if (!answer)
            return;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(status) + " Status\r\n"
                           "Content-Type: text/plain; charset=utf-8\r\n"
                           "Content-Length: " + QByteArray::number(body.size()) + "\r\n"
                           "Connection: close\r\n\r\n" + body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer server;
};
