// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Version.h"

#include <QString>
#include <QStringView>
#include <QUrl>

// The maker's web presence and the texts derived from it.
namespace vamo::site {

[[nodiscard]] inline QString hostName() { return QStringLiteral("www.vamobook.cn"); }
// An address on the maker's site; `path` begins with "/".
[[nodiscard]] inline QString address(QStringView path)
{
    return QStringLiteral("http://") + hostName() + path.toString();
}
[[nodiscard]] inline QString homePage() { return address(u"/"); }
// The pages the help menu opens besides the home page.
[[nodiscard]] inline QString updatePage() { return address(u"/vamo-java-book"); }
[[nodiscard]] inline QString helpPage() { return address(u"/vamo-java-book-help"); }
// `siteurl` and `marketurl` before the update-information file replaces them.
[[nodiscard]] inline QString defaultSiteUrl() { return hostName(); }
[[nodiscard]] inline QString defaultMarketUrl() { return address(u"/vamo-java-book/"); }

// The host that serves the update-information file and the banner picture.
[[nodiscard]] inline QString fileHostName() { return QStringLiteral("down.vamobook.cn"); }
// Where the update check fetches the update-information file.
[[nodiscard]] inline QUrl updateInfoUrl()
{
    return QUrl(QStringLiteral("http://") + fileHostName() + QStringLiteral("/vamobook/ebook.txt"));
}

// Title of every message box except the new-version notice.
[[nodiscard]] inline QString messageTitle() { return QStringLiteral("Vamo") + hostName(); }

[[nodiscard]] inline QString windowTitle()
{
    return QStringLiteral("Vamo手机电子书制作工具V") + QLatin1StringView(version::shortText);
}

// Vendor written into every manifest and descriptor.
[[nodiscard]] inline QString vendorName() { return hostName(); }

// The maker's chat group, named in the banner line.
[[nodiscard]] inline QString chatGroupNumber() { return QStringLiteral("36815247"); }
// The maker's own chat number, named by the help menu's FAQ entry.
[[nodiscard]] inline QString contactNumber() { return QStringLiteral("1053261874"); }
// The text of the FAQ entry.
[[nodiscard]] inline QString faqText()
{
    return QStringLiteral("QQ群") + chatGroupNumber() + QStringLiteral(",QQ号") + contactNumber();
}
// The notice of a version other than the program's.
[[nodiscard]] inline QString newVersionNotice()
{
    return QStringLiteral("发现新的版本，请到官网") + hostName() + QStringLiteral("进行版本更新！");
}
// The banner line's caption until the update check replaces it.
[[nodiscard]] inline QString bannerCaption()
{
    return QStringLiteral("【官网") + hostName() + QStringLiteral(" QQ群") + chatGroupNumber() + QStringLiteral("】");
}

[[nodiscard]] inline QString defaultMessage() { return QStringLiteral("手机看小说就上") + hostName(); }
[[nodiscard]] inline QString defaultMaker() { return QStringLiteral("Vamo"); }

} // namespace vamo::site
