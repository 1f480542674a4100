#include "OutputNames.h"

namespace {

constexpr const char* NameField = "{name}";
constexpr const char* FrameField = "{frame}";

QString FrameNumber(int frame) { return QString("%1").arg(frame, 4, 10, QChar('0')); }

}  // namespace

QString FrameOutFile(const QString& outFile, int frame)
{
    const qsizetype nameStart = outFile.lastIndexOf('/') + 1;
    const qsizetype dot = outFile.lastIndexOf('.');
    const qsizetype at = dot >= nameStart ? dot : outFile.size();
    return outFile.left(at) + "-" + FrameNumber(frame) + outFile.mid(at);
}

QString InputBaseName(const QString& xyzFile)
{
    const QString name = xyzFile.mid(xyzFile.lastIndexOf('/') + 1);
    const qsizetype dot = name.lastIndexOf('.');
    // A hidden file without an extension (".xyz") keeps its whole name: an empty {name} would
    // write "out/.png".
    return dot > 0 ? name.left(dot) : name;
}

QString OutFileFor(const QString& outPattern, const QString& xyzFile, int frame, bool numbered)
{
    QString outFile = outPattern;
    // The input's name is filled in last, so that a "{frame}" inside it stays as it is.
    const bool hasFrameField = outFile.contains(FrameField);
    outFile.replace(FrameField, FrameNumber(frame));
    if (numbered && !hasFrameField)
        outFile = FrameOutFile(outFile, frame);
    return outFile.replace(NameField, InputBaseName(xyzFile));
}
