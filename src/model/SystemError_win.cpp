// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/SystemError.h"

#include <windows.h>

namespace vamo {

std::error_code lastSystemError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

void clearSystemError() { SetLastError(0); }

} // namespace vamo
