// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for the tests of the update check:
// fixed answers by path, every request recorded. It answers from the event
// loop of the thread that made it, so the test must run that loop while it
// waits (QTest::qWait, QSignalSpy::wait, QEventLoop).

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QNetworkProxy>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <memory>
#include <utility>

namespace vamo::test {

class HttpTestServer {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
        // Accepts the connection and the request and then says nothing.
        bool silent = false;
        // Without a Content-Length header: the body ends when the server closes.
        bool noLength = false;
        // Sends the head and this many bytes of the body, then holds the
        // connection open without another word.
        qsizetype stallAfter = -1;
    };

    HttpTestServer()
    {
        // The tests talk to this server and to nothing else, whatever proxy
        // the environment names.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        m_server->setProxy(QNetworkProxy::NoProxy);
        m_server->listen(QHostAddress::LocalHost, 0);
        QObject::connect(m_server.get(), &QTcpServer::newConnection, m_server.get(), [this] { accept(); });
    }

    bool listening() const { return m_server->isListening(); }
    quint16 port() const { return m_server->serverPort(); }
    QUrl url(const QByteArray& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port()) + QString::fromLatin1(path));
    }

    void answer(const QByteArray& path, Answer a) { m_answers[path] = std::move(a); }
    void answer(const QByteArray& path, const QByteArray& body)
    {
        m_answers[path] = Answer{200, body, {}, false, false};
    }

    // Paths requested so far, in order.
    const QList<QByteArray>& requests() const { return m_requests; }
    qsizetype requestCount(const QByteArray& path) const { return m_requests.count(path); }
    // Connections accepted so far (a silent answer still counts).
    int connections() const { return m_connections; }

    // Stops listening and drops every open connection.
    void close()
    {
        m_server->close();
        for (const QPointer<QTcpSocket>& s : std::as_const(m_sockets))
            if (s)
                s->abort();
    }

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            ++m_connections;
            m_sockets << socket;
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                buffer->append(socket->readAll());
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                const QByteArray head = buffer->left(end);
                buffer->remove(0, end + 4);
                const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
                const QByteArray path = requestLine.size() > 1 ? requestLine.at(1) : QByteArray();
                m_requests << path;
                respond(socket, path);
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void respond(QTcpSocket* socket, const QByteArray& path)
    {
        const auto found = m_answers.constFind(path);
        const Answer a = found != m_answers.cend() ? *found : Answer{404, "not found", {}, false, false};
        if (a.silent)
            return;
        QByteArray out = "HTTP/1.1 " + QByteArray::number(a.status) + " " + reason(a.status) + "\r\n";
        if (!a.noLength)
            out += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
        for (const auto& [name, value] : a.headers)
            out += name + ": " + value + "\r\n";
        out += "Connection: close\r\n\r\n";
        if (a.stallAfter >= 0) {
            socket->write(out + a.body.left(a.stallAfter));
            return;
        }
        out += a.body;
        socket->write(out);
        socket->disconnectFromHost();
    }

    static QByteArray reason(int status)
    {
        switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
        }
    }

    std::unique_ptr<QTcpServer> m_server = std::make_unique<QTcpServer>();
    QMap<QByteArray, Answer> m_answers;
    QList<QByteArray> m_requests;
    QList<QPointer<QTcpSocket>> m_sockets;
    int m_connections = 0;
};

} // namespace vamo::test
