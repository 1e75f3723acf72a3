// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

#include <utility>

namespace vamo::runningBuilds {

// A file Qt took over by its descriptor keeps the name it was opened by, for
// the messages that name it.
class NamedFile final : public QFile {
public:
    explicit NamedFile(QString path) : m_path(std::move(path)) {}
    [[nodiscard]] QString fileName() const override { return m_path; }

private:
    QString m_path;
};

} // namespace vamo::runningBuilds
