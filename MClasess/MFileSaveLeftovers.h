#ifndef PELMORA_MCLASESS_MFILESAVELEFTOVERS_H
#define PELMORA_MCLASESS_MFILESAVELEFTOVERS_H

// Temporary files that a save left behind when its process was killed outright (SIGKILL, a
// crash, a power failure), where no handler could remove them: the next save of the same
// target removes them.

#include <chrono>
#include <string>

// A temporary file not written to for this long belongs to no save in progress: a save writes
// its file from start to end without pause.
inline constexpr std::chrono::seconds StaleTemporaryFileAge{60};

// Removes, in target's folder, the regular files with a temporary name of target's
// (MFileSaveNames.h) that this user owns and that were last written more than
// StaleTemporaryFileAge ago. Anything that fails (a folder that cannot be listed) is left as it
// is: leftovers are no reason to fail a save.
void RemoveStaleTemporaryFiles(const std::string& target);

#endif
