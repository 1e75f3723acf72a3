// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <expected>
#include <utility>

namespace vamo {

// A failure in the system's own words, ready to be shown to the user.
struct Error {
    QString message;
};

template <class T>
using Result = std::expected<T, Error>;

[[nodiscard]] inline std::unexpected<Error> fail(QString message) { return std::unexpected(Error{std::move(message)}); }

// The error of a failed result, passed on by a function whose own result
// holds another value: `if (!read) return failure(read);`.
template <class T>
[[nodiscard]] std::unexpected<Error> failure(const Result<T>& failed)
{
    return std::unexpected(failed.error());
}

} // namespace vamo
