#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::regex {

// One pattern run once over one subject, then questions about that run. The engine is PCRE2
// in UTF-8 mode; positions are byte offsets into the subject. Defaults: case-insensitive,
// multi-line, global.
class RegexObject
{
public:
    struct Options
    {
        bool caseSensitive = false;
        bool multiLine = true;
        bool global = true;
        // Replace every "#引号" in the pattern by a double quote before compiling.
        bool quotePlaceholder = false;
    };

    RegexObject() = default;

    // Compiles pattern and runs it over subject. False when the pattern is refused; whether
    // anything matched is told by matchCount().
    bool create(std::string_view pattern, std::string_view subject, Options options);
    bool create(std::string_view pattern, std::string_view subject)
    {
        return create(pattern, subject, Options{});
    }

    std::string pattern() const { return code_ ? pattern_ : std::string(); }
    // The subject with the matches replaced (every match when global, else the first);
    // "$1" and "${name}" refer to groups, "$$" is a dollar sign. Empty without a compiled pattern.
    std::string replace(std::string_view replacement) const;

    int matchCount() const { return static_cast<int>(matches_.size()); }
    // Text of match i (1-based); empty when i is out of range. position receives the match's
    // 0-based byte offset in the subject when given.
    std::string matchText(int i, long long* position = nullptr) const;
    // Text of group j (1-based) of match i; empty for an out-of-range index or a group that
    // took no part. position as for matchText.
    std::string subMatchText(int i, int j, long long* position = nullptr) const;
    // Number of capture groups, read from the first match; 0 when nothing matched.
    int subMatchCount() const;

private:
    struct Span
    {
        std::size_t begin = 0;
        std::size_t end = 0;
        bool set = false;
    };
    struct Match
    {
        Span whole;
        std::vector<Span> groups;
    };

    std::shared_ptr<void> code_; // the compiled pcre2_code
    std::string pattern_;
    std::string subject_;
    Options options_;
    std::vector<Match> matches_;
};

} // namespace shopkeeper::regex
