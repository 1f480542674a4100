#include "SvgWriter.h"

#include <cmath>
#include <initializer_list>
#include <utility>

#include "MConstants.h"
#include "MFunction.h"
#include "MSingle.h"

namespace {

constexpr std::string_view Utf8ReplacementCharacter = "\xEF\xBF\xBD";

// The document's text items at their fractions of the picture size.
constexpr int CreditLeftDivisor = 10;
constexpr int CreditBaselineDivisor = 4;
constexpr int CreditFontDivisor = 20;
constexpr TColor CreditColor = 0x000000FF;  // pure red

bool AllFinite(std::initializer_list<float> values)
{
    for (const float value : values)
        if (!std::isfinite(value))
            return false;
    return true;
}

// Appends name="value" with a leading blank.
void Attribute(std::string& line, std::string_view name, std::string_view value)
{
    line += ' ';
    line += name;
    line += "=\"";
    line += value;
    line += '"';
}

void Attribute(std::string& line, std::string_view name, float value) { Attribute(line, name, FloatToSvg(value)); }

// The rotation of a rectangle from (x1, y1) to (x2, y2), y1 <= y2, in degrees between 0 and 180.
// Pi is the 11-decimal constant: a closer pi would change the last decimals of written angles.
float RectDegrees(float x1, float y1, float x2, float y2)
{
    float angle;
    if (x1 == x2) {
        angle = ToSingle(PiHalf);
    } else {
        angle = ToSingle(std::atan((double(y2) - y1) / (double(x2) - x1)));
        if (x2 < x1)
            angle = ToSingle(angle + Pi);
    }
    return ToSingle(180 * double(angle) / Pi);
}

}  // namespace

std::string ColorToHex(TColor color)
{
    constexpr char digits[] = "0123456789ABCDEF";
    const auto bits = static_cast<std::uint32_t>(color);
    const std::uint32_t red = bits & 0xFF, green = (bits >> 8) & 0xFF, blue = (bits >> 16) & 0xFF;
    std::string text(6, '0');
    for (const auto& [position, channel] : {std::pair{0, red}, std::pair{2, green}, std::pair{4, blue}}) {
        text[position] = digits[channel >> 4];
        text[position + 1] = digits[channel & 0xF];
    }
    return text;
}

std::string XmlAttributeText(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '&':
            escaped += "&amp;";
            continue;
        case '<':
            escaped += "&lt;";
            continue;
        case '>':
            escaped += "&gt;";
            continue;
        case '"':
            escaped += "&quot;";
            continue;
        case '\'':
            escaped += "&apos;";
            continue;
        default:
            break;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            escaped += Utf8ReplacementCharacter;
        } else if (text.substr(i, 2) == "\xEF\xBF" && i + 2 < text.size()
                   && (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
            escaped += Utf8ReplacementCharacter;  // U+FFFE and U+FFFF are no XML characters
            i += 2;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

void SvgBegin(SvgLines& svg, int width, int height)
{
    svg.clear();
    svg.push_back(R"(<?xml version="1.0" encoding="utf-8"?>)");
    svg.push_back(
        R"(<!DOCTYPE svg PUBLIC "-//W3C//DTD SVG 1.1//EN" "http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd">)");
    svg.push_back(R"(<svg version="1.1" id="Layer1" xmlns="http://www.w3.org/2000/svg")"
                  R"( xmlns:xlink="http://www.w3.org/1999/xlink" x="0px" y="0px")");
    svg.push_back("width=\"" + std::to_string(width) + "px\" height=\"" + std::to_string(height) + "px\">");
}

void SvgEnd(SvgLines& svg, int width, int height)
{
    svg.push_back("<text transform=\"matrix(1 0 0 1 " + std::to_string(width / CreditLeftDivisor) + " "
                  + std::to_string(height / CreditBaselineDivisor) + ")\" fill=\"#" + ColorToHex(CreditColor)
                  + "\" font-size=\"" + std::to_string(height / CreditFontDivisor) + "\">" + SvgCreditText + "</text>");
    svg.push_back("</svg>");
}

void SvgEllipse(SvgLines& svg, std::string_view name, TColor color, float cx, float cy, float radius)
{
    if (std::string line = SvgEllipseLine(name, color, cx, cy, radius); !line.empty())
        svg.push_back(std::move(line));
}

void SvgRect(SvgLines& svg, float x1, float y1, float x2, float y2, float halfWidth, TColor color, std::string_view id)
{
    if (std::string line = SvgRectLine(x1, y1, x2, y2, halfWidth, color, id); !line.empty())
        svg.push_back(std::move(line));
}

std::string SvgEllipseLine(std::string_view name, TColor color, float cx, float cy, float radius)
{
    if (!AllFinite({cx, cy, radius}))
        return {};
    std::string line = "<ellipse";
    line.reserve(160);
    Attribute(line, "id", XmlAttributeText(name));
    Attribute(line, "fill", "#" + ColorToHex(color));
    line += R"( stroke="#000000" stroke-width="1")";
    Attribute(line, "cx", cx);
    Attribute(line, "cy", cy);
    const std::string radiusText = FloatToSvg(radius);
    Attribute(line, "rx", radiusText);
    Attribute(line, "ry", radiusText);
    line += "/>";
    return line;
}

std::string SvgRectLine(float x1, float y1, float x2, float y2, float halfWidth, TColor color, std::string_view id)
{
    if (y2 < y1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const double dx = double(x2) - x1;
    const double dy = double(y2) - y1;
    const float length = ToSingle(std::sqrt(dx * dx + dy * dy));
    const float degrees = RectDegrees(x1, y1, x2, y2);
    const float top = ToSingle(double(y1) - halfWidth);
    const float height = ToSingle(2 * double(halfWidth));
    if (!AllFinite({x1, y1, x2, y2, length, degrees, top, height}))
        return {};
    const std::string xText = FloatToSvg(x1);
    std::string line = "<rect";
    line.reserve(200);
    Attribute(line, "id", XmlAttributeText(id));
    Attribute(line, "x", xText);
    Attribute(line, "y", top);
    Attribute(line, "transform", "rotate(" + FloatToSvg(degrees) + "," + xText + "," + FloatToSvg(y1) + ")");
    Attribute(line, "fill", "#" + ColorToHex(color));
    line += R"( stroke="#000000" stroke-width="1")";
    Attribute(line, "width", length);
    Attribute(line, "height", height);
    line += "/>";
    return line;
}
