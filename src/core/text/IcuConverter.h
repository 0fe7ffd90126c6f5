#pragma once

#include <unicode/ucnv.h>

namespace shopkeeper::text {

// The calling thread's own ICU converter of that name (converters keep state, so threads never
// share one), opened on first use. Throws when ICU does not know the name.
UConverter* threadConverter(const char* name);

} // namespace shopkeeper::text
