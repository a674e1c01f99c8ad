#include "platform/CommandLine.h"

#include <gtest/gtest.h>

using platform::SplitCommandLine;

TEST(SplitCommandLine, SplitsLikeACommandLine) {
    const struct {
        std::string text;
        std::vector<std::string> arguments;
    } cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"/install", {"/install"}},
        // The install command line's own shape: doubled blanks make no empty argument.
        {"/install /ID:ab /new  /option:opt /time:42 ", {"/install", "/ID:ab", "/new", "/option:opt", "/time:42"}},
        {" --installmode --option x", {"--installmode", "--option", "x"}},
        {"\"C:/Program Files/a b\" next", {"C:/Program Files/a b", "next"}},
        {"pre\"fix and\"post", {"prefix andpost"}},
        {"\"\" x", {"", "x"}},
        {"a\\b\\\\c", {"a\\b\\\\c"}},           // backslashes not before a quote are literal
        {"\\\"quoted\\\"", {"\"quoted\""}},     // an odd run before a quote gives a literal quote
        {"\"a\\\\\" b", {"a\\", "b"}},          // an even run halves and the quote groups
        {"\"unterminated tail", {"unterminated tail"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.text), c.arguments) << "[" << c.text << "]";
    }
}
