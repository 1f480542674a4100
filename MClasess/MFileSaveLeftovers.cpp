#include "MFileSaveLeftovers.h"
#include "MFileSaveNames.h"

#include <ctime>
#include <memory>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

bool IsStale(const struct stat& info, const timespec& now)
{
    const auto writtenAgo = std::chrono::seconds(now.tv_sec - info.st_mtim.tv_sec);
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && writtenAgo > StaleTemporaryFileAge;
}

}  // namespace

void RemoveStaleTemporaryFiles(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    const std::string folderName = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    const std::string_view targetName = std::string_view(target).substr(slash == std::string::npos ? 0 : slash + 1);
    const std::unique_ptr<DIR, FolderCloser> folder(::opendir(folderName.c_str()));
    if (!folder)
        return;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const int folderFd = ::dirfd(folder.get());
    while (const dirent* entry = ::readdir(folder.get())) {
        if (!IsTemporaryNameOf(entry->d_name, targetName))
            continue;
        struct stat info {};
        if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && IsStale(info, now))
            (void)::unlinkat(folderFd, entry->d_name, 0);
    }
}
