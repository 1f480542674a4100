#include "ElementTable.h"

#include "FieldSplitter.h"
#include "MFunction.h"
#include "MTrace.h"
#include "TextTrim.h"

namespace {

constexpr const char* Method = "TFormMain::LoadAtom";
constexpr const char* ObjectName = "FormMain";
constexpr std::size_t RequiredFields = 4;

}  // namespace

ElementTableResult LoadAtom(const std::vector<std::string>& lines, MListAdr<MAtom*>& elements)
{
    elements.Clear();
    if (lines.size() < 2) {
        TraceError(ObjectName, std::to_string(lines.size()), Method);
        return ElementTableResult{false, "The element table Atom.txt has no elements", -1};
    }
    FieldSplitter splitter;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string>& fields = splitter.Split(lines[i], '\t');
        if (fields.size() < RequiredFields) {
            TraceError(ObjectName, std::to_string(fields.size()), Method);
            const std::string message = "Error in file Atom.txt in line " + std::to_string(i);
            return ElementTableResult{false, message, static_cast<int>(i)};
        }
        MAtom* atom = new MAtom();
        elements.Add(atom);
        TraceWatch(ObjectName, "SL->Strings[0]", fields[0], Method);
        TraceWatch(ObjectName, "SL->Strings[1]", fields[1], Method);
        TraceWatch(ObjectName, "SL->Strings[2]", fields[2], Method);
        TraceWatch(ObjectName, "SL->Strings[3]", fields[3], Method);
        TraceWatch(ObjectName, "LAtom.Count", elements.FCount, Method);
        atom->Name = Trimmed(fields[0]);
        atom->Radius = StrToSingle(fields[1]);
        atom->Color = StrToInt(Trimmed(fields[2]));
        atom->RadiusLink = StrToSingle(fields[1]);
    }
    return {};
}
