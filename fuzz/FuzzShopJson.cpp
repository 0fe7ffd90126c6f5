// The command-line tool's JSON input: a shop edit and a page list, applied and written back.
#include "FuzzInput.h"
#include "cli/ShopJson.h"

using namespace shopkeeper;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(fuzz::asText(data, size));
    if (auto edit = cli::shopEditFromJson(input)) {
        shop::ShopDocument document;
        cli::applyShopEdit(*edit, document);
        (void)cli::shopToJson(document).dump();
    }
    if (auto pages = cli::pagesFromJson(input))
        (void)cli::pagesToJson(*pages).dump();
    return 0;
}
