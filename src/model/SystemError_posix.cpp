// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/SystemError.h"

#include <cerrno>

namespace vamo {

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

void clearSystemError() { errno = 0; }

} // namespace vamo
