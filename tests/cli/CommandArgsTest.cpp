// The one reading of a command's arguments that every command of shopkeeper-cli shares.
#include "cli/Command.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace shopkeeper::cli;

namespace {

using Strings = std::vector<std::string>;

const Syntax kFreeText{.minPositional = 1, .maxPositional = 1, .otherDashesArePositional = true};
const Syntax kFlags{.minPositional = 2, .flags = {"--json"}};
const Syntax kOnceOption{.minPositional = 1,
                         .flags = {"--json"},
                         .options = {"--workspace"},
                         .optionsOnce = true,
                         .otherDashesArePositional = true};
const Syntax kLeading{
    .minPositional = 1, .maxPositional = 1, .options = {"--shops"}, .leadingPositionals = 1};

} // namespace

TEST(CommandArgs, PositionalsFlagsAndOptionsAsEachSyntaxReadsThem)
{
    const struct
    {
        const Syntax& syntax;
        Strings args;
        std::optional<Strings> positional; // nothing: a usage error
        Strings workspace = {};
    } cases[] = {
        {kFreeText, {"--x"}, Strings{"--x"}},
        {kFreeText, {}, std::nullopt},
        {kFreeText, {"a", "b"}, std::nullopt},
        {kFlags, {"ws", "--json", "7", "-1", "--json"}, Strings{"ws", "7", "-1"}},
        {kFlags, {"ws", "7", "--x"}, std::nullopt},
        {kFlags, {"ws"}, std::nullopt},
        {kOnceOption, {"--workspace", "--json", "7"}, Strings{"7"}, {"--json"}},
        {kOnceOption, {"--x", "7"}, Strings{"--x", "7"}},
        {kOnceOption, {"7", "--workspace"}, std::nullopt},
        {kOnceOption, {"--workspace", "a", "--workspace", "b", "7"}, std::nullopt},
        {kLeading, {"--shops"}, Strings{"--shops"}},
        {kLeading, {"d", "--shops", "3", "--shops", "2"}, Strings{"d"}},
        {kLeading, {"d", "--shops"}, std::nullopt},
        {kLeading, {"d", "3"}, std::nullopt},
        {kLeading, {"d", "--seed", "3"}, std::nullopt},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& arg : c.args)
            line += arg + ' ';
        const auto parsed = parseArgs(c.syntax, c.args);
        ASSERT_EQ(parsed.has_value(), c.positional.has_value()) << line;
        if (!parsed)
            continue;
        EXPECT_EQ(parsed->positional, *c.positional) << line;
        EXPECT_EQ(parsed->values("--workspace"), c.workspace) << line;
    }
    const auto flagged = parseArgs(kFlags, {"ws", "7", "--json"});
    ASSERT_TRUE(flagged);
    EXPECT_TRUE(flagged->json());
    const auto valueOnly = parseArgs(kOnceOption, {"--workspace", "--json", "7"});
    ASSERT_TRUE(valueOnly);
    EXPECT_FALSE(valueOnly->json()) << "an option's value is never a flag";
    EXPECT_EQ(parseArgs(kLeading, {"d", "--shops", "3", "--shops", "2"})->values("--shops"),
              Strings({"3", "2"}));
}

TEST(CommandArgs, WrongArgumentsAndAValueTheActionRefusesPrintTheUsageLineOnce)
{
    const Command command("try", "try WORKSPACE", "a test", kFlags, [](const Args& args, Streams io) {
        if (args.positional[1] == "bad")
            return int(kUsage);
        io.out << "ran\n";
        return int(kProblemsFound);
    });
    for (const auto& [args, code, out] :
         {std::tuple{Strings{"ws"}, kUsage, ""}, std::tuple{Strings{"ws", "bad"}, kUsage, ""},
          std::tuple{Strings{"ws", "7"}, kProblemsFound, "ran\n"}}) {
        std::istringstream in;
        std::ostringstream outText, errText;
        EXPECT_EQ(command.run(args, Streams{in, outText, errText}), code);
        EXPECT_EQ(outText.str(), out);
        EXPECT_EQ(errText.str(), code == kUsage ? "usage: shopkeeper-cli try WORKSPACE\n" : "");
    }
}
