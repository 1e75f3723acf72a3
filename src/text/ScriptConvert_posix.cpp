// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ScriptConvert.h"

#include <opencc.h>

#include <memory>
#include <mutex>

namespace vamo {

namespace {

// OpenCC reports a failed open by this value, not by null.
bool opened(opencc_t c) { return c != nullptr && c != reinterpret_cast<opencc_t>(-1); }

// The t2s converter of the OpenCC library, opened once from OpenCC's own
// data folder.
class Converter {
public:
    Converter()
    {
        m_handle = opencc_open(OPENCC_DEFAULT_CONFIG_TRAD_TO_SIMP);
        if (!opened(m_handle))
            m_error = QString::fromUtf8(opencc_error());
    }
    ~Converter()
    {
        if (opened(m_handle))
            opencc_close(m_handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    Result<QString> convert(QStringView text)
    {
        if (!opened(m_handle))
            return fail(QStringLiteral("无法转换为简体：") + m_error);
        const QByteArray utf8 = text.toUtf8();
        const std::lock_guard lock(m_mutex);
        const std::unique_ptr<char, void (*)(char*)> out(
            opencc_convert_utf8(m_handle, utf8.constData(), static_cast<size_t>(utf8.size())),
            opencc_convert_utf8_free);
        if (!out)
            return fail(QStringLiteral("无法转换为简体：") + QString::fromUtf8(opencc_error()));
        return QString::fromUtf8(out.get());
    }

private:
    opencc_t m_handle = nullptr;
    QString m_error;
    std::mutex m_mutex;
};

} // namespace

Result<QString> toSimplified(QStringView text)
{
    if (text.isEmpty())
        return QString();
    static Converter converter;
    return converter.convert(text);
}

} // namespace vamo
