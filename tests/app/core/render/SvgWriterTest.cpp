#include "SvgWriter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include <QXmlStreamReader>

#include "HandScene.h"
#include "SceneDrawing.h"

namespace {

const std::vector<std::string> kOpeningLines = {
    R"~(<?xml version="1.0" encoding="utf-8"?>)~",
    R"~(<!DOCTYPE svg PUBLIC "-//W3C//DTD SVG 1.1//EN" "http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd">)~",
    R"~(<svg version="1.1" id="Layer1" xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" x="0px" y="0px")~",
    R"~(width="3000px" height="3000px">)~",
};
const std::vector<std::string> kClosingLines = {
    R"~(<text transform="matrix(1 0 0 1 300 750)" fill="#FF0000" font-size="150">Drawn with Pelmora</text>)~",
    "</svg>",
};

std::vector<std::string> Document(const std::vector<std::string>& body)
{
    std::vector<std::string> lines = kOpeningLines;
    lines.insert(lines.end(), body.begin(), body.end());
    lines.insert(lines.end(), kClosingLines.begin(), kClosingLines.end());
    return lines;
}

// Numbers must come out with a point even where the C library writes a comma.
class CommaLocale {
public:
    CommaLocale() : saved_(std::setlocale(LC_ALL, nullptr)) { std::setlocale(LC_ALL, "de_DE.UTF-8"); }
    ~CommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }

private:
    std::string saved_;
};

TEST(ColorToHex, WritesRedGreenBlueFromTheLowByteUp)
{
    struct Case {
        TColor color;
        const char* hex;
    };
    const Case cases[] = {{0x000000FF, "FF0000"}, {0, "000000"},          {0x00123456, "563412"},
                          {0x00C0B0A0, "A0B0C0"}, {0x7F0000FF, "FF0000"}, {-1, "FFFFFF"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        EXPECT_EQ(ColorToHex(c.color), c.hex);
    }
}

TEST(SvgDocument, EmptySceneIsTheOpeningTheCreditAndTheEnd)
{
    Scene empty;
    QImage bitmap = MakeSceneBitmap();
    SvgLines svg{"left over from a drawing before"};
    DrawScene(empty, bitmap, 500, &svg);
    EXPECT_EQ(svg, Document({}));
}

TEST(SvgDocument, BallsAndSticksInDrawingOrder)
{
    const CommaLocale commaLocale;
    // Scale 100 around the centre (1500, 1500); carbon radius 0.5 (colour 0x00102030), hydrogen
    // radius 0.25 (0x00C0B0A0). Two carbons on the x axis joined by a horizontal stick, and a
    // hydrogen below the second carbon joined by a vertical one; every bond is stored both ways.
    HandScene hand(100);
    const int c0 = hand.Atom(-1, 0, -3, GreyCarbonIndex);
    const int c1 = hand.Atom(1, 0, -2, GreyCarbonIndex);
    const int h2 = hand.Atom(1, 2, -1, PaleHydrogenIndex);
    hand.Stick(c0, c1, {0.5f, 0, 1, 0, -1}, {-0.5f, 0, 1, 0, -1});  // drawn right to left
    hand.Stick(c1, c0, {-0.5f, 0, 2, 0, -1}, {0.5f, 0, 2, 0, -1});  // left to right
    hand.Stick(c1, h2, {1, 1.75f, 3, 0, -1}, {1, 0.5f, 3, 0, -1});  // upwards
    hand.Stick(h2, c1, {1, 0.5f, 4, 0, -1}, {1, 1.75f, 4, 0, -1});  // downwards
    QImage bitmap = MakeSceneBitmap();
    SvgLines svg;
    DrawScene(hand.scene, bitmap, 500, &svg);

    const std::string stroke = R"~(stroke="#000000" stroke-width="1")~";
    EXPECT_EQ(svg,
              Document({
                  R"~(<ellipse id="C" fill="#302010" )~" + stroke + R"~( cx="1400" cy="1500" rx="50" ry="50"/>)~",
                  R"~(<ellipse id="C" fill="#302010" )~" + stroke + R"~( cx="1600" cy="1500" rx="50" ry="50"/>)~",
                  R"~(<ellipse id="H" fill="#A0B0C0" )~" + stroke + R"~( cx="1600" cy="1700" rx="25" ry="25"/>)~",
                  // From x 1550 back to 1450: turned by 180 degrees about its start.
                  R"~(<rect id="C-C" x="1550" y="1450" transform="rotate(180,1550,1500)" fill="#302010" )~" + stroke
                      + R"~( width="100" height="100"/>)~",
                  R"~(<rect id="C-C" x="1450" y="1450" transform="rotate(0,1450,1500)" fill="#302010" )~" + stroke
                      + R"~( width="100" height="100"/>)~",
                  // Carbon to hydrogen: the half at the hydrogen ball (y 1675) in hydrogen colour, named
                  // after the carbon; the half at the carbon ball in carbon colour, named after the
                  // hydrogen. Vertical halves are turned by 90 degrees about their upper end.
                  R"~(<rect id="C-0" x="1600" y="1562.5" transform="rotate(90,1600,1612.5)" fill="#A0B0C0" )~" + stroke
                      + R"~( width="62.5" height="100"/>)~",
                  R"~(<rect id="H-0" x="1600" y="1500" transform="rotate(90,1600,1550)" fill="#302010" )~" + stroke
                      + R"~( width="62.5" height="100"/>)~",
                  R"~(<rect id="H-0" x="1600" y="1500" transform="rotate(90,1600,1550)" fill="#302010" )~" + stroke
                      + R"~( width="62.5" height="100"/>)~",
                  R"~(<rect id="C-0" x="1600" y="1562.5" transform="rotate(90,1600,1612.5)" fill="#A0B0C0" )~" + stroke
                      + R"~( width="62.5" height="100"/>)~",
              }));
}

TEST(SvgRect, SlantedSticksAreTurnedAboutTheirUpperEnd)
{
    struct Case {
        const char* name;
        float x1, y1, x2, y2;
        const char* expected;
    };
    const Case cases[] = {
        {"down to the right", 0, 0, 3, 4,
         R"~(<rect id="s" x="0" y="-1" transform="rotate(53.1301002502441,0,0)" fill="#000000" stroke="#000000" stroke-width="1" width="5" height="2"/>)~"},
        {"given bottom first: the ends are exchanged", 3, 4, 0, 0,
         R"~(<rect id="s" x="0" y="-1" transform="rotate(53.1301002502441,0,0)" fill="#000000" stroke="#000000" stroke-width="1" width="5" height="2"/>)~"},
        {"down to the left", 0, 0, -3, 4,
         R"~(<rect id="s" x="0" y="-1" transform="rotate(126.869903564453,0,0)" fill="#000000" stroke="#000000" stroke-width="1" width="5" height="2"/>)~"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SvgLines svg;
        SvgRect(svg, c.x1, c.y1, c.x2, c.y2, 1, 0, "s");
        ASSERT_EQ(svg.size(), 1u);
        EXPECT_EQ(svg[0], c.expected);
    }
}

TEST(SvgDocument, ReservedCharactersInElementNamesStayWellFormed)
{
    const std::vector<std::string> names = {"A&B", "<X>", "a\"b", "it's", "Ü", "]]>"};
    Scene scene;
    for (const std::string& name : names)
        scene.LAtom.Add(new MAtom{name, 0.5f, 255, 0.5f});
    scene.ScaleXyz = 100;
    scene.KRPoint = 1;
    for (int i = 0; i < scene.LAtom.FCount; ++i)
        scene.LXyzView.Add(MPoint3DN<float>{float(i), 0, float(i), i, -1});
    MStickEnds stick;  // a stick between the first two, drawn first
    stick.P1.z = stick.P2.z = -1;
    scene.LStick.Add(MStickAtoms{0, 1});
    scene.LStickView.Add(stick);
    QImage bitmap = MakeSceneBitmap();
    SvgLines lines;
    DrawScene(scene, bitmap, 500, &lines);
    std::string document;
    for (const std::string& line : lines)
        document += line + "\n";

    QXmlStreamReader reader(QByteArray::fromStdString(document));
    std::vector<std::string> ids;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() != u"svg" && reader.name() != u"text")
            ids.push_back(reader.attributes().value("id").toString().toStdString());
    }
    ASSERT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    std::vector<std::string> expected = {"A&B-0", "<X>-0"};
    expected.insert(expected.end(), names.begin(), names.end());
    EXPECT_EQ(ids, expected);
}

}  // namespace
