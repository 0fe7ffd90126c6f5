#pragma once

#include <string>
#include <string_view>

// The traditional/simplified conversion of page names. The Linux build converts with OpenCC's
// configurations t2s and s2t (OpenccConversion.cpp); the Windows build, which has no OpenCC,
// with DictionaryConverter over the same dictionaries, built into the program
// (EmbeddedConversion.cpp.in). Both give the same text.
namespace shopkeeper::text::chinese {

class Converter
{
public:
    virtual ~Converter() = default;
    // Text is valid UTF-8 without NUL bytes. Safe from any thread.
    virtual std::string convert(std::string_view text) = 0;
};

// Each made on first use; std::runtime_error when its dictionaries are missing.
Converter& traditionalToSimplified();
Converter& simplifiedToTraditional();

} // namespace shopkeeper::text::chinese
