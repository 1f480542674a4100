#ifndef PELMORA_TESTS_SUPPORT_TEMPDIR_H
#define PELMORA_TESTS_SUPPORT_TEMPDIR_H

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test.
class TempDir {
public:
    TempDir()
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path()
            / ("pelmora-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

#endif
