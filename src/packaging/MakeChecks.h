#pragma once

#include "model/BookProject.h"
#include "model/Error.h"

namespace vamo {

// The make command's checks, in their order; the first failure is returned
// and, where the rules say so, the offending field is emptied.
Result<void> checkMake(BookProject& book);

} // namespace vamo
