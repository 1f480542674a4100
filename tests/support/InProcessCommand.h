#ifndef PELMORA_TESTS_SUPPORT_INPROCESSCOMMAND_H
#define PELMORA_TESTS_SUPPORT_INPROCESSCOMMAND_H

// The command line run inside the test's own process, as a person types it (without the
// program's name), and the plain file reading and writing its tests share.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <QStringList>

#include "MFileName.h"
#include "RunCommandLine.h"

struct CommandOutcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline CommandOutcome RunInProcess(const std::vector<std::string>& arguments)
{
    QStringList list{"pelmora"};
    for (const std::string& argument : arguments)
        list << FileNameFromBytes(argument);  // as the program's main() decodes them
    std::ostringstream out, err;
    const int status = RunCommandLine(list, out, err);
    return {status, out.str(), err.str()};
}

inline void WriteText(const std::filesystem::path& fileName, const std::string& text)
{
    std::ofstream(fileName, std::ios::binary) << text;
}

inline std::string ReadBytes(const std::filesystem::path& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

#endif
