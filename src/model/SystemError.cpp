// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/SystemError.h"

#include <QDir>

#include <filesystem>

namespace vamo {

QString systemReason(std::error_code error)
{
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted)
        return QStringLiteral("没有权限");
    if (error == std::errc::filename_too_long)
        return QStringLiteral("名称过长");
    if (error == std::errc::read_only_file_system)
        return QStringLiteral("只读的磁盘");
    if (error == std::errc::no_space_on_device)
        return QStringLiteral("磁盘空间不足");
    if (error == std::errc::file_too_large)
        return QStringLiteral("文件过大");
    if (error == std::errc::file_exists || error == std::errc::not_a_directory)
        return QStringLiteral("已有同名的文件");
    if (error == std::errc::no_such_file_or_directory)
        return QStringLiteral("路径不存在");
    if (error == std::errc::invalid_argument)
        return QStringLiteral("名称无效");
    return QStringLiteral("系统错误：") + QString::fromLocal8Bit(error.message());
}

QString cannotWriteFile(const QString& path, std::error_code error)
{
    QString message = QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(path);
    if (error)
        message += QStringLiteral("（") + systemReason(error) + QStringLiteral("）");
    return message;
}

Result<void> makeFolders(const QString& path)
{
    std::error_code error;
    const std::filesystem::path folder(QDir::toNativeSeparators(path).toStdU16String());
    std::filesystem::create_directories(folder, error);
    if (error)
        return fail(systemReason(error));
    if (!std::filesystem::is_directory(folder, error))
        return fail(systemReason(error ? error : std::make_error_code(std::errc::not_a_directory)));
    return {};
}

} // namespace vamo
