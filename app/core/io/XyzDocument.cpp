#include "XyzDocument.h"

#include <stdexcept>

namespace {

XyzDeclaration<XyzPlaneLattice> LatticeOfFirstFrame(const TextLines& lines, const XyzFrameIndex& index)
{
    if (!index.FormFrames())
        return {};
    return PlaneLatticeDeclaredBy(lines.LineAt(lines.NextLine(index.Frames.front().Start)));
}

}  // namespace

XyzDocument::XyzDocument(std::string text)
    : text_(std::move(text)), lines_(text_), index_(IndexXyzFrames(lines_)), delimiter_(XyzDelimiterOfText(lines_))
{
    lattice_ = LatticeOfFirstFrame(lines_, index_).value;
    if (const std::string cut = CutFrameNote(index_); !cut.empty())
        notes_.push_back(cut);
}

XyzReadResult XyzDocument::ReadFrame(int frame, const MListAdr<MAtom*>& elements, MList<MPoint3DN<float>>& atoms,
                                     const ElementMap& chosen) const
{
    if (frame < 1 || frame > FrameCount())
        throw std::out_of_range("no frame " + std::to_string(frame) + " in a file of " + std::to_string(FrameCount()));
    return ReadXyzFrame(lines_, index_, static_cast<std::size_t>(frame - 1), delimiter_, elements, atoms, chosen);
}
