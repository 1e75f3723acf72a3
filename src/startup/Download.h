// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <optional>

class QTcpSocket;

namespace vamo {

// Longest time one download may take, from request to last byte, redirects
// included.
inline constexpr int downloadTimeLimitMs = 10 * 1000;
inline constexpr int downloadRedirectLimit = 5;
// The status line and header lines of one answer together.
inline constexpr qint64 downloadHeadByteLimit = 16 * 1024;

// An http or https address with a host.
[[nodiscard]] bool isWebUrl(const QUrl& url);

// One HTTP(S) GET into memory, on a connection of its own that it closes
// when it ends. It ends, exactly once and never from inside the constructor,
// with the body or with nothing: on a network or server error, a status
// other than 2xx, a redirect to anything but an http(s) address or more than
// downloadRedirectLimit of them, or when the time limit passes. Every byte
// that arrives counts, whatever the server announces: a head longer than
// downloadHeadByteLimit, a body longer than `byteLimit`, or chunk framing
// beyond as much again ends it at once, so that a server sending without end
// costs no more than that. Destroying it closes the connection without a
// call.
class Download : public QObject {
public:
    using DoneFn = std::function<void(std::optional<QByteArray>)>;

    Download(const QUrl& url, qint64 byteLimit, DoneFn done, int timeLimitMs = downloadTimeLimitMs,
             QObject* parent = nullptr);
    ~Download() override;

    [[nodiscard]] bool running() const { return !m_ended; }

private:
    enum class Stage { Head, Body, BodyToClose, ChunkSize, ChunkData, ChunkEnd, Trailer };

    void request(const QUrl& url);
    void arrived();
    void closed();
    [[nodiscard]] bool digest();
    [[nodiscard]] bool headLine(QByteArrayView line);
    [[nodiscard]] bool headDone();
    [[nodiscard]] bool chunkSize(QByteArrayView line);
    // The next line of what arrived, without its line end; nothing while it
    // is still incomplete (then false when it is already too long).
    [[nodiscard]] std::optional<QByteArray> takeLine(qint64 maxLength, bool& tooLong);
    void dropSocket();
    void fail();
    void end(QByteArray body);
    DoneFn stop();

    QUrl m_url;
    QPointer<QTcpSocket> m_socket;
    QTimer m_deadline;
    qint64 m_limit;
    DoneFn m_done;
    int m_redirects = 0;
    bool m_ended = false;

    // The answer being read.
    Stage m_stage = Stage::Head;
    QByteArray m_in; // arrived and not yet taken
    QByteArray m_body;
    qint64 m_headBytes = 0;
    qint64 m_bodyBytes = 0; // as sent, chunk framing included
    int m_status = 0;
    qint64 m_length = -1; // Content-Length, -1 when not given
    qint64 m_chunkLeft = 0;
    bool m_chunked = false;
    QByteArray m_location;
};

} // namespace vamo
