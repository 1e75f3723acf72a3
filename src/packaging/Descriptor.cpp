// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/Descriptor.h"

#include "model/Site.h"
#include "model/SystemError.h"
#include "text/Cp936.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace vamo {

QString composeManifest(const QString& bookName)
{
    const QString name = bookName.trimmed();
    const QString crLf = u"\r\n"_s;
    QString manifesttext;
    manifesttext += u"Manifest-Version: 1.0"_s + crLf;
    manifesttext += u"MicroEdition-Configuration: CLDC-1.0"_s + crLf;
    manifesttext += u"MIDlet-Name: "_s + name + crLf;
    manifesttext += u"Created-By: 1.5.0-beta (Sun Microsystems Inc.)"_s + crLf;
    manifesttext += u"MIDlet-Vendor: "_s + site::vendorName() + crLf;
    manifesttext += u"MIDlet-1: "_s + name + u",/icon.png,demo"_s + crLf;
    manifesttext += u"MIDlet-Version: 1.0.0"_s + crLf;
    manifesttext += u"MicroEdition-Profile: MIDP-1.0"_s + crLf;
    return manifesttext;
}

QString jadLines(qint64 jarSize, const QString& jarFileName)
{
    return u"MIDlet-Jar-Size: "_s + QString::number(jarSize) + u"\r\n"_s + u"MIDlet-Jar-URL: "_s + jarFileName +
           u"\r\n"_s;
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
    QFile file(url + u".jad"_s);
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    auto written = opened ? savetoutf9(manifesttext, file) : Result<void>();
    file.close();
    if (!opened || !written || file.error() != QFileDevice::NoError) {
        file.remove();
        return fail(u"无法写入文件："_s + QDir::toNativeSeparators(file.fileName()));
    }
    return {};
}

} // namespace vamo
