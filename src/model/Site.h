#pragma once

#include <QString>

// The maker's web presence and the texts derived from it.
namespace vamo::site {

inline QString hostName() { return QStringLiteral("www.vamobook.cn"); }
inline QString homePage() { return QStringLiteral("http://www.vamobook.cn/"); }

// Title of every message box except the new-version notice.
inline QString messageTitle() { return QStringLiteral("Vamo") + hostName(); }

inline QString windowTitle() { return QStringLiteral("Vamo手机电子书制作工具V2.0"); }

// Vendor written into every manifest and descriptor.
inline QString vendorName() { return hostName(); }

inline QString defaultMessage() { return QStringLiteral("手机看小说就上") + hostName(); }
inline QString defaultMaker() { return QStringLiteral("Vamo"); }

} // namespace vamo::site
