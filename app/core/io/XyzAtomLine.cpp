#include "XyzAtomLine.h"

#include <optional>
#include <string>

#include "MFunction.h"

namespace {

constexpr std::size_t PlainAtomFields = 4;
constexpr XyzColumns PlainColumns{0, 1};

std::string_view TrimmedView(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

// Fortran writes its exponents with D ("1.0D+00"): the text with E in their place, or nothing
// when it has no D.
std::optional<std::string> WithExponentE(std::string_view text)
{
    const std::size_t d = text.find_first_of("Dd");
    if (d == std::string_view::npos)
        return std::nullopt;
    std::string withE(text);
    withE[d] = 'E';
    return withE;
}

float Coordinate(std::string_view text)
{
    if (const std::optional<std::string> withE = WithExponentE(text)) {
        try {
            return StrToSingle(*withE);
        } catch (const MConvertError&) {
            // Told as it was written.
        }
    }
    return StrToSingle(text);
}

bool IsNumber(std::string_view text)
{
    try {
        const std::optional<std::string> withE = WithExponentE(text);
        (void)StrToDouble(withE ? std::string_view(*withE) : text);
        return true;
    } catch (const MConvertError&) {
        return false;
    }
}

}  // namespace

XyzAtomLineReader::XyzAtomLineReader(const ElementLookup& lookup, int fallback, int elementCount, char delimiter,
                                     std::optional<XyzColumns> declared)
    : lookup_(lookup), fallback_(fallback), elementCount_(elementCount), delimiter_(delimiter), declared_(declared)
{
}

std::optional<XyzColumns> XyzAtomLineReader::ColumnsOfLine() const
{
    const std::size_t fields = splitter_.Count();
    if (declared_)
        return fields >= declared_->FieldsNeeded() ? declared_ : std::nullopt;
    if (fields == PlainAtomFields)
        return PlainColumns;
    if (fields < PlainAtomFields)
        return std::nullopt;
    for (std::size_t i = PlainColumns.X; i < PlainColumns.X + 3; ++i)
        if (!IsNumber(splitter_[i]))
            return std::nullopt;
    return PlainColumns;
}

XyzAtomLineOutcome XyzAtomLineReader::Read(std::string_view line, MPoint3DN<float>& atom)
{
    // The splitting frees the fields the last symbol viewed.
    symbol_ = {};
    // Only the fields the line is read from are kept; the others are only counted.
    splitter_.Split(line, delimiter_, declared_ ? declared_->FieldsNeeded() : PlainAtomFields);
    const std::optional<XyzColumns> columns = ColumnsOfLine();
    if (!columns)
        return XyzAtomLineOutcome::BadFields;
    atom.x = Coordinate(splitter_[columns->X]);
    atom.y = Coordinate(splitter_[columns->X + 1]);
    atom.z = Coordinate(splitter_[columns->X + 2]);
    atom.Group = -1;
    symbol_ = TrimmedView(splitter_[columns->Species]);
    SymbolElement& row = symbols_.RowOf(symbol_, lookup_, fallback_);
    atom.N = row.element;
    if (atom.N >= elementCount_)
        return XyzAtomLineOutcome::UnknownElement;
    ++row.atoms;
    return XyzAtomLineOutcome::Atom;
}
