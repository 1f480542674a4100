#ifndef PELMORA_TESTS_SUPPORT_TRACEBLOCKNAMES_H
#define PELMORA_TESTS_SUPPORT_TRACEBLOCKNAMES_H

// Trace tests use shared blocks of their own, so they never disturb a trace viewer that runs on
// the machine, nor each other when ctest runs them side by side.

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

inline std::string UniqueBlockName(const std::string& prefix)
{
    static int counter = 0;
    return "/" + prefix + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

inline bool BlockExists(const std::string& name)
{
    const int fd = shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

#endif
