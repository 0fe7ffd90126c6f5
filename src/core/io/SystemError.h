#pragma once

#include <string>
#include <system_error>

namespace shopkeeper::io {

// Why a call to the system failed, as the messages around it say it: the common reasons in
// Chinese (no such file, no permission, not a folder, a folder, disk full, read-only file system,
// busy), the system's own text for the rest, which are too many and too rare to translate.
std::string systemErrorText(const std::error_code& error);
// The same for an errno value.
std::string systemErrorText(int errnoValue);

} // namespace shopkeeper::io
