// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/OnlineBanner.h"

#include "model/Site.h"
#include "startup/UpdateCheck.h"
#include "windows/Dialogs.h"

#include <QAction>
#include <QBuffer>
#include <QEvent>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QTimer>

namespace vamo {

namespace {

// The hot area of the banner line, in twips from its top left corner.
constexpr double kHotWidthTwips = 2800;
constexpr double kHotHeightTwips = 200;
constexpr double kTwipsPerInch = 1440;

bool isClick(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const auto* widget = qobject_cast<QWidget*>(watched);
    return mouse->button() == Qt::LeftButton && widget && widget->rect().contains(mouse->position().toPoint());
}

} // namespace

OnlineBanner::OnlineBanner(QWidget* window, QLabel* caption, QLabel* picture, const HelpMenu& menu,
                           const QString& programFolder)
    : QObject(window), m_window(window), m_caption(caption), m_picture(picture), m_captionPalette(caption->palette()),
      m_check(new UpdateCheck(programFolder, this))
{
    // The caption comes from a server: shown as plain text, and a long one
    // is cut off rather than widening the window.
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setText(site::bannerCaption());
    m_caption->setMinimumWidth(1);
    m_caption->setMouseTracking(true);
    m_caption->installEventFilter(this);
    m_picture->hide(); // until there is a picture
    m_picture->installEventFilter(this);
    m_window->installEventFilter(this);

    connect(m_check, &UpdateCheck::promotionTextRead, m_caption, &QLabel::setText);
    connect(m_check, &UpdateCheck::pictureAvailable, this, &OnlineBanner::showPicture);
    connect(m_check, &UpdateCheck::newVersionFound, this, &OnlineBanner::newVersionFound);

    connect(menu.faq, &QAction::triggered, this, [this] { Dialogs::information(m_window, site::faqText()); });
    connect(menu.home, &QAction::triggered, this, [] { gotoweb(site::homePage()); });
    connect(menu.update, &QAction::triggered, this, [] { gotoweb(site::updatePage()); });
    connect(menu.help, &QAction::triggered, this, [] { gotoweb(site::helpPage()); });
}

OnlineBanner::~OnlineBanner() = default;

void OnlineBanner::startUpdateCheck(const QUrl& updateInfoUrl) { m_check->start(updateInfoUrl); }

void OnlineBanner::gotoweb(const QString& url)
{
    if (auto address = webAddress(url))
        Dialogs::openUrl(address->toString());
}

bool OnlineBanner::showPicture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > pictureByteLimit)
        return false;
    auto bytes = std::make_unique<QBuffer>();
    bytes->setData(file.readAll());
    file.close();

    QSize size;
    {
        QBuffer probe;
        probe.setData(bytes->data());
        probe.open(QIODevice::ReadOnly);
        QImageReader reader(&probe, "gif");
        if (!reader.canRead())
            return false;
        size = reader.size();
    }
    if (!size.isValid() || size.isEmpty())
        return false;
    if (size.width() > pictureBox().width() || size.height() > pictureBox().height())
        size.scale(pictureBox(), Qt::KeepAspectRatio);

    bytes->open(QIODevice::ReadOnly);
    auto movie = std::make_unique<QMovie>(bytes.get(), QByteArray("gif"));
    movie->setCacheMode(QMovie::CacheAll);
    movie->setScaledSize(size);
    if (!movie->isValid() || !movie->jumpToFrame(0) || movie->currentImage().isNull())
        return false;

    m_picture->setMovie(movie.get());
    m_picture->setFixedSize(size);
    m_movie = std::move(movie);
    m_pictureBytes = std::move(bytes);
    // One frame stands still; several play.
    if (m_movie->frameCount() > 1)
        m_movie->start();
    m_picture->show();
    return true;
}

bool OnlineBanner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_caption) {
        if (event->type() == QEvent::MouseMove)
            hover(static_cast<QMouseEvent*>(event)->position().toPoint());
        else if (isClick(watched, event))
            gotoweb(m_check->siteurl());
    } else if (watched == m_picture) {
        if (isClick(watched, event))
            gotoweb(m_check->marketurl());
    } else if (watched == m_window && event->type() == QEvent::EnabledChange) {
        if (m_noticePending && m_window->isEnabled())
            QTimer::singleShot(0, this, &OnlineBanner::showNoticeWhenFree);
    }
    return QObject::eventFilter(watched, event);
}

void OnlineBanner::hover(const QPoint& pos)
{
    const double x = pos.x() * kTwipsPerInch / m_caption->logicalDpiX();
    const double y = pos.y() * kTwipsPerInch / m_caption->logicalDpiY();
    const bool hot = x >= 0 && x <= kHotWidthTwips && y > 0 && y <= kHotHeightTwips;

    QPalette palette = m_caption->palette();
    palette.setColor(QPalette::WindowText, hot ? QColor(255, 0, 0) : m_captionPalette.color(QPalette::ButtonText));
    m_caption->setPalette(palette);
    QFont font = m_caption->font();
    font.setUnderline(hot);
    m_caption->setFont(font);
}

void OnlineBanner::newVersionFound()
{
    m_noticePending = true;
    // Outside the update check's own call, and not while a build or another
    // window keeps the main window disabled: then it waits until that ends.
    QTimer::singleShot(0, this, &OnlineBanner::showNoticeWhenFree);
}

void OnlineBanner::showNoticeWhenFree()
{
    if (!m_noticePending || !m_window->isEnabled())
        return;
    m_noticePending = false;
    Dialogs::notice(m_window, site::newVersionNotice());
    Q_EMIT noticeShown();
}

} // namespace vamo
