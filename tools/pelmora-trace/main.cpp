// pelmora-trace: the trace viewer. It registers itself as the receiver of the trace block and
// prints every record that a traced program posts as one tab-separated line:
//   kind  flag  thread  source:line  object  method  expression
// Stop it with Ctrl+C or SIGTERM; it unregisters, and removes the block if it made it.
//
// The block is the one the traced programs of this user open as well (MTraceBlockName.h): the
// base name, or BASE-UID while another user's block holds the base name. The viewer says which
// one it listens on, and why it passed the base name over.
//
// It holds the viewer lock while it runs, takes over a registration whose viewer has gone,
// frees a claim that a killed writer left behind, refuses a block it cannot trust, and ends
// with a message, not with SIGBUS, when the block is cut short under it.

#include "MTraceBlockName.h"

#include <cerrno>
#include <chrono>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include <signal.h>
#include <unistd.h>

namespace {

constexpr int kExitStopped = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

using Clock = std::chrono::steady_clock;

// Bounds the time between a stop signal and the end of a wait on the block.
constexpr std::chrono::milliseconds kStopCheckInterval{200};
// How often a pending claim is looked at, so an abandoned one is freed soon.
constexpr std::chrono::milliseconds kClaimCheckInterval{20};

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) { stopRequested = 1; }

// The size is looked at before every touch of the block, but another process of the user may
// still cut it short in between: the fault that follows ends the viewer through this jump
// instead of killing it.
sigjmp_buf blockFault;
volatile std::sig_atomic_t guardingBlock = 0;

extern "C" void OnBusError(int signal)
{
    if (guardingBlock != 0)
        siglongjmp(blockFault, 1);
    std::signal(signal, SIG_DFL);
    raise(signal);
}

struct Options {
    std::string baseName = TraceDefaultBlockName;
};

constexpr const char* kUsage =
    "usage: pelmora-trace [--block /NAME]\n"
    "  --block /NAME  the base name of the trace block (default /MyTraceFileV2); while another\n"
    "                 user's block holds it, the block of this user is /NAME-UID\n";

void PrintError(std::string_view message)
{
    std::fputs(("pelmora-trace: " + std::string(message) + '\n').c_str(), stderr);
}

// Null with the exit code when the program should end at once (--help, a bad argument).
std::optional<Options> ParseOptions(int argc, char** argv, int& exitCode)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help") {
            std::fputs(kUsage, stdout);
            exitCode = kExitStopped;
            return std::nullopt;
        }
        // Shared-memory names are one path component with a leading slash.
        if (argument == "--block" && i + 1 < argc && argv[i + 1][0] == '/') {
            options.baseName = argv[++i];
            continue;
        }
        std::fputs(kUsage, stderr);
        exitCode = kExitUsage;
        return std::nullopt;
    }
    return options;
}

// Stop signals without SA_RESTART, so that they end the futex wait at once.
void InstallSignalHandlers()
{
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed pipe shows up as a failed write, so the viewer can still unregister.
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction busError {};
    busError.sa_handler = OnBusError;
    sigemptyset(&busError.sa_mask);
    sigaction(SIGBUS, &busError, nullptr);
}

bool ThreadExists(std::int32_t threadId) { return kill(threadId, 0) == 0 || errno == EPERM; }

// Fails when another live viewer holds the block or the block has another layout version.
// Without the viewer lock held elsewhere, a registered Receiver is stale (its viewer has gone,
// and its number may name another program by now): this viewer takes its place.
bool Register(const TraceBlockMapping& mapping, const std::string& blockName)
{
    const TraceBlock& block = mapping.Block();
    if (!mapping.LockAsViewer()) {
        PrintError("another viewer (process " + std::to_string(block.Receiver().load()) + ") is registered on "
                   + blockName);
        return false;
    }
    const std::int32_t version = block.Version().load(std::memory_order_acquire);
    if (version != TraceBlockVersion) {
        PrintError("block " + blockName + " has version " + std::to_string(version) + ", need "
                   + std::to_string(TraceBlockVersion));
        return false;
    }
    // Whatever a dead viewer left pending is lost; writers wait for a free block.
    block.Writing().store(0);
    block.Busy().store(TraceBusyFree, std::memory_order_release);
    block.Receiver().store(static_cast<std::int32_t>(getpid()), std::memory_order_release);
    return true;
}

void Unregister(const TraceBlock& block)
{
    std::int32_t self = static_cast<std::int32_t>(getpid());
    block.Receiver().compare_exchange_strong(self, 0);
}

// Keeps every record on one line of the output.
std::string OneLine(std::string_view text)
{
    std::string line;
    line.reserve(text.size());
    for (const char c : text) {
        if (c == '\n')
            line += "\\n";
        else if (c == '\t')
            line += "\\t";
        else if (c == '\r')
            line += "\\r";
        else if (static_cast<unsigned char>(c) < 0x20)
            line += '?';
        else
            line += c;
    }
    return line;
}

std::string RecordLine(const TraceBlock& block)
{
    std::string line;
    line += std::to_string(block.ReadInt32(TraceOffsetKind)) + '\t';
    line += std::to_string(block.ReadFlag()) + '\t';
    line += std::to_string(block.ReadInt32(TraceOffsetThreadId)) + '\t';
    line +=
        OneLine(block.ReadText(TraceOffsetSourceFile)) + ':' + std::to_string(block.ReadInt32(TraceOffsetLine)) + '\t';
    line += OneLine(block.ReadText(TraceOffsetObjectName)) + '\t';
    line += OneLine(block.ReadText(TraceOffsetMethod)) + '\t';
    line += OneLine(block.ReadText(TraceOffsetExpression)) + '\n';
    return line;
}

// Flushed per record: the output is often a pipe read while the program runs.
bool PrintLine(const std::string& line)
{
    return std::fwrite(line.data(), 1, line.size(), stdout) == line.size() && std::fflush(stdout) == 0;
}

// Takes a posted record and frees the block for the next writer.
bool TakeRecord(const TraceBlock& block)
{
    const bool printed = PrintLine(RecordLine(block));
    block.Writing().store(0);
    block.Busy().store(TraceBusyFree, std::memory_order_release);
    return printed;
}

// Tells when a claim on the block is one that no writer will complete: its thread has gone
// (killed between claiming and posting), or it has stood for TraceClaimLimit.
class ClaimWatch {
public:
    bool Abandoned(std::int32_t claim, Clock::time_point now)
    {
        if (claim != claim_) {
            claim_ = claim;
            since_ = now;
        }
        const std::int32_t thread = TraceClaimThread(claim);
        return (thread > 0 && !ThreadExists(thread)) || now - since_ >= TraceClaimLimit;
    }
    void Forget() { claim_ = TraceBusyFree; }

private:
    std::int32_t claim_ = TraceBusyFree;
    Clock::time_point since_;
};

// Only this claim is freed: if its writer completes it meanwhile, the record is taken as usual.
void FreeClaim(const TraceBlock& block, std::int32_t claim)
{
    block.Writing().store(0);
    block.Busy().compare_exchange_strong(claim, TraceBusyFree, std::memory_order_release);
}

void PrintCutShort(const TraceBlockMapping& mapping, const std::string& blockName)
{
    PrintError("the block " + blockName + " was cut short to " + std::to_string(mapping.CurrentSize())
               + " bytes under the viewer");
}

int Listen(const TraceBlockMapping& mapping, const std::string& blockName)
{
    const TraceBlock& block = mapping.Block();
    ClaimWatch claims;
    while (stopRequested == 0) {
        if (!mapping.Whole()) {
            PrintCutShort(mapping, blockName);
            return kExitFailed;
        }
        const std::int32_t busy = block.Busy().load(std::memory_order_acquire);
        if (busy == TraceBusyPosted) {
            claims.Forget();
            if (!TakeRecord(block)) {
                PrintError("cannot write to standard output");
                return kExitFailed;
            }
            continue;
        }
        if (busy == TraceBusyFree) {
            claims.Forget();
            block.WaitWhileBusyIs(busy, kStopCheckInterval);
            continue;
        }
        if (claims.Abandoned(busy, Clock::now())) {
            FreeClaim(block, busy);
            claims.Forget();
            continue;
        }
        block.WaitWhileBusyIs(busy, kClaimCheckInterval);
    }
    return kExitStopped;
}

int RegisterAndListen(const TraceBlockMapping& mapping, const std::string& blockName)
{
    if (!Register(mapping, blockName))
        return kExitFailed;
    PrintLine("pelmora-trace: listening on " + blockName + '\n');
    const int exitCode = Listen(mapping, blockName);
    if (mapping.Whole())
        Unregister(mapping.Block());
    return exitCode;
}

// Runs the viewer with a fault of the block turned into a failure with a message.
int Serve(const TraceBlockMapping& mapping, const std::string& blockName)
{
    if (sigsetjmp(blockFault, 1) != 0) {
        guardingBlock = 0;
        PrintCutShort(mapping, blockName);
        return kExitFailed;
    }
    guardingBlock = 1;
    const int exitCode = RegisterAndListen(mapping, blockName);
    guardingBlock = 0;
    return exitCode;
}

}  // namespace

int main(int argc, char** argv)
{
    int exitCode = kExitFailed;
    const std::optional<Options> options = ParseOptions(argc, argv, exitCode);
    if (!options)
        return exitCode;
    InstallSignalHandlers();

    const TraceBlockOpening opening =
        TraceOpenBlockForThisUser(options->baseName, TraceBlockMapping::Mode::CreateOrOpen);
    const std::string& blockName = opening.choice.name;
    if (!opening.choice.baseRefusal.empty())
        PrintError("the block " + options->baseName + " is " + opening.choice.baseRefusal + "; using " + blockName);
    if (!opening.mapping) {
        PrintError("cannot use the shared block " + blockName + ": it is " + opening.whyNot);
        return kExitFailed;
    }
    exitCode = Serve(*opening.mapping, blockName);
    if (opening.mapping->Created())
        shm_unlink(blockName.c_str());
    return exitCode;
}
