// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPalette>
#include <QSize>
#include <QString>

#include <memory>

class QAction;
class QBuffer;
class QLabel;
class QMovie;
class QPoint;
class QUrl;
class QWidget;

namespace vamo {

class UpdateCheck;

// The main window's online side: the banner line `Label10` with its hover
// effect, the promotion picture `AniGIF1` playing an animated GIF, the help
// menu's four entries and the update check that feeds them. The main window
// owns one and hands it its controls.
class OnlineBanner : public QObject {
    Q_OBJECT

public:
    // The help menu's entries, in the menu's order.
    struct HelpMenu {
        QAction* faq = nullptr;    // menu_two_4 "疑问解答(&P)"
        QAction* home = nullptr;   // menu_two_1 "软件主页(&S)"
        QAction* update = nullptr; // menu_two_2 "软件更新(&U)"
        QAction* help = nullptr;   // menu_two_3 "联机帮助(&C)"
    };

    OnlineBanner(QWidget* window, QLabel* caption, QLabel* picture, const HelpMenu& menu, const QString& programFolder);
    ~OnlineBanner() override;

    // Starts the update check in the background (see UpdateCheck). The
    // window does not wait for it.
    void startUpdateCheck(const QUrl& updateInfoUrl);
    UpdateCheck& updateCheck() { return *m_check; }

    // Opens `url` in the system's browser, when it is an http or https
    // address with a host (a bare host name gets "http://"); anything else
    // is not opened.
    static void gotoweb(const QString& url);

    // Shows the GIF at `path` in the picture control: animated when it has
    // several frames, still when it has one. A file that is not a GIF or does
    // not decode leaves the control as it was; returns whether it was shown.
    bool showPicture(const QString& path);
    // The playing picture; null before the first one.
    QMovie* movie() const { return m_movie.get(); }

    // Largest picture the control shows at its own size; larger ones are
    // scaled down to fit, keeping their proportions.
    static QSize pictureBox() { return {468, 60}; }

Q_SIGNALS:
    // The new-version notice has been shown (and closed).
    void noticeShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hover(const QPoint& pos);
    void newVersionFound();
    void showNoticeWhenFree();

    QWidget* m_window;
    QLabel* m_caption;
    QLabel* m_picture;
    QPalette m_captionPalette;
    UpdateCheck* m_check;
    // The picture's bytes outlive the movie that reads them.
    std::unique_ptr<QBuffer> m_pictureBytes;
    std::unique_ptr<QMovie> m_movie;
    bool m_noticePending = false;
};

} // namespace vamo
