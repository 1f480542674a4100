#include "FieldSplitter.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(FieldSplitter, SplitsLikeTheReadersAlwaysHave)
{
    struct Case {
        const char* name;
        std::string_view line;
        char delimiter;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"blanks", "C  1.5   -2 3", ' ', {"C", "1.5", "-2", "3"}},
        {"blanks and tabs separate whatever the delimiter", "Cl\t1 2 \t 3", '\t', {"Cl", "1", "2", "3"}},
        {"leading and trailing blanks", "  H 0 0 0  ", ' ', {"H", "0", "0", "0"}},
        {"line of blanks has no fields", " \t ", ' ', {}},
        {"empty line", "", ' ', {}},
        {"two delimiters enclose an empty field", "a,,b", ',', {"a", "", "b"}},
        {"blanks around a delimiter", "a , b", ',', {"a", "b"}},
        {"delimiter at the end adds one empty field", "a,b,", ',', {"a", "b", ""}},
        {"delimiter followed by blanks at the end adds nothing", "a,b, ", ',', {"a", "b"}},
        {"a digit as delimiter cuts numbers", "C\t0.5\t1.05\t-0.3", '0', {"C", ".5", "1.", "5", "-", ".3"}},
        {"quoted field keeps blanks", "\"a b\" c", ' ', {"a b", "c"}},
        {"doubled quote stands for one", "\"say \"\"hi\"\"\",x", ',', {"say \"hi\"", "x"}},
        {"unclosed quote runs to the end", "\"open end", ' ', {"open end"}},
        {"text right after a closing quote is a new field", "\"ab\"cd", ' ', {"ab", "cd"}},
        {"a NUL counts as a blank", std::string_view("a\0b", 3), ' ', {"a", "b"}},
    };
    FieldSplitter splitter;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(splitter.Split(c.line, c.delimiter), c.fields);
        EXPECT_EQ(splitter.Count(), c.fields.size());
        // Keeping only the first fields splits the same and still counts them all.
        for (const std::size_t keep : {0u, 1u, 3u}) {
            const std::vector<std::string> first(c.fields.begin(),
                                                 c.fields.begin() + std::ptrdiff_t(std::min(keep, c.fields.size())));
            EXPECT_EQ(splitter.Split(c.line, c.delimiter, keep), first) << keep;
            EXPECT_EQ(splitter.Count(), c.fields.size()) << keep;
        }
    }
}

}  // namespace
