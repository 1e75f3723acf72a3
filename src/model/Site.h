// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Version.h"

#include <QString>

// The maker's web presence and the texts derived from it.
namespace vamo::site {

[[nodiscard]] inline QString hostName() { return QStringLiteral("www.vamobook.cn"); }
[[nodiscard]] inline QString homePage() { return QStringLiteral("http://www.vamobook.cn/"); }
// The host that serves the update-information file and the banner picture.
[[nodiscard]] inline QString fileHostName() { return QStringLiteral("down.vamobook.cn"); }

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
// The banner line's caption until the update check replaces it.
[[nodiscard]] inline QString bannerCaption()
{
    return QStringLiteral("【官网") + hostName() + QStringLiteral(" QQ群") + chatGroupNumber() + QStringLiteral("】");
}

[[nodiscard]] inline QString defaultMessage() { return QStringLiteral("手机看小说就上") + hostName(); }
[[nodiscard]] inline QString defaultMaker() { return QStringLiteral("Vamo"); }

} // namespace vamo::site
