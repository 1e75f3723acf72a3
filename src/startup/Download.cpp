// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/Download.h"

#include "model/Version.h"

#include <QTcpSocket>
#if QT_CONFIG(ssl)
#include <QSslSocket>
#endif

namespace vamo {

namespace {

// What the socket buffers before it is read; it stops reading from the
// system beyond this, so a fast server fills the system's buffers, not ours.
constexpr qint64 kSocketBuffer = 64 * 1024;
// A chunk-size line: a hexadecimal number and perhaps an extension.
constexpr qint64 kChunkLineLimit = 1024;

bool isWebScheme(const QString& scheme)
{
    return scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
           scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

bool isTls(const QUrl& url) { return url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0; }

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The request line's target: path and query, "/" for none.
QByteArray target(const QUrl& url)
{
    QByteArray path = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (path.isEmpty() || path.front() != '/')
        path.prepend('/');
    return path;
}

QByteArray hostHeader(const QUrl& url)
{
    QByteArray host = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                                    QUrl::RemoveFragment | QUrl::RemovePort);
    if (host.startsWith("//"))
        host.remove(0, 2);
    const int port = url.port();
    if (port >= 0 && port != (isTls(url) ? 443 : 80))
        host += ':' + QByteArray::number(port);
    return host;
}

std::optional<qint64> decimal(QByteArrayView text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 10);
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

} // namespace

bool isWebUrl(const QUrl& url) { return url.isValid() && isWebScheme(url.scheme()) && !url.host().isEmpty(); }

Download::Download(const QUrl& url, qint64 byteLimit, DoneFn done, int timeLimitMs, QObject* parent)
    : QObject(parent), m_limit(byteLimit), m_done(std::move(done))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &Download::fail);
    if (!isWebUrl(url)) {
        m_deadline.start(0); // fails from the event loop, as every other ending
        return;
    }
    m_deadline.start(timeLimitMs);
    request(url);
}

Download::~Download() { dropSocket(); }

void Download::request(const QUrl& url)
{
    dropSocket();
    m_url = url;
    m_stage = Stage::Head;
    m_in.clear();
    m_body.clear();
    m_headBytes = 0;
    m_bodyBytes = 0;
    m_status = 0;
    m_length = -1;
    m_chunked = false;
    m_location.clear();

    const QByteArray head = "GET " + target(url) + " HTTP/1.1\r\nHost: " + hostHeader(url) +
                            "\r\nUser-Agent: vamobook/" + version::shortText +
                            "\r\nAccept: */*\r\nConnection: close\r\n\r\n";
    const int port = url.port(isTls(url) ? 443 : 80);
    QTcpSocket* socket = nullptr;
    if (isTls(url)) {
#if QT_CONFIG(ssl)
        auto* tls = new QSslSocket(this);
        connect(tls, &QSslSocket::encrypted, this, [tls, head] { tls->write(head); });
        socket = tls;
#else
        // No TLS in this build: fails as an unreachable server does.
        QMetaObject::invokeMethod(this, &Download::fail, Qt::QueuedConnection);
        return;
#endif
    } else {
        socket = new QTcpSocket(this);
        connect(socket, &QTcpSocket::connected, this, [socket, head] { socket->write(head); });
    }
    m_socket = socket;
    socket->setReadBufferSize(kSocketBuffer);
    connect(socket, &QTcpSocket::readyRead, this, &Download::arrived);
    connect(socket, &QTcpSocket::disconnected, this, &Download::closed);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            closed();
        else
            fail();
    });
#if QT_CONFIG(ssl)
    if (auto* tls = qobject_cast<QSslSocket*>(socket)) {
        tls->connectToHostEncrypted(url.host(), static_cast<quint16>(port));
        return;
    }
#endif
    socket->connectToHost(url.host(), static_cast<quint16>(port));
}

void Download::arrived()
{
    while (!m_ended && m_socket && m_socket->bytesAvailable() > 0) {
        const QByteArray bytes = m_socket->read(kSocketBuffer);
        if (m_stage != Stage::Head)
            m_bodyBytes += bytes.size();
        m_in += bytes;
        if (!digest())
            return;
    }
}

// The server closed: what it sent before counts; a body that runs to the
// close is complete, anything else was cut short.
void Download::closed()
{
    if (m_ended || !m_socket)
        return;
    arrived();
    if (m_ended || !m_socket)
        return;
    if (m_stage == Stage::BodyToClose)
        end(std::move(m_body));
    else
        fail();
}

std::optional<QByteArray> Download::takeLine(qint64 maxLength, bool& tooLong)
{
    const qsizetype newline = m_in.indexOf('\n');
    tooLong = (newline < 0 ? m_in.size() : newline) > maxLength;
    if (newline < 0 || tooLong)
        return std::nullopt;
    QByteArray line = m_in.left(newline);
    m_in.remove(0, newline + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// Takes what arrived as far as it goes; false once the download has ended
// (or started over at a redirect's address).
bool Download::digest()
{
    bool tooLong = false;
    while (!m_ended) {
        switch (m_stage) {
        case Stage::Head: {
            const std::optional<QByteArray> line = takeLine(downloadHeadByteLimit - m_headBytes, tooLong);
            if (!line) {
                if (tooLong)
                    fail();
                return !tooLong;
            }
            m_headBytes += line->size() + 2;
            if (m_headBytes > downloadHeadByteLimit) {
                fail();
                return false;
            }
            if (!(line->isEmpty() ? headDone() : headLine(*line)))
                return false;
            break;
        }
        case Stage::Body: {
            const qint64 take = std::min<qint64>(m_in.size(), m_length - m_body.size());
            m_body += m_in.left(take);
            m_in.remove(0, take);
            if (m_body.size() == m_length) {
                end(std::move(m_body));
                return false;
            }
            return true;
        }
        case Stage::BodyToClose:
            m_body += m_in;
            m_in.clear();
            if (m_body.size() > m_limit) {
                fail();
                return false;
            }
            return true;
        case Stage::ChunkSize:
        case Stage::ChunkEnd:
        case Stage::Trailer: {
            const std::optional<QByteArray> line = takeLine(kChunkLineLimit, tooLong);
            if (!line) {
                if (tooLong)
                    fail();
                return !tooLong;
            }
            if (m_stage == Stage::ChunkSize) {
                if (!chunkSize(*line))
                    return false;
            } else if (m_stage == Stage::ChunkEnd) {
                if (!line->isEmpty()) {
                    fail();
                    return false;
                }
                m_stage = Stage::ChunkSize;
            } else if (line->isEmpty()) {
                end(std::move(m_body));
                return false;
            }
            break;
        }
        case Stage::ChunkData: {
            const qint64 take = std::min<qint64>(m_in.size(), m_chunkLeft);
            m_body += m_in.left(take);
            m_in.remove(0, take);
            m_chunkLeft -= take;
            if (m_chunkLeft > 0)
                return true;
            m_stage = Stage::ChunkEnd;
            break;
        }
        }
        if (m_bodyBytes > 2 * m_limit) {
            fail();
            return false;
        }
    }
    return false;
}

// A line of the head: the status line first, then header fields.
bool Download::headLine(QByteArrayView line)
{
    if (m_status == 0) {
        const QList<QByteArray> parts = line.toByteArray().split(' ');
        bool ok = false;
        m_status = parts.size() >= 2 && parts.front().startsWith("HTTP/1.") ? parts.at(1).toInt(&ok) : 0;
        if (!ok || m_status < 100 || m_status > 999) {
            fail();
            return false;
        }
        return true;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return true; // not a field: passed over
    const QByteArray name = line.first(colon).trimmed().toByteArray().toLower();
    const QByteArrayView value = line.sliced(colon + 1).trimmed();
    if (name == "content-length") {
        const std::optional<qint64> length = decimal(value);
        if (!length || (m_length >= 0 && *length != m_length)) {
            fail();
            return false;
        }
        m_length = *length;
    } else if (name == "transfer-encoding") {
        m_chunked = value.toByteArray().toLower().endsWith("chunked");
    } else if (name == "location") {
        m_location = value.toByteArray();
    }
    return true;
}

// The head is complete: a redirect starts over, an interim answer waits for
// the real one, a success reads the body.
bool Download::headDone()
{
    if (m_status < 200) {
        m_status = 0; // 100 Continue and the like: another head follows
        return true;
    }
    if (isRedirect(m_status) && !m_location.isEmpty()) {
        const QUrl to = m_url.resolved(QUrl::fromEncoded(m_location));
        if (!isWebUrl(to) || ++m_redirects > downloadRedirectLimit)
            fail();
        else
            request(to);
        return false;
    }
    if (m_status > 299) {
        fail();
        return false;
    }
    if (m_chunked) {
        m_stage = Stage::ChunkSize;
    } else if (m_length >= 0) {
        if (m_length > m_limit) {
            fail();
            return false;
        }
        m_stage = Stage::Body;
        if (m_length == 0) {
            end(QByteArray());
            return false;
        }
    } else {
        m_stage = Stage::BodyToClose;
    }
    m_bodyBytes = m_in.size();
    return true;
}

bool Download::chunkSize(QByteArrayView line)
{
    const qsizetype extension = line.indexOf(';');
    bool ok = false;
    const QByteArrayView digits = (extension < 0 ? line : line.first(extension)).trimmed();
    const qint64 size = digits.size() <= 15 ? digits.toLongLong(&ok, 16) : 0;
    if (!ok || size < 0 || m_body.size() + size > m_limit) {
        fail();
        return false;
    }
    m_chunkLeft = size;
    m_stage = size == 0 ? Stage::Trailer : Stage::ChunkData;
    return true;
}

void Download::dropSocket()
{
    if (!m_socket)
        return;
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void Download::fail()
{
    if (const DoneFn done = stop())
        done(std::nullopt);
}

void Download::end(QByteArray body)
{
    if (const DoneFn done = stop())
        done(std::move(body));
}

// Ends the download once: the connection and what arrived go; the function
// to call with the result, or none when it had ended before.
Download::DoneFn Download::stop()
{
    if (m_ended)
        return nullptr;
    m_ended = true;
    m_deadline.stop();
    dropSocket();
    m_in.clear();
    m_body.clear();
    DoneFn done = std::move(m_done);
    m_done = nullptr;
    return done;
}

} // namespace vamo
