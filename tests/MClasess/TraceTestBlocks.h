#ifndef PELMORA_TESTS_MCLASESS_TRACETESTBLOCKS_H
#define PELMORA_TESTS_MCLASESS_TRACETESTBLOCKS_H

// Trace blocks made as another program, or another user, could have left them under a block's
// name.

#include "MTraceBlockMapping.h"
#include "TraceBlockNames.h"

#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// The uid the tests give blocks of another user; a user the system has, who runs no viewer.
inline constexpr uid_t kOtherUser = 65534;

// A block with the mode and size given; false when it cannot be made. Only root can give it to
// another owner.
inline bool MakeBlock(const std::string& name, mode_t mode, off_t size, uid_t owner = geteuid())
{
    const int fd = shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    const bool made = ftruncate(fd, size) == 0 && fchmod(fd, mode) == 0
        && (owner == geteuid() || fchown(fd, owner, static_cast<gid_t>(-1)) == 0);
    close(fd);
    return made;
}

// A block as a viewer of this user leaves it.
inline bool MakeGoodBlock(const std::string& name)
{
    return TraceBlockMapping::Open(name, TraceBlockMapping::Mode::CreateOrOpen).has_value();
}

// A block another user's viewer makes, good in every other way.
inline bool MakeBlockOfAnotherUser(const std::string& name)
{
    return MakeBlock(name, 0600, static_cast<off_t>(TraceBlockSize), kOtherUser);
}

#endif
