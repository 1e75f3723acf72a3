// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"
#include "model/Version.h"
#include "startup/Download.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>

namespace vamo {

// The program's own version, as the update-information file numbers it.
inline constexpr qint64 programVersion = version::number;

// Answers larger than these are not taken.
inline constexpr qint64 updateInfoByteLimit = 64 * 1024;
inline constexpr qint64 pictureByteLimit = 4 * 1024 * 1024;

// Environment variable that replaces the update-information address (a
// mirror, or a test server); set but empty or not an http(s) address, it
// turns the update check off.
inline constexpr const char* updateUrlVariable = "VAMOBOOK_UPDATE_URL";

// --- addresses ---------------------------------------------------------

// The address the start-up fetches: the environment variable's when it is
// set, else the site's (site::updateInfoUrl). Empty when the variable turns
// the check off.
[[nodiscard]] QUrl updateInfoUrl();

// What the program may hand to the browser: an http or https address with
// a host. A text without a scheme (a bare host name, "host/path",
// "host:8080") gets "http://" in front. Anything else (file:, javascript:,
// a program path, an address without a host) gives nothing.
[[nodiscard]] std::optional<QUrl> webAddress(QStringView text);

// --- local files -------------------------------------------------------

[[nodiscard]] QString marketTextPath(const QString& programFolder);    // <P>/jre/market.txt
[[nodiscard]] QString marketPicturePath(const QString& programFolder); // <P>/jre/market.gif

// --- update-information file -------------------------------------------

// The file's first six lines, by position. A value the file does not hold
// (too few lines, or line 3 or 4 not a number) is absent.
struct UpdateInfo {
    std::optional<QString> promotionText;  // line 1: caption of the banner line
    std::optional<QString> siteAddress;    // line 2: replaces `siteurl`
    std::optional<qint64> version;         // line 3: latest version number
    std::optional<qint64> pictureSize;     // line 4: length of the picture in bytes
    std::optional<QString> pictureAddress; // line 5: where the picture is downloaded from
    std::optional<QString> pictureLink;    // line 6: replaces `marketurl`
};

// Reads the file's bytes as code page 936 text, line by line (a line ends at
// CR LF or CR; a lone LF stays inside its line), each line trimmed of
// spaces. Lines after the sixth are ignored.
[[nodiscard]] UpdateInfo parseUpdateInfo(QByteArrayView bytes);

// The largest whole number not greater than the number on the line (a
// decimal number, optionally signed, with a fraction or an exponent).
// Nothing for anything else, and for numbers too large to be meant.
[[nodiscard]] std::optional<qint64> wholeNumber(QStringView line);

// The text as one line that is safe to print on a terminal: control
// characters (escape sequences, bell, line breaks) become U+FFFD.
[[nodiscard]] QString printableLine(QStringView text);

// True for bytes that start with a GIF signature.
[[nodiscard]] bool looksLikeGif(QByteArrayView bytes);

// The update check of the start-up, in this order of effects:
//  1. `siteurl` and `marketurl` take their defaults (at construction);
//  2. the update-information file is downloaded and, when that succeeded,
//     saved as jre/market.txt;
//  3. its lines give the banner caption (promotionTextRead), `siteurl`,
//     the version, the picture's size and address, and `marketurl`;
//  4. a local jre/market.gif is shown (pictureAvailable); when it is
//     missing or its length differs from line 4 and line 5 named an
//     address, the picture is downloaded, saved (a GIF only) and shown;
//  5. a version other than the program's is announced (newVersionFound);
//  6. finished.
// Both downloads run in the background; the object may be destroyed at any
// time, which stops them and leaves the files as they were.
class UpdateCheck : public QObject {
    Q_OBJECT

public:
    explicit UpdateCheck(QString programFolder, QObject* parent = nullptr);
    ~UpdateCheck() override;

    // Starts the check; an empty or non-web address goes straight on as a
    // failed download does (the local picture is still shown). Once only.
    void start(const QUrl& updateInfoUrl);
    [[nodiscard]] bool running() const { return m_running; }
    [[nodiscard]] bool done() const { return m_done; }
    // Time limit of each download (tests shorten it).
    void setTimeLimit(int ms) { m_timeLimitMs = ms; }

    [[nodiscard]] const QString& siteurl() const { return m_siteurl; }
    [[nodiscard]] const QString& marketurl() const { return m_marketurl; }

Q_SIGNALS:
    void promotionTextRead(const QString& text);
    void pictureAvailable(const QString& path);
    void newVersionFound(qint64 version);
    void finished();

private:
    void updateInfoArrived(std::optional<QByteArray> body);
    void pictureArrived(std::optional<QByteArray> body);
    void finish();

    QString m_programFolder;
    QString m_siteurl;
    QString m_marketurl;
    UpdateInfo m_info;
    QPointer<Download> m_download;
    int m_timeLimitMs = downloadTimeLimitMs;
    bool m_running = false;
    bool m_done = false;
};

} // namespace vamo
