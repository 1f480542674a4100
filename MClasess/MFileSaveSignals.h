#ifndef PELMORA_MCLASESS_MFILESAVESIGNALS_H
#define PELMORA_MCLASESS_MFILESAVESIGNALS_H

// The temporary files of the saves under way (MFileSave.h), kept where a signal handler can
// find them: when SIGINT, SIGTERM or SIGHUP ends the process in the middle of a save, the
// handler that InstallSaveCleanupOnSignals sets up removes them first.
//
// The list is a fixed table of names with atomic states, so that the handler reads it without
// locks or allocation. Up to MaxSavesInFlight saves at a time are listed; a further one runs
// all the same, and its temporary file, should a signal end the process, is removed as a stale
// one by a later save of the same target (MFileSaveLeftovers.h).

#include <csignal>

inline constexpr int MaxSavesInFlight = 32;

// Lists a temporary file (a path as given to open()) until UnlistTemporaryFile. Returns the
// place in the table, or -1 when the table is full or the path too long for it.
[[nodiscard]] int ListTemporaryFile(const char* path) noexcept;
// Takes the file off the list: it was renamed or removed. Does nothing for -1.
void UnlistTemporaryFile(int place) noexcept;

// Holds SIGINT, SIGTERM and SIGHUP back in this thread while a temporary file is made and
// listed, or renamed and taken off the list, so that the handler never meets a file that is
// made but not listed, nor a listed name that already belongs to someone else.
class CleanupSignalsHeld {
public:
    CleanupSignalsHeld() noexcept;
    ~CleanupSignalsHeld();
    CleanupSignalsHeld(const CleanupSignalsHeld&) = delete;
    CleanupSignalsHeld& operator=(const CleanupSignalsHeld&) = delete;

private:
    sigset_t old_;
};

#endif
