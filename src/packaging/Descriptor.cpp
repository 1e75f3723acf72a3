// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/Descriptor.h"

#include "model/Site.h"
#include "model/SystemError.h"
#include "text/Cp936.h"

#include <QDir>
#include <QFile>

namespace vamo {

QString composeManifest(const QString& bookName)
{
    const QString name = bookName.trimmed();
    const QString crLf = QStringLiteral("\r\n");
    QString manifesttext;
    manifesttext += QStringLiteral("Manifest-Version: 1.0") + crLf;
    manifesttext += QStringLiteral("MicroEdition-Configuration: CLDC-1.0") + crLf;
    manifesttext += QStringLiteral("MIDlet-Name: ") + name + crLf;
    manifesttext += QStringLiteral("Created-By: 1.5.0-beta (Sun Microsystems Inc.)") + crLf;
    manifesttext += QStringLiteral("MIDlet-Vendor: ") + site::vendorName() + crLf;
    manifesttext += QStringLiteral("MIDlet-1: ") + name + QStringLiteral(",/icon.png,demo") + crLf;
    manifesttext += QStringLiteral("MIDlet-Version: 1.0.0") + crLf;
    manifesttext += QStringLiteral("MicroEdition-Profile: MIDP-1.0") + crLf;
    return manifesttext;
}

QString jadLines(qint64 jarSize, const QString& jarFileName)
{
    return QStringLiteral("MIDlet-Jar-Size: ") + QString::number(jarSize) + QStringLiteral("\r\n") +
           QStringLiteral("MIDlet-Jar-URL: ") + jarFileName + QStringLiteral("\r\n");
}

QByteArray encodeDescriptorText(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 3);
    for (QChar ch : text) {
        const char16_t unit = ch.unicode();
        if (unit >= 0x01 && unit <= 0x7F) { // the code page's ASCII half is ASCII
            out.append(static_cast<char>(unit));
            continue;
        }
        const quint16 code = cp936::code(unit);
        if (code >= 1 && code <= 0xFF) {
            out.append(static_cast<char>(code));
        } else {
            // Double-byte characters and U+0000: the code unit in three bytes.
            out.append(static_cast<char>(0xE0 | (unit >> 12)));
            out.append(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
            out.append(static_cast<char>(0x80 | (unit & 0x3F)));
        }
    }
    return out;
}

QByteArray savetoutf8(const QString& manifesttext) { return encodeDescriptorText(manifesttext); }

Result<void> savetoutf9(const QString& manifesttext, QFileDevice& out)
{
    const QByteArray bytes = encodeDescriptorText(manifesttext);
    clearSystemError();
    if (out.write(bytes) != bytes.size() || !out.flush())
        return fail(cannotWriteFile(out.fileName(),
                                    out.error() != QFileDevice::NoError ? lastSystemError() : std::error_code()));
    return {};
}

Result<void> savetoutf9(const QString& manifesttext, const QString& url)
{
    QFile file(url + QStringLiteral(".jad"));
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    auto written = opened ? savetoutf9(manifesttext, file) : Result<void>();
    file.close();
    if (!opened || !written || file.error() != QFileDevice::NoError) {
        file.remove();
        return fail(QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(file.fileName()));
    }
    return {};
}

} // namespace vamo
