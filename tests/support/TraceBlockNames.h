#ifndef PELMORA_TESTS_SUPPORT_TRACEBLOCKNAMES_H
#define PELMORA_TESTS_SUPPORT_TRACEBLOCKNAMES_H

// Names of trace blocks for tests. A test uses blocks of its own, so it never disturbs a trace
// viewer that runs on the machine, nor another test that ctest runs beside it. Whatever was made
// under the names a TraceTestBlockNames handed out is removed when it ends, whoever made it (the
// test, the channel, a viewer process or a child the test started), and so is whatever was made
// under their per-user names, where the channel and the viewer go while another user holds a
// name (MTraceBlockName.h).

#include "MTraceBlockName.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

// Where the system keeps the named blocks; tests put other kinds of files under a block's name.
inline std::string ShmPath(const std::string& name) { return "/dev/shm" + name; }

inline bool BlockExists(const std::string& name)
{
    const int fd = shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

class TraceTestBlockNames {
public:
    explicit TraceTestBlockNames(std::string prefix) : prefix_(std::move(prefix)) {}
    ~TraceTestBlockNames() { RemoveAll(); }
    TraceTestBlockNames(const TraceTestBlockNames&) = delete;
    TraceTestBlockNames& operator=(const TraceTestBlockNames&) = delete;

    // "/PREFIX-PID-N": no other call and no other test process hands it out.
    std::string New()
    {
        static std::atomic<int> counter{0};
        std::string name = "/" + prefix_ + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
        names_.push_back(name);
        return name;
    }

    // Also for a test that checks what it leaves behind.
    void RemoveAll() const
    {
        for (const std::string& name : names_) {
            Remove(name);
            Remove(TracePerUserBlockName(name));
        }
    }

private:
    // Blocks go with shm_unlink; the folders that tests put under a name need the file system.
    static void Remove(const std::string& name)
    {
        if (shm_unlink(name.c_str()) == 0)
            return;
        std::error_code ignored;
        std::filesystem::remove(ShmPath(name), ignored);
    }

    std::string prefix_;
    std::vector<std::string> names_;
};

#endif
