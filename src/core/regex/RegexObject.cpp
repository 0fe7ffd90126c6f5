#include "core/regex/RegexObject.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace shopkeeper::regex {

namespace {

const PCRE2_UCHAR* units(std::string_view s)
{
    return reinterpret_cast<const PCRE2_UCHAR*>(s.data());
}

struct MatchDataDeleter
{
    void operator()(pcre2_match_data* m) const { pcre2_match_data_free(m); }
};

} // namespace

bool RegexObject::create(std::string_view pattern, std::string_view subject, Options options)
{
    code_.reset();
    matches_.clear();
    options_ = options;
    pattern_ = std::string(pattern);
    subject_ = std::string(subject);

    if (options.quotePlaceholder) {
        static constexpr std::string_view placeholder = "#引号";
        for (auto at = pattern_.find(placeholder); at != std::string::npos;
             at = pattern_.find(placeholder, at + 1))
            pattern_.replace(at, placeholder.size(), "\"");
    }

    // Invalid UTF-8 in a subject is matched around rather than refused: script files keep
    // whatever bytes they were read with.
    uint32_t flags = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
    if (!options.caseSensitive)
        flags |= PCRE2_CASELESS;
    if (options.multiLine)
        flags |= PCRE2_MULTILINE;
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* code =
        pcre2_compile(units(pattern_), pattern_.size(), flags, &errorCode, &errorOffset, nullptr);
    if (!code)
        return false;
    code_ = std::shared_ptr<void>(code, [](void* c) { pcre2_code_free(static_cast<pcre2_code*>(c)); });

    std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(code, nullptr));
    PCRE2_SIZE offset = 0;
    uint32_t matchFlags = 0;
    while (offset <= subject_.size()) {
        const int rc =
            pcre2_match(code, units(subject_), subject_.size(), offset, matchFlags, data.get(), nullptr);
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (matchFlags == 0)
                break;
            // After an empty match, retry one character further on.
            matchFlags = 0;
            offset += 1;
            while (offset < subject_.size() && (static_cast<unsigned char>(subject_[offset]) & 0xC0) == 0x80)
                ++offset;
            continue;
        }
        if (rc < 0)
            return false;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        uint32_t groupCount = 0;
        pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groupCount);
        Match match;
        match.whole = {ovector[0], ovector[1], true};
        for (uint32_t g = 1; g <= groupCount; ++g) {
            Span span;
            if (g < static_cast<uint32_t>(rc) && ovector[2 * g] != PCRE2_UNSET)
                span = {ovector[2 * g], ovector[2 * g + 1], true};
            match.groups.push_back(span);
        }
        matches_.push_back(match);
        if (!options.global)
            break;
        offset = ovector[1];
        matchFlags = ovector[0] == ovector[1] ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0;
    }
    return true;
}

std::string RegexObject::replace(std::string_view replacement) const
{
    if (!code_)
        return {};
    auto* code = static_cast<pcre2_code*>(code_.get());
    uint32_t flags = PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;
    if (options_.global)
        flags |= PCRE2_SUBSTITUTE_GLOBAL;
    std::string out(subject_.size() + 64, '\0');
    PCRE2_SIZE length = out.size();
    int rc = pcre2_substitute(code, units(subject_), subject_.size(), 0, flags, nullptr, nullptr,
                              units(replacement), replacement.size(),
                              reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
    if (rc == PCRE2_ERROR_NOMEMORY) {
        out.assign(length, '\0');
        rc = pcre2_substitute(code, units(subject_), subject_.size(), 0, flags, nullptr, nullptr,
                              units(replacement), replacement.size(),
                              reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
    }
    if (rc < 0)
        return subject_;
    out.resize(length);
    return out;
}

std::string RegexObject::matchText(int i, long long* position) const
{
    if (i < 1 || i > matchCount())
        return {};
    const Span& span = matches_[static_cast<std::size_t>(i - 1)].whole;
    if (position)
        *position = static_cast<long long>(span.begin);
    return subject_.substr(span.begin, span.end - span.begin);
}

std::string RegexObject::subMatchText(int i, int j, long long* position) const
{
    if (i < 1 || i > matchCount())
        return {};
    const auto& groups = matches_[static_cast<std::size_t>(i - 1)].groups;
    if (j < 1 || j > static_cast<int>(groups.size()))
        return {};
    const Span& span = groups[static_cast<std::size_t>(j - 1)];
    if (!span.set)
        return {};
    if (position)
        *position = static_cast<long long>(span.begin);
    return subject_.substr(span.begin, span.end - span.begin);
}

int RegexObject::subMatchCount() const
{
    return matches_.empty() ? 0 : static_cast<int>(matches_.front().groups.size());
}

} // namespace shopkeeper::regex
