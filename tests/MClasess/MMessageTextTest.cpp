#include "MMessageText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MessageText, ControlCharactersAndBytesThatAreNotUtf8AreEscaped)
{
    struct Case {
        const char* name;
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"plain text stays", "C 1.5 -2", "C 1.5 -2"},
        {"letters of other scripts stay", "\xc3\x85l \xe6\xb0\xb4 \xf0\x9f\x98\x80",
         "\xc3\x85l \xe6\xb0\xb4 \xf0\x9f\x98\x80"},
        {"a title and a clear-screen sequence", "\x1b]0;title\x07\x1b[2J", "\\x1b]0;title\\x07\\x1b[2J"},
        {"tab, CR, LF, NUL and DEL", std::string("\t\r\n\0\x7f", 5), "\\x09\\x0d\\x0a\\x00\\x7f"},
        {"bytes that are not UTF-8", "a\xff\xc3(\xed\xa0\x80", "a\\xff\\xc3(\\xed\\xa0\\x80"},
        {"a sequence cut short at the end", "x\xe2\x82", "x\\xe2\\x82"},
        {"C1 controls such as the one-byte CSI",
         "\xc2\x9b"
         "2J\xc2\x85",
         "\\u009b2J\\u0085"},
        {"characters that reorder the line",
         "a\xe2\x80\xae"
         "b\xe2\x81\xa6"
         "c\xe2\x80\xa8",
         "a\\u202eb\\u2066c\\u2028"},
        {"a backslash is escaped so escapes stay unambiguous", "\\x1b", "\\\\x1b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EscapedForMessage(c.text), c.shown);
        EXPECT_EQ(MessageExcerpt(c.text), c.shown);
    }
}

TEST(MessageText, ExcerptKeepsTheFirst80CharactersNotBytes)
{
    const std::string eighty(80, '7');
    EXPECT_EQ(MessageExcerpt(eighty), eighty);
    EXPECT_EQ(MessageExcerpt(eighty + "8"), eighty + "...");
    EXPECT_EQ(MessageExcerpt(std::string(1 << 20, '1') + "x"), std::string(80, '1') + "...");

    // Two-byte letters: 80 of them are 160 bytes, and the cut never splits one.
    std::string letters;
    for (int i = 0; i < 81; ++i)
        letters += "\xc3\x85";
    EXPECT_EQ(MessageExcerpt(letters), letters.substr(0, 160) + "...");
    // An escape stands for one character, however long it is written.
    const std::string escapes(81, '\x1b');
    std::string shown;
    for (int i = 0; i < 80; ++i)
        shown += "\\x1b";
    EXPECT_EQ(MessageExcerpt(escapes), shown + "...");
    // File names are shown whole.
    EXPECT_EQ(EscapedForMessage(std::string(300, 'n')), std::string(300, 'n'));
}

}  // namespace
