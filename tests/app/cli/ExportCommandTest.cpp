#include "CommandLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QFile>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QXmlStreamReader>

#include <gif_lib.h>

#include "Corpus.h"
#include "ExitCode.h"
#include "InProcessCommand.h"
#include "MFileName.h"
#include "MFunction.h"
#include "OutputNames.h"
#include "RunCommandLine.h"
#include "TempDir.h"

namespace {

constexpr int kSide = 3000;

const char* const kElementTable = "Symbol\tRadius\tColor\tRadiusVdW\n"
                                  "C\t0.76\t0x00909090\t1.70\n"
                                  "H\t0.31\t0x00FFFFFF\t1.20\n"
                                  "-\t0.70\t0x00FF00FF\t2.00\n";

// The built program as a child process, with no display and no Qt platform chosen, as on a
// server or in a container.
CommandOutcome RunProgram(const QStringList& arguments, const QString& workingDirectory)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(PELMORA_EXECUTABLE, arguments);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

std::vector<std::string> FilesIn(const TempDir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A folder with the small element table and two carbons 1.42 apart on the x axis.
class ExportCommandTest : public ::testing::Test {
protected:
    ExportCommandTest()
    {
        WriteText(table, kElementTable);
        WriteText(pair, "2\ntwo carbons\nC 0 0 0\nC 1.42 0 0\n");
    }
    std::string File(const std::string& name) const { return dir.File(name); }

    // The SVG of xyz repeated 3 x 2 times with the options given.
    std::string SvgOfCells(std::vector<std::string> arguments, const std::string& xyz) const
    {
        arguments.insert(arguments.begin(),
                         {"--export", File("cell.svg"), "--nx", "3", "--ny", "2", "--elements", table});
        arguments.push_back(xyz);
        EXPECT_EQ(RunInProcess(arguments).status, ExitSuccess);
        return ReadBytes(File("cell.svg"));
    }

    TempDir dir;
    const std::string table = dir.File("elements.txt");
    const std::string pair = dir.File("pair.xyz");
};

TEST_F(ExportCommandTest, UsageErrorsExitWithTwoAndWriteNothing)
{
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::string out = File("out.png");
    const Case cases[] = {
        {"drawing options for the window", {"--nx", "2", pair}, "--nx applies to --export and --info only"},
        {"two files for the window", {pair, pair}, "give at most one FILE.xyz"},
        {"unknown option", {"--export", out, "--colour", pair}, "Unknown option 'colour'"},
        {"option without its value", {pair, "--export"}, "Missing value after '--export'"},
        {"no file", {"--export", out}, "no FILE.xyz given"},
        {"two files into one name",
         {"--export", out, "--elements", table, pair, pair},
         "two outputs would be written to \"" + out + "\"; name each by {name} or {frame} (nothing was written)"},
        {"empty output name", {"--export", "", pair}, "--export needs a file name"},
        {"copies below the range",
         {"--export", out, "--nx", "0", pair},
         "--nx takes a whole number from 1 to 10, not '0'"},
        {"copies above the range", {"--export", out, "--ny", "11", pair}, "--ny takes a whole number from 1 to 10"},
        {"angle above a full turn",
         {"--export", out, "--angle-x", "3601", pair},
         "--angle-x takes a whole number from 0 to 3600"},
        {"stick radius below the bar",
         {"--export", out, "--stick-radius", "0", pair},
         "--stick-radius takes a whole number from 1 to 1000"},
        {"negative stick length",
         {"--export", out, "--stick-length", "-1", pair},
         "--stick-length takes a whole number from 0 to 100"},
        {"bar position not a number",
         {"--export", out, "--atom-radius", "5x", pair},
         "--atom-radius takes a whole number"},
        {"step not a number",
         {"--export", out, "--ax", "1.2.3", pair},
         "--ax: '1.2.3' is not a valid floating point value"},
        {"step beyond the range of coordinates",
         {"--export", out, "--ax", "1e39", pair},
         "--ax: '1e39' is not a valid floating point value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandOutcome outcome = RunInProcess(c.arguments);
        EXPECT_EQ(outcome.status, ExitUsage);
        EXPECT_TRUE(outcome.err.starts_with("pelmora: ")) << outcome.err;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.out, "");
    }
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"elements.txt", "pair.xyz"}));
}

TEST_F(ExportCommandTest, WithoutExportOrInfoTheWindowOpensOnTheFileGiven)
{
    const CommandLine asking = ParseCommandLine({"pelmora"}, "Atom.txt");
    EXPECT_EQ(asking.action, CommandLine::Action::Window);
    EXPECT_TRUE(asking.options.XyzFile.isEmpty());
    const CommandLine opening = ParseCommandLine({"pelmora", QString::fromStdString(pair)}, "Atom.txt");
    EXPECT_EQ(opening.action, CommandLine::Action::Window);
    EXPECT_EQ(opening.options.XyzFile.toStdString(), pair);
}

TEST_F(ExportCommandTest, HelpAndVersion)
{
    const CommandOutcome help = RunInProcess({"--help"});
    EXPECT_EQ(help.status, ExitSuccess);
    for (const char* option : {"--export <OUT>", "--info", "--sticks", "--stick-length <P>", "--angle-z <P>",
                               "--nx <N>", "--dy <V>", "--elements <FILE>", "--frame <K>", "FILE.xyz"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    const CommandOutcome version = RunInProcess({"--version"});
    EXPECT_EQ(version.status, ExitSuccess);
    EXPECT_EQ(version.out, std::string("pelmora ") + PELMORA_VERSION + "\n");
}

TEST(ExportCommand, RejectedInputsExitWithOneAndTheWindowsMessage)
{
    struct Case {
        const char* name;
        const char* xyz;      // nullptr: the file does not exist
        const char* table;    // nullptr: the table does not exist
        std::string message;  // "{dir}" stands for the folder of the files
    };
    const char* const pair = "2\n\nC 0 0 0\nC 1 0 0\n";
    std::string largeTable = "Symbol\tRadius\tColor\tX\n";
    while (largeTable.size() <= (std::size_t{1} << 20))
        largeTable += "C\t0.76\t0x00909090\t1.70\n";
    const Case cases[] = {
        {"missing file", nullptr, kElementTable, "pelmora: Cannot open file \"{dir}/in.xyz\""},
        {"empty file", "", kElementTable, "pelmora: The file is empty"},
        {"line count is not the atom count + 2", "3\n\nC 0 0 0\nC 1 0 0\n", kElementTable,
         "pelmora: Error count of lines in file: the count line says 3 atoms, 2 atom lines follow\n"},
        {"coordinate that does not convert", "2\n\nC 0 0 0\nC 1 x1 0\n", kElementTable,
         "pelmora: Error in *.xyz file in line 3: 'x1' is not a valid floating point value\n"},
        {"coordinate beyond the range of coordinates", "2\n\nC 0 0 0\nC 1e39 0 0\n", kElementTable,
         "pelmora: Error in *.xyz file in line 3: '1e39' is not a valid floating point value\n"},
        {"missing element table", pair, nullptr, "pelmora: Cannot open file \"{dir}/elements.txt\""},
        {"element line with three fields", pair, "Symbol\tRadius\tColor\tX\nC\t0.76\t1\t1\nH\t0.31\t1\n",
         "pelmora: Error in file Atom.txt in line 2\n"},
        {"colour that does not convert", pair, "Symbol\tRadius\tColor\tX\nC\t0.76\tgrey\t1\n",
         "pelmora: 'grey' is not a valid integer value\n"},
        {"element table of a header alone", pair, "Symbol\tRadius\tColor\tX\n",
         "pelmora: The element table Atom.txt has no elements\n"},
        {"empty element table", pair, "", "pelmora: The element table Atom.txt has no elements\n"},
        {"element table of more than a mebibyte", pair, largeTable.c_str(),
         "pelmora: Cannot read file \"{dir}/elements.txt\". It is larger than 1 MiB\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        if (c.xyz != nullptr)
            WriteText(dir.File("in.xyz"), c.xyz);
        if (c.table != nullptr)
            WriteText(dir.File("elements.txt"), c.table);
        const CommandOutcome outcome =
            RunInProcess({"--export", dir.File("out.png"), "--elements", dir.File("elements.txt"), dir.File("in.xyz")});
        EXPECT_EQ(outcome.status, ExitFailure);
        std::string expected = c.message;
        if (const auto at = expected.find("{dir}"); at != std::string::npos)
            expected.replace(at, 5, dir.Path().string());
        EXPECT_TRUE(outcome.err.starts_with(expected)) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.png")));
    }
}

TEST_F(ExportCommandTest, OutputThatCannotBeWrittenExitsWithOne)
{
    const std::string picture = File("no-such-folder/out.png");
    const CommandOutcome notSaved = RunInProcess({"--export", picture, "--elements", table, pair});
    EXPECT_EQ(notSaved.status, ExitFailure);
    EXPECT_EQ(notSaved.err,
              "pelmora: Не сохранено (not saved): Cannot create file \"" + picture + "\". No such file or directory\n");

    const CommandOutcome svg = RunInProcess({"--export", File("no-such-folder/out.svg"), "--elements", table, pair});
    EXPECT_EQ(svg.status, ExitFailure);
    EXPECT_TRUE(svg.err.starts_with("pelmora: Cannot create file \"" + File("no-such-folder/out.svg"))) << svg.err;
}

QJsonObject ParseInfo(const std::string& out)
{
    EXPECT_TRUE(out.ends_with("}\n")) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << out;
    return document.object();
}

TEST_F(ExportCommandTest, InfoReportsTheBuiltSceneAndWritesNothing)
{
    // Two carbons 1.42 apart, repeated 2 x 3 times: along x every 2.84 (a comma marks the
    // decimals, as in the window's edits), along y every 5. Each row holds four carbons
    // 1.42 apart: three bonds, each stored both ways, in three rows.
    const CommandOutcome outcome =
        RunInProcess({"--info", "--sticks", "--stick-length", "54", "--atom-radius", "750", "--nx", "2", "--ny", "3",
                      "--ax", "2,84", "--ay", "5", "--elements", table, pair});
    ASSERT_EQ(outcome.status, ExitSuccess) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_TRUE(outcome.out.starts_with("{\"file\":\"" + pair + "\",\"atomsRead\":2,")) << outcome.out;
    const QJsonObject info = ParseInfo(outcome.out);
    EXPECT_EQ(info["atomsRead"].toInt(), 2);
    EXPECT_EQ(info["atomsAfterRepetition"].toInt(), 12);
    EXPECT_EQ(info["sticks"].toInt(), 18);
    EXPECT_EQ(info["KRPoint"].toDouble(), 2.5);                            // bar 750 of 1000
    EXPECT_EQ(static_cast<float>(info["stickFactor"].toDouble()), 1.24f);  // bar 54 of 100
    // Largest half extent 5 (y), K atom radius 2.5, largest radius of the table 0.76.
    EXPECT_NEAR(info["ScaleXyz"].toDouble(), kSide / 2.3 / (5 * 2.5 * 0.76 * std::sqrt(2.0)), 1e-3);
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"elements.txt", "pair.xyz"}));
}

TEST_F(ExportCommandTest, FileRejectedAtAnAtomLineStillWritesTheAtomsBeforeIt)
{
    WriteText(File("broken.xyz"), "3\n\nC 0 0 0\nC 1.5 0 0\nC 3 0\n");
    const CommandOutcome outcome =
        RunInProcess({"--info", "--export", File("partial.svg"), "--elements", table, File("broken.xyz")});
    EXPECT_EQ(outcome.status, ExitFailure);
    EXPECT_EQ(outcome.err, "pelmora: Error in *.xyz file in line 4\n");
    EXPECT_EQ(ParseInfo(outcome.out)["atomsRead"].toInt(), 2);
    QFile svg(QString::fromStdString(File("partial.svg")));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_EQ(svg.readAll().count("<ellipse "), 2);
}

// The values of the attributes of every element with the given name, in document order.
std::vector<QXmlStreamAttributes> ElementsNamed(const QString& fileName, const QString& name, QString* error)
{
    QFile file(fileName);
    std::vector<QXmlStreamAttributes> found;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot open " + fileName;
        return found;
    }
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == name)
            found.push_back(reader.attributes());
    }
    *error = reader.hasError() ? reader.errorString() : QString();
    return found;
}

TEST_F(ExportCommandTest, OptionsReachTheDrawing)
{
    // A quarter turn about z puts the pair on the vertical axis; the stick radius bar at 250
    // makes the rectangles half as high as the default.
    const QString svg = QString::fromStdString(File("turned.svg"));
    const CommandOutcome outcome =
        RunInProcess({"--info", "--export", svg.toStdString(), "--sticks", "--stick-length", "54", "--angle-z", "900",
                      "--stick-radius", "250", "--elements", table, pair});
    ASSERT_EQ(outcome.status, ExitSuccess) << outcome.err;
    const float scale = static_cast<float>(ParseInfo(outcome.out)["ScaleXyz"].toDouble());
    QString error;
    const auto balls = ElementsNamed(svg, "ellipse", &error);
    const auto rects = ElementsNamed(svg, "rect", &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(balls.size(), 2u);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_NEAR(balls[0].value("cx").toDouble(), 1500, 1e-3);
    EXPECT_NEAR(balls[1].value("cx").toDouble(), 1500, 1e-3);
    EXPECT_NEAR(std::abs(balls[0].value("cy").toDouble() - balls[1].value("cy").toDouble()), 1.42 * scale, 1e-2);
    const float halfWidth = static_cast<float>(250.0 * scale / 1000);
    EXPECT_EQ(rects[0].value("height").toString().toStdString(), FloatToSvg(static_cast<float>(2.0 * halfWidth)));
    const QString transform = rects[0].value("transform").toString();
    EXPECT_TRUE(transform.startsWith("rotate(90")) << transform.toStdString();
}

TEST(ExportCommandCorpus, EverySvgWrittenFromTheCorpusIsWellFormed)
{
    const std::vector<std::filesystem::path> files = CorpusXyzFiles();
    if (files.empty())
        GTEST_SKIP() << "no corpus of XYZ files (PELMORA_CORPUS_DIR)";
    const TempDir dir;
    int written = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string svg = dir.File(file.stem().string() + ".svg");
        const CommandOutcome outcome = RunInProcess({"--info", "--export", svg, "--sticks", "--stick-length", "54",
                                              "--elements", PELMORA_DATA_DIR "/Atom.txt", file.string()});
        ASSERT_NE(outcome.status, ExitUsage) << outcome.err;
        if (!std::filesystem::exists(svg)) {
            EXPECT_EQ(outcome.status, ExitFailure) << "nothing written, yet no failure";
            continue;
        }
        ++written;
        QString error;
        const auto balls = ElementsNamed(QString::fromStdString(svg), "ellipse", &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_EQ(static_cast<int>(balls.size()), ParseInfo(outcome.out)["atomsAfterRepetition"].toInt());
    }
    EXPECT_GT(written, 0);
}

// ---- the built program ------------------------------------------------------------------------

// The picture through giflib's own decoder.
QImage DecodeGif(const std::string& fileName)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(fileName.c_str(), &error);
    if (gif == nullptr)
        return {};
    QImage picture;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1) {
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map = image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
        picture = QImage(image.ImageDesc.Width, image.ImageDesc.Height, QImage::Format_RGB32);
        for (int y = 0; map != nullptr && y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int index = image.RasterBits[static_cast<std::size_t>(y) * picture.width() + x];
                const GifColorType& colour = map->Colors[index % map->ColorCount];
                picture.setPixel(x, y, qRgb(colour.Red, colour.Green, colour.Blue));
            }
    }
    DGifCloseFile(gif, &error);
    return picture;
}

QImage DecodeWithQt(const std::string& fileName, QByteArray* format)
{
    QImageReader reader(QString::fromStdString(fileName));
    reader.setDecideFormatFromContent(true);
    *format = reader.format();
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

double MeanChannelDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

TEST(PelmoraProgram, ExportsTheExampleInEveryFormatWithoutADisplay)
{
    struct Case {
        const char* out;
        const char* written;
        const char* format;  // as the content says
    };
    const Case cases[] = {
        {"x.bmp", "x.bmp", "bmp"},     {"x.png", "x.png", "png"},
        {"x.PNG", "x.PNG", "png"},     {"x.jpg", "x.jpg", "jpeg"},
        {"x.jpeg", "x.jpeg", "jpeg"},  {"x.gif", "x.gif", "gif"},
        {"x.tif", "x.tif.bmp", "bmp"}, {"noextension", "noextension.bmp", "bmp"},
    };
    const TempDir dir;
    const QString workingDirectory = QString::fromStdString(dir.Path().string());
    // The element table is the one installed beside the program by the build.
    const QStringList options = {"--sticks", "--stick-length",
                                 "54",       "--stick-radius",
                                 "100",      "--atom-radius",
                                 "250",      "--angle-x",
                                 "300",      PELMORA_EXAMPLES_DIR "/benzene.xyz"};
    QImage reference;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        const CommandOutcome outcome = RunProgram(QStringList{"--export", c.out} + options, workingDirectory);
        ASSERT_EQ(outcome.status, ExitSuccess) << outcome.err;
        EXPECT_EQ(outcome.out + outcome.err, "");
        const std::string written = dir.File(c.written);
        ASSERT_TRUE(std::filesystem::exists(written));
        QByteArray format = "gif";
        const QImage picture = std::string(c.format) == "gif" ? DecodeGif(written) : DecodeWithQt(written, &format);
        EXPECT_EQ(format.toStdString(), c.format);
        ASSERT_EQ(picture.size(), QSize(kSide, kSide));
        if (reference.isNull())
            reference = picture;
        if (std::string(c.format) == "jpeg")
            EXPECT_LT(MeanChannelDifference(picture, reference), 2.0);
        else
            EXPECT_TRUE(picture == reference) << "lossless formats decode to the same pixels";
    }
    // Black sticks, white hydrogens, grey carbons and the white background all appear.
    EXPECT_EQ(reference.pixel(5, 5), qRgb(255, 255, 255));
    int carbon = 0, black = 0;
    for (int y = 0; y < kSide; y += 3)
        for (int x = 0; x < kSide; x += 3) {
            carbon += reference.pixel(x, y) == qRgb(0x90, 0x90, 0x90);
            black += reference.pixel(x, y) == qRgb(0, 0, 0);
        }
    EXPECT_GT(carbon, 100);
    EXPECT_GT(black, 100);

    const CommandOutcome svg = RunProgram(QStringList{"--export", "x.svg"} + options, workingDirectory);
    ASSERT_EQ(svg.status, ExitSuccess) << svg.err;
    QString error;
    EXPECT_EQ(ElementsNamed(QString::fromStdString(dir.File("x.svg")), "ellipse", &error).size(), 12u);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
}

TEST(PelmoraProgram, ExitStatusReachesTheCaller)
{
    const TempDir dir;
    const QString workingDirectory = QString::fromStdString(dir.Path().string());
    const QString example = PELMORA_EXAMPLES_DIR "/graphene-cell.xyz";
    // The bundled cell tiles without atoms landing on each other.
    const CommandOutcome tiled = RunProgram(
        {"--info", "--nx", "10", "--ny", "10", "--ax", "2.459512", "--ay", "4.26", example}, workingDirectory);
    EXPECT_EQ(tiled.status, ExitSuccess);
    EXPECT_NE(tiled.out.find("\"atomsAfterRepetition\":400,"), std::string::npos) << tiled.out;
    EXPECT_EQ(RunProgram({"--info", "missing.xyz"}, workingDirectory).status, ExitFailure);
    EXPECT_EQ(RunProgram({"--info", "--nx", "11", example}, workingDirectory).status, ExitUsage);
    // Without --export or --info the window opens; with no display it cannot, and says so.
    const CommandOutcome window = RunProgram({example}, workingDirectory);
    EXPECT_EQ(window.status, ExitFailure);
    EXPECT_NE(window.err.find("there is no display"), std::string::npos) << window.err;
}

// ---- Trajectories and the cells files declare -------------------------------------------------------

// Three frames of a trajectory; the third stops at a line without coordinates (line 12).
const char* const kFrames[] = {"2\nframe 1\nC 0 0 0\nC 1.42 0 0\n", "3\nframe 2\nC 0 0 0\nC 1.42 0 0\nH 2 1 0\n",
                               "2\nframe 3\nH 0 0 0\nC 1\n"};

TEST_F(ExportCommandTest, AFrameOfATrajectoryDrawsAsAFileOfThatFrameAlone)
{
    WriteText(File("frames.xyz"), std::string(kFrames[0]) + kFrames[1] + kFrames[2] + "\n");
    const std::vector<std::string> options = {"--sticks", "--stick-length", "54", "--angle-x",
                                              "300",      "--elements",     table};
    for (const int frame : {1, 2}) {
        SCOPED_TRACE(frame);
        WriteText(File("alone.xyz"), kFrames[frame - 1]);
        std::vector<std::string> alone = {"--export", File("alone.svg")};
        alone.insert(alone.end(), options.begin(), options.end());
        alone.push_back(File("alone.xyz"));
        ASSERT_EQ(RunInProcess(alone).status, ExitSuccess);
        std::vector<std::string> framed = {"--info", "--export", File("framed.svg"), "--frame", std::to_string(frame)};
        framed.insert(framed.end(), options.begin(), options.end());
        framed.push_back(File("frames.xyz"));
        const CommandOutcome outcome = RunInProcess(framed);
        ASSERT_EQ(outcome.status, ExitSuccess) << outcome.err;
        const QJsonObject info = ParseInfo(outcome.out);
        EXPECT_EQ(info["atomsRead"].toInt(), frame + 1);
        EXPECT_EQ(info["frame"].toInt(), frame);
        EXPECT_EQ(info["frames"].toInt(), 3);
        EXPECT_TRUE(ReadBytes(File("framed.svg")) == ReadBytes(File("alone.svg")));
    }
    const CommandOutcome single = RunInProcess({"--info", "--elements", table, pair});
    EXPECT_EQ(ParseInfo(single.out)["frames"].toInt(), 1);

    const CommandOutcome beyond = RunInProcess({"--info", "--frame", "4", "--elements", table, File("frames.xyz")});
    EXPECT_EQ(beyond.status, ExitUsage);
    EXPECT_EQ(beyond.err, "pelmora: --frame 4: the file has 3 frames\n");
    for (const char* wrong : {"0", "-1", "x", "1.5", ""}) {
        const CommandOutcome outcome = RunInProcess({"--info", "--frame", wrong, "--elements", table, pair});
        EXPECT_EQ(outcome.status, ExitUsage) << wrong;
        EXPECT_TRUE(outcome.err.starts_with("pelmora: --frame takes a frame number from 1, a range A-B"))
            << outcome.err;
    }
}

TEST_F(ExportCommandTest, EveryFrameIsWrittenWithItsNumberAndToldInFrameOrder)
{
    WriteText(File("frames.xyz"), std::string(kFrames[0]) + kFrames[1] + kFrames[2]);
    const CommandOutcome all = RunInProcess(
        {"--info", "--export", File("out.png"), "--frame", "all", "--sticks", "--elements", table, File("frames.xyz")});
    EXPECT_EQ(all.status, ExitFailure);  // the third frame is cut short
    EXPECT_EQ(all.err, "pelmora: Error in *.xyz file in line 12\n");
    std::vector<int> frames;
    std::istringstream lines(all.out);
    for (std::string line; std::getline(lines, line);)
        frames.push_back(ParseInfo(line + "\n")["frame"].toInt());
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(FilesIn(dir),
              (std::vector<std::string>{"elements.txt", "frames.xyz", "out-0001.png", "out-0002.png", "out-0003.png",
                                        "pair.xyz"}));
    // Every frame told without --export writes nothing, in the working folder neither.
    const CommandOutcome told = RunProgram({"--info", "--frame", "all", "--elements", "elements.txt", "frames.xyz"},
                                    QString::fromStdString(dir.Path().string()));
    EXPECT_EQ(told.status, ExitFailure);
    EXPECT_EQ(std::count(told.out.begin(), told.out.end(), '\n'), 3) << told.out;
    EXPECT_EQ(FilesIn(dir),
              (std::vector<std::string>{"elements.txt", "frames.xyz", "out-0001.png", "out-0002.png", "out-0003.png",
                                        "pair.xyz"}));
    // Each picture is the one a run for that frame alone writes, whichever worker drew it.
    for (const int frame : {1, 2, 3}) {
        SCOPED_TRACE(frame);
        const CommandOutcome one = RunInProcess({"--export", File("one.bmp"), "--frame", std::to_string(frame),
                                                 "--sticks", "--elements", table, File("frames.xyz")});
        EXPECT_EQ(one.status, frame == 3 ? ExitFailure : ExitSuccess);
        const QImage expected(QString::fromStdString(File("one.bmp")));
        ASSERT_FALSE(expected.isNull());
        // A scene picture is a palette PNG; its pixels are compared, not its format.
        EXPECT_TRUE(
            QImage(QString::fromStdString(FrameOutFile(QString::fromStdString(File("out.png")), frame).toStdString()))
                .convertToFormat(QImage::Format_RGB32)
            == expected.convertToFormat(QImage::Format_RGB32));
    }
}

TEST(ExportCommand, FramesAreNumberedBeforeTheExtensionOfTheLastComponent)
{
    struct Case {
        const char* out;
        int frame;
        const char* written;
    };
    const Case cases[] = {
        {"out.png", 1, "out-0001.png"},
        {"a.b/out", 12, "a.b/out-0012"},
        {"dir/out.tar.svg", 7, "dir/out.tar-0007.svg"},
        {"out.png", 12345, "out-12345.png"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FrameOutFile(c.out, c.frame).toStdString(), c.written);
}

// Each frame is repeated with the cell its comment declares, or the first frame's when it declares
// none; steps given on the command line win.
TEST_F(ExportCommandTest, EveryFrameIsRepeatedWithItsOwnCell)
{
    const std::string atoms = "C 0 0 0\nC 1.42 0 0\n";
    WriteText(File("cells.xyz"),
              "2\nLattice=\"3 0.5 0 1 2 0 0 0 10\"\n" + atoms + "2\nLattice=\"4 0 0 0 5 0 0 0 10\"\n" + atoms
                  + "2\nno cell\n" + atoms);
    EXPECT_TRUE(SvgOfCells({"--frame", "2"}, File("cells.xyz"))
                == SvgOfCells({"--ax", "4", "--ay", "5", "--dx", "0", "--dy", "0"}, pair));
    EXPECT_TRUE(SvgOfCells({"--frame", "3"}, File("cells.xyz"))
                == SvgOfCells({"--ax", "3", "--ay", "2", "--dx", "1", "--dy", "0.5"}, pair));
    EXPECT_TRUE(SvgOfCells({"--frame", "2", "--ax", "7"}, File("cells.xyz"))
                == SvgOfCells({"--ax", "7", "--ay", "5", "--dx", "0", "--dy", "0"}, pair));
}

TEST_F(ExportCommandTest, TheFilesCellGivesTheStepsTheCommandLineLeaves)
{
    // a = (3, 0.5, 0), b = (1, 2, 0): Ax 3, dy 0.5, dx 1, Ay 2.
    const std::string atoms = "C 0 0 0\nC 1.42 0 0\n";
    WriteText(File("cell.xyz"), "2\nLattice=\"3 0.5 0 1 2 0 0 0 10\" Properties=species:S:1:pos:R:3\n" + atoms);
    const std::string declared = SvgOfCells({}, File("cell.xyz"));
    EXPECT_TRUE(declared == SvgOfCells({"--ax", "3", "--ay", "2", "--dx", "1", "--dy", "0.5"}, pair));
    EXPECT_FALSE(declared == SvgOfCells({}, pair));
    EXPECT_TRUE(SvgOfCells({"--ax", "4,5"}, File("cell.xyz"))
                == SvgOfCells({"--ax", "4.5", "--ay", "2", "--dx", "1", "--dy", "0.5"}, pair));
}

}  // namespace
