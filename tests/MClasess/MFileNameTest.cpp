#include "MFileName.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FileName, EveryByteStringComesBackExactly)
{
    const std::string names[] = {
        "plain.xyz",
        "\xc3\xa9t\xc3\xa9 \xe6\xb0\xb4 \xf0\x9f\x98\x80.png",  // UTF-8, a four-byte character too
        "bad\xff.xyz",
        "o\x80\xfe.png",
        "cut\xe2\x82",       // a sequence cut short
        "\xed\xa0\x80.gif",  // a surrogate written in UTF-8 is no UTF-8
        "\xc0\xaf",          // an overlong '/'
        std::string("\x01\x1b\x7f", 3),
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(FileNameToBytes(FileNameFromBytes(name)), name);
    }
}

TEST(FileName, ValidUtf8DecodesAsQtDecodesItAndOtherBytesAsStandIns)
{
    EXPECT_EQ(FileNameFromBytes("\xc3\xa9t\xc3\xa9"), QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
    const QString stood = FileNameFromBytes("a\xff");
    ASSERT_EQ(stood.size(), 2);
    EXPECT_EQ(stood[1].unicode(), 0xDCFF);
    // Any other string is UTF-8; a lone surrogate that stands for no byte becomes U+FFFD.
    EXPECT_EQ(FileNameToBytes(QString::fromUtf8("\xc3\xa9")), "\xc3\xa9");
    EXPECT_EQ(FileNameToBytes(QString(QChar(0xD800))), "\xef\xbf\xbd");
}

TEST(FileName, ArgumentsKeepTheirBytes)
{
    const char* const argv[] = {"pelmora", "--export", "o\xff.png", "bad\xfe.xyz"};
    const QStringList arguments = ArgumentsFromBytes(4, argv);
    ASSERT_EQ(arguments.size(), 4);
    EXPECT_EQ(arguments[1], "--export");
    EXPECT_EQ(FileNameToBytes(arguments[2]), "o\xff.png");
    EXPECT_EQ(FileNameToBytes(arguments[3]), "bad\xfe.xyz");
}

}  // namespace
