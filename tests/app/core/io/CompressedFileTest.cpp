#include "Unpacker.h"

#include <gtest/gtest.h>

#include <fstream>

#include "PackedBytes.h"
#include "TempDir.h"
#include "TextFile.h"
#include "XyzTextFile.h"

namespace {

constexpr Compression kCompressions[] = {Compression::Gzip, Compression::Bzip2, Compression::Xz};

const char* NameOf(Compression compression)
{
    switch (compression) {
    case Compression::Gzip:
        return "gzip";
    case Compression::Bzip2:
        return "bzip2";
    case Compression::Xz:
        return "xz";
    case Compression::None:
        break;
    }
    return "none";
}

// A trajectory as a run writes it, long enough that its unpacked text comes in many pieces.
std::string Trajectory(int frames)
{
    std::string text;
    for (int frame = 0; frame < frames; ++frame) {
        text +=
            "3\r\nLattice=\"5 0 0 0 5 0 0 0 5\" Properties=species:S:1:pos:R:3 step=" + std::to_string(frame) + "\r\n";
        for (const char* atom : {"O", "H", "H"})
            text += std::string(atom) + "  " + std::to_string(0.001 * frame) + "  -1.25  3.5e-1\r\n";
    }
    return text;
}

class CompressedFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = dir.File(name);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }
    // What opening the file says when it cannot be read, after the file's name.
    std::string Refusal(const std::string& path, std::size_t limit = UnpackedSizeLimit)
    {
        try {
            (void)LoadXyzTextFile(path, limit);
            return "read";
        } catch (const TextFileError& error) {
            const std::string message = error.what();
            return message.substr(message.find("\". ") + 3);
        }
    }
    TempDir dir;
};

TEST(CompressionOfTest, TheFirstBytesTell)
{
    struct Case {
        std::string start;
        Compression compression;
    };
    const Case cases[] = {
        {"\x1F\x8B\x08", Compression::Gzip},
        {"BZh9", Compression::Bzip2},
        {std::string("\xFD"
                     "7zXZ\0\0",
                     7),
         Compression::Xz},
        {"BZh", Compression::None},   // no block size
        {"BZh0", Compression::None},  // not one
        {"\x1F", Compression::None},  // a magic cut short
        {std::string("\xFD"
                     "7zXZ",
                     5),
         Compression::None},
        {"3\nwater\n", Compression::None},
        {"", Compression::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompressionOf(c.start), c.compression) << c.start;
}

// A packed file reads as the file it was packed from, whatever its name; so do streams joined
// one after the other, as parallel packers write them.
TEST_F(CompressedFileTest, APackedFileReadsAsTheFileItWasPackedFrom)
{
    const std::string text = Trajectory(3000);  // some 250 kB
    const std::string plain = LoadXyzTextFile(Write("plain.xyz", text));
    ASSERT_EQ(plain.size(), text.size());
    const std::size_t half = text.find("3\r\nLattice", text.size() / 2);
    for (const Compression compression : kCompressions) {
        SCOPED_TRACE(NameOf(compression));
        EXPECT_EQ(LoadXyzTextFile(Write("packed.xyz.z", Packed(compression, text))), plain);
        EXPECT_EQ(
            LoadXyzTextFile(Write("joined.xyz",
                                  Packed(compression, text.substr(0, half)) + Packed(compression, text.substr(half)))),
            plain);
        EXPECT_EQ(LoadXyzTextFile(Write("empty.xyz", Packed(compression, ""))), "");
        // A comment in Windows-1252 is decoded as in a plain file.
        const std::string latin = "1\n\xC5ngstr\xF6m\nC 0 0 0\n";
        EXPECT_EQ(LoadXyzTextFile(Write("latin.xyz", Packed(compression, latin))),
                  LoadXyzTextFile(Write("latin-plain.xyz", latin)));
    }
    // A plain file named as a packed one is read as it is.
    EXPECT_EQ(LoadXyzTextFile(Write("plain.xyz.gz", text)), plain);
}

// A small file that unpacks to a flood stops at the limit and says so; damaged or cut data is
// refused with what is wrong; a first line that is no count stops the unpacking there.
TEST_F(CompressedFileTest, BombsDamageAndCutsAreRefusedWithTheirReason)
{
    const std::string flood = "1\nc\nC 0 0 0\n" + std::string(std::size_t{3} << 20, ' ');
    for (const Compression compression : kCompressions) {
        SCOPED_TRACE(NameOf(compression));
        const std::string name = NameOf(compression);
        const std::string bomb = Write("bomb.xyz", Packed(compression, flood));
        EXPECT_LT(std::ifstream(bomb, std::ios::ate | std::ios::binary).tellg(), 20000);
        EXPECT_EQ(Refusal(bomb, std::size_t{1} << 20), "It unpacks to more than 1 MiB");
        EXPECT_EQ(Refusal(bomb, std::size_t{4} << 20), "read");

        const std::string packed = Packed(compression, Trajectory(200));
        EXPECT_EQ(Refusal(Write("cut.xyz", packed.substr(0, packed.size() / 2))),
                  "the " + name + " data ends before its end");
        std::string damaged = packed;
        for (std::size_t i = 24; i < 64; ++i)
            damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
        EXPECT_EQ(Refusal(Write("damaged.xyz", damaged)), "the " + name + " data is damaged");

        // A first line that is no count is all that is unpacked: the flood after it never comes.
        EXPECT_EQ(LoadXyzTextFile(Write("words.xyz", Packed(compression, "water\n" + flood)), std::size_t{1} << 20),
                  "water\n");
    }
}

}  // namespace
