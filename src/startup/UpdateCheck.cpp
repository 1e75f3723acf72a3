// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/UpdateCheck.h"

#include "model/Site.h"
#include "text/Cp936.h"
#include "text/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace vamo {

namespace {

QString http(const QString& hostAndPath) { return QStringLiteral("http://") + hostAndPath; }

QStringView trimSpaces(QStringView line)
{
    while (!line.isEmpty() && line.front() == u' ')
        line = line.sliced(1);
    while (!line.isEmpty() && line.back() == u' ')
        line.chop(1);
    return line;
}

// Numbers beyond this are not whole numbers anyone means for a version or a
// picture length, and would not convert exactly.
constexpr double kLargestNumber = 1e15;

} // namespace

// ------------------------------------------------------------ addresses ---

QUrl updateInfoUrl()
{
    if (!qEnvironmentVariableIsSet(updateUrlVariable))
        return site::updateInfoUrl();
    return webAddress(qEnvironmentVariable(updateUrlVariable)).value_or(QUrl());
}

std::optional<QUrl> webAddress(QStringView text)
{
    const QString address = text.trimmed().toString();
    if (address.isEmpty())
        return std::nullopt;
    // "name:rest" names a scheme unless the rest is a port ("host:8080/..").
    static const QRegularExpression schemed(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]*:(?!\\d+(?:[/?#]|$))"));
    const bool hasScheme = schemed.match(address).hasMatch();
    const QUrl url(hasScheme ? address : http(address), QUrl::StrictMode);
    if (!isWebUrl(url))
        return std::nullopt;
    return url;
}

// ---------------------------------------------------------- local files ---

QString marketTextPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("jre/market.txt"));
}

QString marketPicturePath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("jre/market.gif"));
}

// ------------------------------------------------ update-information file ---

std::optional<qint64> wholeNumber(QStringView line)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?$"));
    const QStringView text = line.trimmed();
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > kLargestNumber)
        return std::nullopt;
    return static_cast<qint64>(std::floor(value));
}

UpdateInfo parseUpdateInfo(QByteArrayView bytes)
{
    const QString text = cp936::decode(bytes);
    QList<QStringView> lines;
    const QStringView all(text);
    qsizetype start = 0;
    while (start < all.size() && lines.size() < 6) {
        qsizetype end = all.indexOf(u'\r', start);
        if (end < 0)
            end = all.size();
        lines << trimSpaces(all.sliced(start, end - start));
        start = end + 1;
        if (start < all.size() && all.at(start) == u'\n')
            ++start;
    }

    UpdateInfo info;
    const auto line = [&lines](qsizetype i) { return i < lines.size() ? std::optional(lines.at(i)) : std::nullopt; };
    if (auto l = line(0))
        info.promotionText = l->toString();
    if (auto l = line(1))
        info.siteAddress = l->toString();
    if (auto l = line(2))
        info.version = wholeNumber(*l);
    if (auto l = line(3))
        info.pictureSize = wholeNumber(*l);
    if (auto l = line(4))
        info.pictureAddress = l->toString();
    if (auto l = line(5))
        info.pictureLink = l->toString();
    return info;
}

QString printableLine(QStringView text)
{
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        const bool control =
            c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
        line.append(control ? QChar::ReplacementCharacter : c);
    }
    return line;
}

bool looksLikeGif(QByteArrayView bytes)
{
    return bytes.startsWith(QByteArrayView("GIF87a")) || bytes.startsWith(QByteArrayView("GIF89a"));
}

// --------------------------------------------------------- update check ---

UpdateCheck::UpdateCheck(QString programFolder, QObject* parent)
    : QObject(parent), m_programFolder(std::move(programFolder)), m_siteurl(site::defaultSiteUrl()),
      m_marketurl(site::defaultMarketUrl())
{
}

UpdateCheck::~UpdateCheck()
{
    // Stops a running download before the network it uses goes away.
    delete m_download.data();
}

void UpdateCheck::start(const QUrl& updateInfoUrl)
{
    if (m_running || m_done)
        return;
    m_running = true;
    m_download = new Download(
        updateInfoUrl, updateInfoByteLimit,
        [this](std::optional<QByteArray> body) { updateInfoArrived(std::move(body)); }, m_timeLimitMs, this);
}

void UpdateCheck::updateInfoArrived(std::optional<QByteArray> body)
{
    m_download->deleteLater();
    if (body) {
        // The saved copy is a record; the values come from the answer itself.
        (void)replaceFile(marketTextPath(m_programFolder), *body);
        m_info = parseUpdateInfo(*body);
        if (m_info.promotionText)
            Q_EMIT promotionTextRead(*m_info.promotionText);
        if (m_info.siteAddress)
            m_siteurl = *m_info.siteAddress;
        if (m_info.pictureLink)
            m_marketurl = *m_info.pictureLink;
    }

    const QString picture = marketPicturePath(m_programFolder);
    const QFileInfo local(picture);
    bool needed = true;
    if (local.isFile()) {
        Q_EMIT pictureAvailable(picture);
        if (m_info.pictureSize && local.size() == *m_info.pictureSize)
            needed = false;
    }
    if (!needed || !m_info.pictureAddress) {
        finish();
        return;
    }
    m_download = new Download(
        webAddress(*m_info.pictureAddress).value_or(QUrl()), pictureByteLimit,
        [this](std::optional<QByteArray> picture) { pictureArrived(std::move(picture)); }, m_timeLimitMs, this);
}

void UpdateCheck::pictureArrived(std::optional<QByteArray> body)
{
    m_download->deleteLater();
    // Anything but a GIF keeps the old picture, on disk and on screen.
    const QString picture = marketPicturePath(m_programFolder);
    if (body && looksLikeGif(*body) && replaceFile(picture, *body))
        Q_EMIT pictureAvailable(picture);
    finish();
}

void UpdateCheck::finish()
{
    m_running = false;
    m_done = true;
    if (m_info.version && *m_info.version != programVersion)
        Q_EMIT newVersionFound(*m_info.version);
    Q_EMIT finished();
}

} // namespace vamo
