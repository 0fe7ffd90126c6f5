#include "core/text/IcuConverter.h"

#include "core/text/PerThread.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace shopkeeper::text {

namespace {

struct ConverterCloser
{
    void operator()(UConverter* c) const { ucnv_close(c); }
};

} // namespace

UConverter* threadConverter(const char* name)
{
    struct Converters;
    auto& converters =
        perThread<std::map<std::string, std::unique_ptr<UConverter, ConverterCloser>>, Converters>();
    auto& converter = converters[name];
    if (!converter) {
        UErrorCode status = U_ZERO_ERROR;
        converter.reset(ucnv_open(name, &status));
        if (U_FAILURE(status))
            throw std::runtime_error(std::string("ICU has no converter ") + name);
    }
    return converter.get();
}

} // namespace shopkeeper::text
