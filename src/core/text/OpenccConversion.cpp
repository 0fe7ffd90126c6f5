#include "core/text/ChineseConversion.h"

#include <mutex>
#include <opencc/opencc.h>
#include <stdexcept>

namespace shopkeeper::text::chinese {

namespace {

class OpenccConverter : public Converter
{
public:
    explicit OpenccConverter(const char* config)
    {
        handle_ = opencc_open(config);
        if (handle_ == reinterpret_cast<opencc_t>(-1)) {
            const std::string fallback = std::string("/usr/share/opencc/") + config;
            handle_ = opencc_open(fallback.c_str());
        }
        if (handle_ == reinterpret_cast<opencc_t>(-1))
            throw std::runtime_error(std::string("OpenCC configuration not found: ") + config);
    }
    ~OpenccConverter() override { opencc_close(handle_); }
    OpenccConverter(const OpenccConverter&) = delete;
    OpenccConverter& operator=(const OpenccConverter&) = delete;

    std::string convert(std::string_view text) override
    {
        std::lock_guard lock(mutex_);
        char* converted = opencc_convert_utf8(handle_, text.data(), text.size());
        if (!converted)
            return std::string(text);
        std::string out(converted);
        opencc_convert_utf8_free(converted);
        return out;
    }

private:
    opencc_t handle_;
    std::mutex mutex_;
};

} // namespace

Converter& traditionalToSimplified()
{
    static OpenccConverter converter("t2s.json");
    return converter;
}

Converter& simplifiedToTraditional()
{
    static OpenccConverter converter("s2t.json");
    return converter;
}

} // namespace shopkeeper::text::chinese
