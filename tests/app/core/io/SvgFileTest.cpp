#include "SvgFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TempDir.h"
#include "TextBuffer.h"

namespace {

// The lines of a small SVG document, as the drawing writes them.
const std::vector<std::string> kDocument = {
    R"~(<?xml version="1.0" encoding="utf-8"?>)~",
    R"~(<svg version="1.1" xmlns="http://www.w3.org/2000/svg" width="3000px" height="3000px">)~",
    "<ellipse id=\"\xC3\x9C\"/>",
    R"~(<text transform="matrix(1 0 0 1 300 750)" fill="#FF0000" font-size="150">Drawn with Pelmora</text>)~",
    "</svg>",
};

TEST(SaveSvg, AddsTheExtensionOnlyToANameWithoutOne)
{
    struct Case {
        const char* given;
        const char* written;
    };
    const Case cases[] = {
        {"x", "x.svg"},     {"x.txt", "x.txt"},         {"x.", "x."},
        {"X.SVG", "X.SVG"}, {"dir.d/x", "dir.d/x.svg"}, {".hidden", ".hidden"},
    };
    const TempDir dir;
    std::filesystem::create_directory(dir.Path() / "dir.d");
    TextBuffer svg;
    svg.SetLines(kDocument);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(SaveSvg(svg, dir.File(c.given)), dir.File(c.written));
        std::ifstream file(dir.File(c.written), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        EXPECT_EQ(bytes, svg.ToBytes());
    }
    EXPECT_TRUE(svg.ToBytes().ends_with("</text>\r\n</svg>\r\n"));
    EXPECT_NE(svg.ToBytes().find("\"\xC3\x9C\""), std::string::npos);  // UTF-8, no byte-order mark
    EXPECT_FALSE(svg.ToBytes().starts_with("\xEF\xBB\xBF"));
    EXPECT_THROW(SaveSvg(svg, dir.File("missing/x.svg")), TextFileError);
}

}  // namespace
