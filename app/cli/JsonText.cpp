#include "JsonText.h"

#include <cmath>
#include <sstream>

#include "MFunction.h"

namespace {

// Control characters, invisible characters that reorder a line, and surrogates (escaped when
// they stand alone).
bool NeedsJsonEscape(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || unit == 0x200E || unit == 0x200F
        || (unit >= 0x2028 && unit <= 0x202E) || (unit >= 0x2066 && unit <= 0x2069) || QChar::isSurrogate(unit);
}

bool IsPairedSurrogate(const QString& text, qsizetype i)
{
    const auto unitAt = [&](qsizetype k) { return text[k].unicode(); };
    return (QChar::isHighSurrogate(unitAt(i)) && i + 1 < text.size() && QChar::isLowSurrogate(unitAt(i + 1)))
        || (QChar::isLowSurrogate(unitAt(i)) && i > 0 && QChar::isHighSurrogate(unitAt(i - 1)));
}

}  // namespace

std::string JsonString(const QString& text)
{
    QString quoted = "\"";
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (unit == u'"' || unit == u'\\')
            quoted += QChar(u'\\');
        if (NeedsJsonEscape(unit) && !IsPairedSurrogate(text, i))
            quoted += QString("\\u%1").arg(static_cast<unsigned>(unit), 4, 16, QChar(u'0'));
        else
            quoted += QChar(unit);
    }
    // Every lone surrogate is escaped by now, so the UTF-8 conversion keeps everything.
    return (quoted + '"').toStdString();
}

std::string JsonNumber(float value) { return std::isfinite(value) ? FloatToSvg(value) : "null"; }

std::string InfoObject(const QString& xyzFile, int atomsRead, const Scene& scene, const StickFactors& factors,
                       int frame, int frames, const std::string& symbolsJson, std::int64_t symbolAtomsNotListed)
{
    std::ostringstream json;
    json << "{\"file\":" << JsonString(xyzFile) << ",\"atomsRead\":" << std::to_string(atomsRead)
         << ",\"atomsAfterRepetition\":" << std::to_string(scene.LXyzTrans.FCount)
         << ",\"sticks\":" << std::to_string(scene.LStick.FCount) << ",\"ScaleXyz\":" << JsonNumber(scene.ScaleXyz)
         << ",\"KRPoint\":" << JsonNumber(factors.KAtomRadius)
         << ",\"stickFactor\":" << JsonNumber(factors.KMinStickLength) << ",\"frame\":" << std::to_string(frame)
         << ",\"frames\":" << std::to_string(frames) << ",\"symbols\":" << symbolsJson;
    if (symbolAtomsNotListed > 0)
        json << ",\"atomsOfSymbolsNotListed\":" << std::to_string(symbolAtomsNotListed);
    json << "}\n";
    return json.str();
}
