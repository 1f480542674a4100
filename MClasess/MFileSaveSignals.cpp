#include "MFileSaveSignals.h"
#include "MFileSave.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <thread>

#include <pthread.h>
#include <unistd.h>

namespace {

// A place of the table goes Free -> Taken (its owner writes the name) -> Listed, and back to
// Free when the owner takes the file off the list. A handler turns Listed into Removing while
// it removes the file and then into Removed, which only the owner turns back into Free, so a
// place is never given to a new save while a handler still reads its name.
enum PlaceState : int { Free, Taken, Listed, Removing, Removed };

struct Place {
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only use lock-free atomics");

Place places[MaxSavesInFlight];

constexpr int CleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int CleanupSignalCount = sizeof CleanupSignals / sizeof CleanupSignals[0];
// What each signal did before the handler was set up, in the order of CleanupSignals.
struct sigaction previousActions[CleanupSignalCount];

sigset_t CleanupSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : CleanupSignals)
        sigaddset(&set, signal);
    return set;
}

void RemoveListedFiles() noexcept
{
    for (Place& place : places) {
        int expected = Listed;
        if (!place.state.compare_exchange_strong(expected, Removing, std::memory_order_acquire))
            continue;
        (void)::unlink(place.path);
        place.state.store(Removed, std::memory_order_release);
    }
}

// The handler is set for the signals of CleanupSignals only.
const struct sigaction& PreviousActionOf(int signal)
{
    int i = 0;
    while (i + 1 < CleanupSignalCount && CleanupSignals[i] != signal)
        ++i;
    return previousActions[i];
}

// Removes the temporary files, then lets the signal do what it did before: the handler the
// program had set, or the default action, which ends the process with the signal's status.
void RemoveTemporaryFilesAndPassOn(int signal, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    RemoveListedFiles();
    const struct sigaction& previous = PreviousActionOf(signal);
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        // Held back while this handler runs, the signal arrives again as soon as it returns,
        // now with the default action.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        sigemptyset(&fallback.sa_mask);
        (void)::sigaction(signal, &fallback, nullptr);
        (void)::raise(signal);
    }
    errno = savedErrno;
}

void InstallHandlers()
{
    for (int i = 0; i < CleanupSignalCount; ++i) {
        struct sigaction previous {};
        if (::sigaction(CleanupSignals[i], nullptr, &previous) != 0)
            continue;
        // An ignored signal stays ignored (a program started with nohup keeps running).
        if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        previousActions[i] = previous;
        struct sigaction handler {};
        handler.sa_sigaction = RemoveTemporaryFilesAndPassOn;
        handler.sa_flags = SA_SIGINFO | SA_RESTART;
        // One of the three at a time: a second one waits until the first handler is done.
        handler.sa_mask = CleanupSignalSet();
        (void)::sigaction(CleanupSignals[i], &handler, nullptr);
    }
}

}  // namespace

void InstallSaveCleanupOnSignals()
{
    static std::once_flag installed;
    std::call_once(installed, InstallHandlers);
}

int ListTemporaryFile(const char* path) noexcept
{
    const std::size_t length = std::strlen(path);
    if (length >= PATH_MAX)
        return -1;
    for (int i = 0; i < MaxSavesInFlight; ++i) {
        int expected = Free;
        if (!places[i].state.compare_exchange_strong(expected, Taken, std::memory_order_acquire))
            continue;
        std::memcpy(places[i].path, path, length + 1);
        places[i].state.store(Listed, std::memory_order_release);
        return i;
    }
    return -1;
}

void UnlistTemporaryFile(int place) noexcept
{
    if (place < 0 || place >= MaxSavesInFlight)
        return;
    std::atomic<int>& state = places[place].state;
    for (;;) {
        int expected = Listed;
        if (state.compare_exchange_strong(expected, Free, std::memory_order_acq_rel))
            return;
        expected = Removed;
        if (state.compare_exchange_strong(expected, Free, std::memory_order_acq_rel))
            return;
        // A handler in another thread is removing the file; it is done in a moment.
        std::this_thread::yield();
    }
}

CleanupSignalsHeld::CleanupSignalsHeld() noexcept
{
    const sigset_t held = CleanupSignalSet();
    (void)::pthread_sigmask(SIG_BLOCK, &held, &old_);
}

CleanupSignalsHeld::~CleanupSignalsHeld() { (void)::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
