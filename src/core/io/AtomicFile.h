#pragma once

#include "Result.h"

#include <filesystem>
#include <string_view>

namespace shopkeeper::io {

// Writes whole files. The save path goes through this interface so that tests can make a
// write fail (a full disk, say) at a chosen moment.
class FileWriter
{
public:
    virtual ~FileWriter() = default;
    virtual Status write(const std::filesystem::path& path, std::string_view bytes) = 0;
};

// Replaces a file atomically: the bytes go to a temporary file in the same folder, which is
// flushed and then renamed over the target, so a reader sees either the old or the new file.
// A target without write permission is refused, as a read-only file would be on Windows.
class AtomicFileWriter : public FileWriter
{
public:
    Status write(const std::filesystem::path& path, std::string_view bytes) override;
};

} // namespace shopkeeper::io
