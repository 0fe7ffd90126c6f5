#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace shopkeeper::test {

// A folder under the system's temporary folder, removed with everything in it at the end.
class TempDir
{
public:
    TempDir() : TempDir("shopkeeper-test-") {}
    // A folder whose name starts with prefix (UTF-8), such as Chinese characters and spaces.
    explicit TempDir(std::string_view prefix)
    {
        std::random_device rd;
        const std::string name = std::string(prefix) + std::to_string(rd()) + std::to_string(rd());
        path_ = std::filesystem::temp_directory_path() / std::u8string(name.begin(), name.end());
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ec;
        // Read-only files made by a test must not keep the folder alive.
        for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }

private:
    std::filesystem::path path_;
};

inline void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Saves keep a history in the user's data folder: a test program, and every program it starts,
// keeps it in a temporary folder of its own instead, removed when the test program ends.
inline const std::filesystem::path& privateDataHome()
{
    static const TempDir home;
    return home.path();
}
inline const bool kPrivateDataHome = [] {
#ifdef _WIN32
    _wputenv_s(L"LOCALAPPDATA", privateDataHome().c_str());
#else
    ::setenv("XDG_DATA_HOME", privateDataHome().c_str(), 1);
#endif
    return true;
}();

} // namespace shopkeeper::test
