#ifndef PELMORA_TESTS_SUPPORT_CORPUS_H
#define PELMORA_TESTS_SUPPORT_CORPUS_H

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

// The folder of real-world XYZ files kept beside the project (the environment variable
// PELMORA_CORPUS_DIR, else the folder the build was configured with), or an empty path when it
// is not there; tests that need it skip then.
inline std::filesystem::path CorpusDir()
{
    const char* dir = std::getenv("PELMORA_CORPUS_DIR");
#ifdef PELMORA_CORPUS_DIR_DEFAULT
    if (!dir || !*dir)
        dir = PELMORA_CORPUS_DIR_DEFAULT;
#endif
    if (!dir || !*dir || !std::filesystem::is_directory(dir))
        return {};
    return dir;
}

inline std::vector<std::filesystem::path> CorpusXyzFiles()
{
    std::vector<std::filesystem::path> files;
    const std::filesystem::path dir = CorpusDir();
    if (dir.empty())
        return files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".xyz")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

#endif
