// The settings file around the walks: what a save keeps of the file, where the file goes when
// the program's folder is not writable, what a failed save leaves behind, and the reports.

#include "MSaveIni.h"
#include "MTrace.h"

#include <gtest/gtest.h>

#include "PrivateTraceChannel.h"
#include "SaveIniTestSupport.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>

#include <csignal>
#include <filesystem>
#include <stdexcept>

#include <sys/resource.h>

namespace {

class MSaveIniFileTest : public ::testing::Test {
protected:
    MSaveIniFileTest()
    {
        form_.setObjectName(QStringLiteral("FormMain"));
        form_.setGeometry(10, 20, 300, 200);
        edit_ = new QLineEdit(&form_);
        edit_->setObjectName(QStringLiteral("EditAx"));
        edit_->setText(QStringLiteral("new"));
    }

    QString Code() const { return QString::fromStdString(dir_.File("settings")); }
    QString FileName() const { return Code() + QStringLiteral(".ini"); }

    TempDir dir_;
    QWidget form_;
    QLineEdit* edit_;
};

TEST_F(MSaveIniFileTest, ASaveKeepsWhatItDoesNotTouchAndMatchesNamesWithoutRegardToCase)
{
    WriteBytes(FileName(),
               "; hand-made\n"
               "[formmain]\n"
               "EDITAX->TEXT=old\n"
               "ScrollBarGone->Position=5\n"
               "[FormOther]\n"
               "x=1\n");
    ASSERT_TRUE(SaveToFileIni(&form_, Code()));
    EXPECT_EQ(ReadBytes(FileName()),
              QByteArray("; hand-made\n"
                         "[formmain]\n"
                         "EDITAX->TEXT=new\n"
                         "ScrollBarGone->Position=5\n"
                         "FormMain->WindowState=0\n"
                         "FormMain->Top=20\n"
                         "FormMain->Left=10\n"
                         "FormMain->Height=200\n"
                         "FormMain->Width=300\n"
                         "\n"
                         "[FormOther]\n"
                         "x=1\n"
                         "\n"));
}

TEST_F(MSaveIniFileTest, LoadingWithoutAFileChangesNothingAndMakesNoFile)
{
    EXPECT_FALSE(LoadFromFileIni(&form_, Code()));
    EXPECT_EQ(edit_->text(), QStringLiteral("new"));
    EXPECT_EQ(form_.geometry(), QRect(10, 20, 300, 200));
    EXPECT_FALSE(QFileInfo::exists(FileName()));
}

// Writes beyond a size fail as on a full disk, for root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

TEST_F(MSaveIniFileTest, AFailedSaveLeavesTheOldFileAsItWasAndNoTemporaryFile)
{
    const QByteArray old("[FormMain]\nEditAx->Text=old\n");
    WriteBytes(FileName(), old);
    bool saved = true;
    {
        const FileSizeLimit limit(static_cast<rlim_t>(old.size()) + 8);
        saved = SaveToFileIni(&form_, Code());
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadBytes(FileName()), old);
    EXPECT_EQ(QDir(QString::fromStdString(dir_.Path().string())).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("settings.ini")});

    ASSERT_TRUE(SaveToFileIni(&form_, Code()));
    EXPECT_TRUE(ReadBytes(FileName()).contains("EditAx->Text=new\n"));
}

TEST_F(MSaveIniFileTest, AFileThatCannotBeReadIsNeitherOverwrittenNorLoaded)
{
    std::filesystem::create_directory(dir_.Path() / "settings.ini");
    std::filesystem::create_directory(dir_.Path() / "settings.ini" / "inside");
    EXPECT_FALSE(SaveToFileIni(&form_, Code()));
    EXPECT_FALSE(LoadFromFileIni(&form_, Code()));
    EXPECT_TRUE(std::filesystem::is_directory(dir_.Path() / "settings.ini" / "inside"));
}

// Points the per-user configuration folder at a temporary folder for the test's span.
class ConfigHome {
public:
    explicit ConfigHome(const std::string& folder) : old_(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder));
    }
    ~ConfigHome()
    {
        if (old_.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", old_);
    }
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

private:
    QByteArray old_;
};

// /proc takes no new files from anyone, root included, whatever its permission bits say.
const QString kUnwritableCode = QStringLiteral("/proc/pelmora-settings");

TEST_F(MSaveIniFileTest, AnUnwritableFolderSendsSaveAndLoadToTheUsersConfigurationFolder)
{
    ASSERT_FALSE(IsFolderWritable(QStringLiteral("/proc")));
    const ConfigHome home(dir_.File("config"));
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/pelmora-settings.ini");
    ASSERT_TRUE(expected.startsWith(QString::fromStdString(dir_.File("config"))));
    EXPECT_EQ(SaveIniFileName(kUnwritableCode), expected);

    ASSERT_TRUE(SaveToFileIni(&form_, kUnwritableCode));
    EXPECT_TRUE(ReadBytes(expected).contains("EditAx->Text=new\n"));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/pelmora-settings.ini")));

    edit_->setText(QStringLiteral("changed"));
    ASSERT_TRUE(LoadFromFileIni(&form_, kUnwritableCode));
    EXPECT_EQ(edit_->text(), QStringLiteral("new"));
}

TEST_F(MSaveIniFileTest, AWritableFolderKeepsTheFileWhereTheCodeSays)
{
    EXPECT_EQ(SaveIniFileName(Code()), FileName());
    // A build folder: beside the executable, no linker map there.
    EXPECT_EQ(SaveIniFileName(QString::fromLatin1(SaveIniDefaultCode)),
              QCoreApplication::applicationDirPath() + QStringLiteral("/MSaveIniFileTest.ini"));
}

// ---- Reports -------------------------------------------------------------------------------

class MSaveIniReportTest : public MSaveIniFileTest {
protected:
    void SetUp() override
    {
        channel_.OpenWithViewer();
        ASSERT_TRUE(TraceChannelOpen());
        TakePosts();  // the start post
    }

    // The error posts since the last call, as "expression @ method".
    std::vector<std::string> TakePosts()
    {
        std::vector<std::string> posts;
        const std::vector<TakenRecord> records = channel_.Viewer().Records();
        for (std::size_t i = taken_; i < records.size(); ++i)
            if (records[i].kind == TraceKindError)
                posts.push_back(records[i].expression + " @ " + records[i].method);
        taken_ = records.size();
        return posts;
    }

    PrivateTraceChannel channel_{"PelmoraSaveIniTest"};
    std::size_t taken_ = 0;
};

using PostList = std::vector<std::string>;

TEST_F(MSaveIniReportTest, AFailedWriteIsReportedBySaveToFileIni)
{
    WriteBytes(FileName(), "[FormMain]\n");
    {
        const FileSizeLimit limit(16);
        EXPECT_FALSE(SaveToFileIni(&form_, Code()));
    }
    EXPECT_EQ(TakePosts(), PostList({"Unknown error @ SaveToFileIni"}));
}

TEST_F(MSaveIniReportTest, ANullOwnerIsReportedAndTheFileIsWrittenAllTheSame)
{
    QObject* owners[] = {&form_, nullptr};
    EXPECT_FALSE(SaveToFileIni(owners, Code(), {}));
    EXPECT_EQ(TakePosts(), PostList({"Unknown error @ SaveToFileIni"}));
    EXPECT_TRUE(ReadBytes(FileName()).contains("EditAx->Text=new\n"));

    EXPECT_FALSE(SaveToFileIni(std::span<QObject* const>(), Code(), {}));
    EXPECT_EQ(TakePosts(), PostList({"Unknown error @ SaveToFileIni"}));
    EXPECT_FALSE(ForSaveToFileIni(&form_, nullptr, {}));
    EXPECT_EQ(TakePosts(), PostList({"Unknown error @ ForSaveToFileIni"}));
}

// A form whose notification throws, as a handler meeting a platform error would.
class ThrowingForm : public QWidget, public MSaveIniNotified {
public:
    ThrowingForm() { setObjectName(QStringLiteral("FormMain")); }
    void SaveIniNotify(int code) override
    {
        if (code == SaveIniSaveEnds || code == SaveIniLoadEnds)
            throw std::runtime_error("platform error");
    }
};

TEST_F(MSaveIniReportTest, AThrowInTheWalkIsCaughtAndReportedByTheEntryPoint)
{
    ThrowingForm form;
    auto* edit = new QLineEdit(&form);
    edit->setObjectName(QStringLiteral("EditAx"));
    edit->setText(QStringLiteral("saved"));
    EXPECT_FALSE(SaveToFileIni(&form, Code()));
    EXPECT_EQ(TakePosts(), PostList({"Unknown error @ SaveToFileIni"}));
    EXPECT_TRUE(ReadBytes(FileName()).contains("EditAx->Text=saved\n"));

    edit->setText(QStringLiteral("changed"));
    EXPECT_FALSE(LoadFromFileIni(&form, Code()));
    EXPECT_EQ(TakePosts(), PostList({"Unknown error @ LoadFromFileIni"}));
    EXPECT_EQ(edit->text(), QStringLiteral("saved"));
}

TEST_F(MSaveIniReportTest, ACodeWhoseNumbersDoNotConvertIsReportedByGetFileNameExt)
{
    EXPECT_EQ(GetFileNameExt(QStringLiteral("x|2"), QStringLiteral(".ini"), QStringLiteral("/opt/p/bin/pelmora")),
              QStringLiteral("x|2.ini"));
    EXPECT_EQ(TakePosts(), PostList({"Unknown error @ GetFileNameExt"}));
    EXPECT_EQ(GetFileNameExt(QStringLiteral("1|2"), QStringLiteral(".ini"), QStringLiteral("/opt/p/bin/pelmora")),
              QStringLiteral("/opt/p/bin/../pelmora.ini"));
    EXPECT_EQ(TakePosts(), PostList());
}

}  // namespace
