// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

namespace vamo {

// The local clock, behind an interface so tests can fix the time.
class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    [[nodiscard]] QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that always shows the time it was given.
class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime t) : m_time(std::move(t)) {}
    [[nodiscard]] QDateTime now() const override { return m_time; }
    void set(QDateTime t) { m_time = std::move(t); }

private:
    QDateTime m_time;
};

} // namespace vamo
