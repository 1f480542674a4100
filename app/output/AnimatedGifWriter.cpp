#include "AnimatedGifWriter.h"

#include <array>
#include <cmath>
#include <vector>

#include <gif_lib.h>

#include "MBmpSaveLoad.h"
#include "MFileSave.h"
#include "MMessageText.h"

namespace {

constexpr int GifMaxSide = 65535;
constexpr int ColourResolution = 8;
constexpr int LoopForever = 0;

int WriteToSave(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto* save = static_cast<MFileSaveStream*>(gif->UserData);
    const std::string_view piece(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
    return save->Write(piece) ? length : 0;
}

// A GIF colour table has 2, 4, ..., 256 entries.
int TableSize(std::size_t colours)
{
    int size = 2;
    while (static_cast<std::size_t>(size) < colours)
        size *= 2;
    return size;
}

class AnimatedGifWriter : public MovieWriter {
public:
    AnimatedGifWriter(const std::string& fileName, QSize size, int framesPerSecond)
        : fileName_(fileName), save_(fileName), size_(size),
          delay_(static_cast<int>(std::lround(100.0 / framesPerSecond)))
    {
        if (!save_.Ok()) {
            Fail(save_.Reason());
            return;
        }
        int error = 0;
        gif_ = EGifOpen(&save_, WriteToSave, &error);
        if (gif_ == nullptr) {
            Fail(Cannot(GifErrorString(error)));
            return;
        }
        EGifSetGifVersion(gif_, true);
        if (EGifPutScreenDesc(gif_, size.width(), size.height(), ColourResolution, 0, nullptr) != GIF_OK
            || !PutLoopExtension())
            Fail(Failure());
    }

    ~AnimatedGifWriter() override
    {
        if (gif_ != nullptr)
            EGifCloseFile(gif_, nullptr);
    }

    bool AddFrame(const QImage& frame) override
    {
        if (!reason_.empty())
            return false;
        if (frame.size() != size_)
            return Fail(Cannot("a frame is not of the movie's size"));
        std::vector<QRgb> palette;
        if (!IndexPictureColours(frame, palette, indexes_))
            return Fail(Cannot("a frame cannot be encoded as GIF"));
        std::vector<GifColorType> table(static_cast<std::size_t>(TableSize(palette.size())), GifColorType{0, 0, 0});
        for (std::size_t i = 0; i < palette.size(); ++i)
            table[i] = GifColorType{static_cast<GifByteType>(qRed(palette[i])),
                                    static_cast<GifByteType>(qGreen(palette[i])),
                                    static_cast<GifByteType>(qBlue(palette[i]))};
        ColorMapObject* map = GifMakeMapObject(static_cast<int>(table.size()), table.data());
        if (map == nullptr)
            return Fail(Cannot("out of memory"));
        bool written = PutFrameControl()
            && EGifPutImageDesc(gif_, 0, 0, size_.width(), size_.height(), false, map) == GIF_OK;
        GifFreeMapObject(map);
        for (int y = 0; written && y < size_.height(); ++y)
            written = EGifPutLine(gif_, indexes_.data() + static_cast<std::size_t>(y) * std::size_t(size_.width()),
                                  size_.width())
                == GIF_OK;
        return written || Fail(Failure());
    }

    bool Finish() override
    {
        if (!reason_.empty() || gif_ == nullptr)
            return false;
        int error = 0;
        const bool closed = EGifCloseFile(gif_, &error) == GIF_OK;
        gif_ = nullptr;
        // Closing does not check its own write of the trailer; the save remembers a refused one.
        if (!closed || !save_.Ok())
            return Fail(Failure());
        return save_.Commit() || Fail(save_.Reason());
    }

private:
    std::string Cannot(const std::string& why) const
    {
        return "Cannot write file \"" + EscapedForMessage(fileName_) + "\". " + why;
    }
    // The system's reason when the file refused bytes, else the encoder's.
    std::string Failure() const { return save_.Ok() ? Cannot("The GIF encoder failed") : save_.Reason(); }

    bool PutLoopExtension()
    {
        static const char application[] = "NETSCAPE2.0";
        const std::array<GifByteType, 3> loop = {1, LoopForever & 0xFF, LoopForever >> 8};
        return EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_OK
            && EGifPutExtensionBlock(gif_, 11, application) == GIF_OK
            && EGifPutExtensionBlock(gif_, static_cast<int>(loop.size()), loop.data()) == GIF_OK
            && EGifPutExtensionTrailer(gif_) == GIF_OK;
    }

    bool PutFrameControl()
    {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = delay_;
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        std::array<GifByteType, 4> extension{};
        const std::size_t length = EGifGCBToExtension(&control, extension.data());
        return EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension.data()) == GIF_OK;
    }

    std::string fileName_;
    MFileSaveStream save_;
    QSize size_;
    int delay_;
    GifFileType* gif_ = nullptr;
    std::vector<unsigned char> indexes_;
};

}  // namespace

std::unique_ptr<MovieWriter> OpenAnimatedGif(const std::string& fileName, QSize size, int framesPerSecond,
                                             std::string& reason)
{
    if (size.width() < 1 || size.height() < 1 || size.width() > GifMaxSide || size.height() > GifMaxSide
        || framesPerSecond < 1) {
        reason = "Cannot write file \"" + EscapedForMessage(fileName) + "\". No GIF of that size or rate";
        return nullptr;
    }
    auto writer = std::make_unique<AnimatedGifWriter>(fileName, size, framesPerSecond);
    if (!writer->Reason().empty()) {
        reason = writer->Reason();
        return nullptr;
    }
    return writer;
}
