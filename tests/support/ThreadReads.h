#ifndef PELMORA_TESTS_SUPPORT_THREADREADS_H
#define PELMORA_TESTS_SUPPORT_THREADREADS_H

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

// The bytes this thread has read so far, as the system counts them; nothing where the system
// does not tell. Tests of readers that must stop early compare it before and after a read.
inline std::optional<std::uint64_t> BytesReadByThisThread()
{
    std::ifstream io("/proc/thread-self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return std::nullopt;
}

#endif
