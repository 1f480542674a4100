#include "ElementOptions.h"

#include <QCommandLineParser>

#include "ElementMap.h"
#include "JsonText.h"
#include "MFileName.h"
#include "RunMessages.h"

namespace {

constexpr const char* MapOption = "map";
constexpr const char* ChooseHint = " (choose others with --map SYMBOL=ELEMENT)";

QString JsonOfBytes(const std::string& text) { return QString::fromUtf8(text); }

}  // namespace

void AddElementOptions(QCommandLineParser& parser)
{
    parser.addOption({MapOption,
                      "The element of each SYMBOL of the file, an entry of the element table, before any rule "
                      "(--map 1=O,2=H for atom types, --map CA=C for alpha carbons).",
                      "SYMBOL=ELEMENT[,...]"});
}

QString ReadElementOptions(const QCommandLineParser& parser, ExportOptions& options)
{
    if (!parser.isSet(MapOption))
        return {};
    // Every --map given counts, in order: a later entry of a symbol replaces an earlier one.
    for (const QString& text : parser.values(MapOption)) {
        const ElementMapParse parse = ParseElementMap(FileNameToBytes(text));
        if (!parse.map)
            return QString("--%1: %2").arg(MapOption, QString::fromStdString(parse.error));
        for (const auto& [symbol, element] : *parse.map)
            options.ElementChoices.insert_or_assign(symbol, element);
    }
    return {};
}

bool ChooseElements(const ExportOptions& options, ScenePipeline& pipeline, std::ostream& err)
{
    const std::string refused = pipeline.SetElementMap(options.ElementChoices);
    if (refused.empty())
        return true;
    Report(err, std::string("--") + MapOption + ": " + refused);
    return false;
}

void TellGuessedElements(const ScenePipeline& pipeline, std::ostream& err)
{
    const std::string note = GuessedElementsNote(pipeline.Symbols(), pipeline.Model().LAtom);
    if (!note.empty())
        Report(err, note + ChooseHint);
}

std::string SymbolsJson(const ScenePipeline& pipeline)
{
    const MListAdr<MAtom*>& elements = pipeline.Model().LAtom;
    std::string json = "[";
    for (const SymbolElement& row : pipeline.Symbols()) {
        const bool hasElement = row.element >= 0 && row.element < elements.FCount;
        json += (json.size() > 1 ? ",{\"symbol\":" : "{\"symbol\":") + JsonString(JsonOfBytes(row.symbol))
            + ",\"element\":" + (hasElement ? JsonString(JsonOfBytes(elements.Data[row.element]->Name)) : "null")
            + ",\"rule\":\"" + std::string(ElementRuleName(row.rule)) + "\",\"atoms\":" + std::to_string(row.atoms)
            + "}";
    }
    return json + "]";
}
