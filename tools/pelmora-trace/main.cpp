// pelmora-trace: the trace viewer. It registers itself as the receiver of the trace block and
// prints every record that a traced program posts as one tab-separated line:
//   kind  flag  thread  source:line  object  method  expression
// Stop it with Ctrl+C or SIGTERM; it unregisters, and removes the block if it made it.

#include "MTraceBlock.h"

#include <cerrno>
#include <chrono>
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

// Bounds the time between a stop signal and the end of a wait on the block.
constexpr std::chrono::milliseconds kStopCheckInterval{200};

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int)
{
    stopRequested = 1;
}

struct Options {
    std::string blockName = TraceDefaultBlockName;
};

constexpr const char* kUsage = "usage: pelmora-trace [--block /NAME]\n";

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
            options.blockName = argv[++i];
            continue;
        }
        std::fputs(kUsage, stderr);
        exitCode = kExitUsage;
        return std::nullopt;
    }
    return options;
}

// Without SA_RESTART, so that a signal ends the futex wait at once.
void InstallStopHandlers()
{
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed pipe shows up as a failed write, so the viewer can still unregister.
    std::signal(SIGPIPE, SIG_IGN);
}

bool ProcessExists(std::int32_t pid)
{
    return kill(pid, 0) == 0 || errno == EPERM;
}

// Fails when the block has another layout version or another live viewer owns it.
bool Register(const TraceBlock& block, const std::string& blockName)
{
    const std::int32_t version = block.Version().load(std::memory_order_acquire);
    if (version != TraceBlockVersion) {
        PrintError("block " + blockName + " has version " + std::to_string(version) + ", need " +
                   std::to_string(TraceBlockVersion));
        return false;
    }
    const std::int32_t receiver = block.Receiver().load();
    if (receiver > 0 && receiver != getpid() && ProcessExists(receiver)) {
        PrintError("another viewer (process " + std::to_string(receiver) + ") is registered on " + blockName);
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
    line += OneLine(block.ReadText(TraceOffsetSourceFile)) + ':' +
            std::to_string(block.ReadInt32(TraceOffsetLine)) + '\t';
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

int Listen(const TraceBlock& block)
{
    while (stopRequested == 0) {
        const std::int32_t busy = block.Busy().load(std::memory_order_acquire);
        if (busy == TraceBusyPosted) {
            if (!TakeRecord(block)) {
                PrintError("cannot write to standard output");
                return kExitFailed;
            }
            continue;
        }
        block.WaitWhileBusyIs(busy, kStopCheckInterval);
    }
    return kExitStopped;
}

}  // namespace

int main(int argc, char** argv)
{
    int exitCode = kExitFailed;
    const std::optional<Options> options = ParseOptions(argc, argv, exitCode);
    if (!options)
        return exitCode;
    InstallStopHandlers();

    std::optional<TraceBlockMapping> mapping =
        TraceBlockMapping::Open(options->blockName, TraceBlockMapping::Mode::CreateOrOpen);
    if (!mapping) {
        PrintError("cannot open the shared block " + options->blockName);
        return kExitFailed;
    }
    const TraceBlock& block = mapping->Block();
    if (Register(block, options->blockName)) {
        PrintLine("pelmora-trace: listening on " + options->blockName + '\n');
        exitCode = Listen(block);
        Unregister(block);
    }
    if (mapping->Created())
        shm_unlink(options->blockName.c_str());
    return exitCode;
}
