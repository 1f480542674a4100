#include "MStream.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MStreamTest, MemoryStreamReadsWhatIsThereAndNotOneByteMore)
{
    MMemoryStream stream;
    const std::uint8_t head[] = {1, 2, 3};
    stream.Write(head, 3);
    stream.Seek(1);
    const std::uint8_t over[] = {9, 9, 9};
    stream.Write(over, 3);  // writing over the end extends the stream
    EXPECT_EQ((Bytes{1, 9, 9, 9}), stream.Bytes());
    EXPECT_EQ(0, stream.Remaining());

    stream.Seek(1);
    EXPECT_EQ(3, stream.Remaining());
    std::uint8_t read[4] = {};
    EXPECT_THROW(stream.Read(read, 4), MStreamError);
    EXPECT_EQ(1, stream.Position());  // a refused read consumes nothing
    stream.Read(read, 3);
    EXPECT_EQ(9, read[2]);
    EXPECT_EQ(4, stream.Position());

    EXPECT_THROW(stream.Seek(5), MStreamError);
    EXPECT_THROW(stream.Seek(-1), MStreamError);
    stream.SetBytes({7});
    EXPECT_EQ(0, stream.Position());
    EXPECT_EQ(1, stream.Size());
}

TEST(MStreamTest, FileStreamWritesAndReadsTheSameBytes)
{
    TempDir dir;
    const std::string name = dir.File("list.bin");
    {
        MFileStream file(name, MFileStream::Mode::Create);
        const std::uint8_t bytes[] = {0, 1, 0xFF};
        file.Write(bytes, 3);
        EXPECT_EQ(3, file.Size());
        file.Close();
        file.Close();  // closing twice is harmless
    }
    EXPECT_TRUE(MFileStream::Exists(name));
    MFileStream file(name, MFileStream::Mode::Read);
    EXPECT_EQ(3, file.Size());
    std::uint8_t read[3] = {};
    file.Read(read, 3);
    EXPECT_EQ(0xFF, read[2]);
    EXPECT_EQ(0, file.Remaining());
    EXPECT_THROW(file.Read(read, 1), MStreamError);
    EXPECT_THROW(file.Write(read, 1), MStreamError);
}

TEST(MStreamTest, FileErrorsAreFileErrors)
{
    TempDir dir;
    EXPECT_THROW(MFileStream(dir.File("missing.bin"), MFileStream::Mode::Read), MFileError);
    EXPECT_THROW(MFileStream(dir.File("no/such/folder.bin"), MFileStream::Mode::Create), MFileError);
    EXPECT_THROW(MFileStream(dir.Path().string(), MFileStream::Mode::Read), MFileError);
    EXPECT_FALSE(MFileStream::Exists(dir.Path().string()));  // a folder is not a file
    EXPECT_FALSE(MFileStream::Exists(dir.File("missing.bin")));

    const std::string name = dir.File("old.bin");
    std::ofstream(name) << "old";
    ASSERT_TRUE(MFileStream::Exists(name));
    MFileStream::DeleteIfExists(name);
    EXPECT_FALSE(MFileStream::Exists(name));
    MFileStream::DeleteIfExists(name);  // nothing to delete is fine
}

TEST(MStreamTest, AFullDiskIsAStreamErrorWhenTheFileIsClosed)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "/dev/full is not available";
    MFileStream file("/dev/full", MFileStream::Mode::Create);
    const std::uint8_t byte = 1;
    file.Write(&byte, 1);  // buffered: the refusal comes with the flush
    EXPECT_THROW(file.Close(), MStreamError);
}

}  // namespace
