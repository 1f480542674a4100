// The elements of the symbols on the command line: --map, the symbols of --info, and the line on
// standard error that names the symbols whose elements were guessed.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "ExitCode.h"
#include "InProcessCommand.h"
#include "MFileName.h"
#include "RunCommandLine.h"
#include "TempDir.h"

namespace {

const char* const kElementTable = "Symbol\tRadius\tColor\tRadiusVdW\n"
                                  "H\t0.31\t0x00FFFFFF\t1.20\n"
                                  "He\t0.28\t0x00FFFFD9\t1.40\n"
                                  "O\t0.66\t0x000D0DFF\t1.52\n"
                                  "S\t1.05\t0x0030FFFF\t1.80\n"
                                  "-\t0.70\t0x00FF00FF\t2.00\n";

// Water as written, and as a molecular-dynamics dump writes it: atom types O = 1, H = 2.
const char* const kWater = "3\nwater\nO 0 0 0.1\nH 0.76 0.59 0\nH -0.76 0.59 0\n";
const char* const kWaterDump = "3\nwater\n1 0 0 0.1\n2 0.76 0.59 0\n2 -0.76 0.59 0\n";

class ElementOptionsTest : public ::testing::Test {
protected:
    ElementOptionsTest()
    {
        WriteText(table, kElementTable);
        WriteText(water, kWater);
        WriteText(dump, kWaterDump);
    }

    // The "symbols" of the --info JSON as "symbol element rule atoms".
    static std::vector<std::string> SymbolsOfInfo(const std::string& out)
    {
        std::vector<std::string> rows;
        const QJsonArray symbols = QJsonDocument::fromJson(QByteArray::fromStdString(out)).object()["symbols"].toArray();
        for (const QJsonValue& value : symbols) {
            const QJsonObject row = value.toObject();
            rows.push_back((row["symbol"].toString() + " " + row["element"].toString() + " " + row["rule"].toString()
                            + " " + QString::number(row["atoms"].toInt()))
                               .toStdString());
        }
        return rows;
    }

    TempDir dir;
    const std::string table = dir.File("elements.txt");
    const std::string water = dir.File("water.xyz");
    const std::string dump = dir.File("dump.xyz");
};

TEST_F(ElementOptionsTest, InfoListsEverySymbolAndTheGuessedOnesAreToldOnStandardError)
{
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::vector<std::string> symbols;
        std::string err;
    };
    const std::string hint = " (choose others with --map SYMBOL=ELEMENT)\n";
    const Case cases[] = {
        {"plain water", {water}, {"O O as written 1", "H H as written 2"}, ""},
        {"type-number dump",
         {dump},
         {"1 H atomic number 1", "2 He atomic number 2"},
         "pelmora: Elements guessed by atomic number: 1 -> H, 2 -> He" + hint},
        {"dump with its map", {"--map", "1=O,2=H", dump}, {"1 O chosen 1", "2 H chosen 2"}, ""},
        {"a map in two options, the later entry winning",
         {"--map", "1=S", "--map", "1=O", dump},
         {"1 O chosen 1", "2 He atomic number 2"},
         "pelmora: Elements guessed by atomic number: 2 -> He" + hint},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments{"--info", "--elements", table};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const CommandOutcome run = RunInProcess(arguments);
        EXPECT_EQ(run.status, ExitSuccess);
        EXPECT_EQ(SymbolsOfInfo(run.out), c.symbols);
        EXPECT_EQ(run.err, c.err);
    }
}

TEST_F(ElementOptionsTest, ADumpWithItsMapDrawsTheSameAsTheFileWrittenWithSymbols)
{
    const std::string plain = dir.File("plain.svg");
    const std::string mapped = dir.File("mapped.svg");
    const std::string guessed = dir.File("guessed.svg");
    ASSERT_EQ(RunInProcess({"--export", plain, "--sticks", "--elements", table, water}).status, ExitSuccess);
    ASSERT_EQ(RunInProcess({"--export", mapped, "--sticks", "--elements", table, "--map", "1=O,2=H", dump}).status,
              ExitSuccess);
    ASSERT_EQ(RunInProcess({"--export", guessed, "--sticks", "--elements", table, dump}).status, ExitSuccess);
    EXPECT_EQ(ReadBytes(mapped), ReadBytes(plain));
    EXPECT_NE(ReadBytes(guessed), ReadBytes(plain));
}

TEST_F(ElementOptionsTest, ABadMapEndsWithStatusTwoAndWritesNothing)
{
    struct Case {
        const char* map;
        const char* message;
    };
    const Case cases[] = {
        {"1", "pelmora: --map: '1' is no SYMBOL=ELEMENT\nTry 'pelmora --help' for more information.\n"},
        {"1=O,=H", "pelmora: --map: '=H' is no SYMBOL=ELEMENT\nTry 'pelmora --help' for more information.\n"},
        {"1=O,2=Zz", "pelmora: --map: No element \"Zz\" in the element table\n"},
        // Elements match as the table writes them.
        {"1=o", "pelmora: --map: No element \"o\" in the element table\n"},
    };
    const std::string out = dir.File("out.png");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.map);
        const CommandOutcome run = RunInProcess({"--export", out, "--elements", table, "--map", c.map, dump});
        EXPECT_EQ(run.status, ExitUsage);
        EXPECT_EQ(run.err, c.message);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

}  // namespace
