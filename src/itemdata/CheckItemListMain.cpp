// Checks the game's own item list before the build compiles it in:
//   CheckItemListMain NAMES IDS
// prints what is wrong and exits 1, or exits 0 when both files have the format: GBK text,
// entries separated by CR LF with none after the last, no empty entry, no lone CR or LF, the
// same number of entries in both, and every ID a decimal number without sign or leading zeros.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool read(const char* path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The entries, or an empty list and a reason.
std::vector<std::string> entries(const std::string& bytes, const char* path, std::string& problem)
{
    std::vector<std::string> out;
    if (bytes.empty()) {
        problem = std::string(path) + ": the file is empty";
        return {};
    }
    if (bytes.find('\0') != std::string::npos) {
        problem = std::string(path) + ": the file holds a NUL byte";
        return {};
    }
    std::size_t start = 0;
    while (true) {
        const auto end = bytes.find("\r\n", start);
        const std::string entry =
            bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const auto stray = entry.find_first_of("\r\n");
        if (stray != std::string::npos) {
            problem = std::string(path) + ": entry " + std::to_string(out.size() + 1) + " holds a lone " +
                      (entry[stray] == '\r' ? "CR" : "LF") + " (entries are separated by CR LF)";
            return {};
        }
        if (entry.empty()) {
            problem =
                std::string(path) + ": entry " + std::to_string(out.size() + 1) +
                (end == std::string::npos ? " is empty (no CR LF may follow the last entry)" : " is empty");
            return {};
        }
        out.push_back(entry);
        if (end == std::string::npos)
            return out;
        start = end + 2;
    }
}

bool isId(const std::string& id)
{
    if (id.empty() || (id.size() > 1 && id[0] == '0'))
        return false;
    for (char c : id) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cout << "usage: CheckItemListMain NAMES IDS\n";
        return 1;
    }
    std::string names, ids, problem;
    if (!read(argv[1], names) || !read(argv[2], ids)) {
        std::cout << "cannot read " << (names.empty() ? argv[1] : argv[2]) << "\n";
        return 1;
    }
    const auto nameEntries = entries(names, argv[1], problem);
    const auto idEntries = problem.empty() ? entries(ids, argv[2], problem) : std::vector<std::string>{};
    if (!problem.empty()) {
        std::cout << problem << "\n";
        return 1;
    }
    if (nameEntries.size() != idEntries.size()) {
        std::cout << "the lists are not parallel: " << nameEntries.size() << " names but " << idEntries.size()
                  << " IDs\n";
        return 1;
    }
    for (std::size_t i = 0; i < idEntries.size(); ++i) {
        if (!isId(idEntries[i])) {
            std::cout << argv[2] << ": entry " << i + 1 << " (\"" << idEntries[i]
                      << "\") is not a decimal ID without sign or leading zeros\n";
            return 1;
        }
    }
    std::cout << nameEntries.size() << " items\n";
    return 0;
}
