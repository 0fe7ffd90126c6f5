// Writes a dictionary of the Linux build's traditional/simplified conversion (an .ocd2 file) as
// text, one "key<TAB>value" line per entry with the value a conversion uses. The Windows build,
// which converts with dictionaries of its own reading, is given these texts.
//   shopkeeper-dump-dictionary INPUT.ocd2 OUTPUT.txt
#include <cstdio>
#include <fstream>
#include <iostream>
#include <opencc/DictEntry.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MarisaDict.hpp>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: shopkeeper-dump-dictionary INPUT.ocd2 OUTPUT.txt\n";
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in) {
        std::cerr << "cannot open " << argv[1] << "\n";
        return 1;
    }
    std::string text;
    try {
        const auto dictionary = opencc::MarisaDict::NewFromFile(in);
        for (const auto& entry : *dictionary->GetLexicon())
            text += entry->Key() + "\t" + entry->GetDefault() + "\n";
    } catch (const std::exception& e) {
        std::fclose(in);
        std::cerr << "cannot read " << argv[1] << ": " << e.what() << "\n";
        return 1;
    }
    std::fclose(in);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
