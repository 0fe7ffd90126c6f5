#pragma once

#include "core/Result.h"

#include <filesystem>

namespace shopkeeper::io {

// Puts the written temporary file in target's place in one step: a rename on POSIX; on Windows
// MoveFileExW with MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH, which returns only once
// the move is on the disk. A target another program holds open without delete sharing cannot be
// replaced there: the error says so. On failure both files stay as they were.
Status replaceFile(const std::filesystem::path& temporary, const std::filesystem::path& target);

} // namespace shopkeeper::io
