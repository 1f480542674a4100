#ifndef PELMORA_MCLASESS_MTRACEBLOCKNAME_H
#define PELMORA_MCLASESS_MTRACEBLOCKNAME_H

// Which trace block a user's viewer and traced programs meet in. Both sides resolve the name
// here, each time they open the block, so they agree without telling each other.
//
// Named blocks are shared by all users of the machine, and a block under the base name
// (/MyTraceFileV2) that this user may not trust (MTraceBlockMapping.h) - another user's live
// viewer, one left behind, or one planted there - would lock this user out. So:
//   1. BASE-UID (the effective user id) when a block of this user that passes the checks is
//      there: a viewer of this user fell back to it, and its writers must still find it after
//      the other user's block under the base name has gone;
//   2. otherwise BASE, when nothing is under it or a block this user may trust;
//   3. otherwise BASE-UID.
// The first user of the machine to trace keeps the base name. A block of this user left under
// BASE-UID keeps the user there until it is removed; viewer and writers still agree.
//
// Between looking at the names and opening the block another user may take the base name (or
// a viewer of this user may make or remove its per-user block). The opening itself never
// trusts what the look saw: it checks the opened descriptor again and refuses the other user's
// block. When an opening fails and a second look chooses another name, that name is opened
// instead; no more than that, so names that keep changing cannot hold the caller.

#include "MTraceBlockMapping.h"

#include <optional>
#include <string>
#include <utility>

#include <unistd.h>

struct TraceBlockChoice {
    std::string name;
    // Why the base name was passed over, phrased to follow "the block BASE is ..."; empty when it
    // was chosen, or when this user's block under the per-user name was.
    std::string baseRefusal;
};

struct TraceBlockOpening {
    std::optional<TraceBlockMapping> mapping;  // null when the chosen block cannot be used
    TraceBlockChoice choice;                   // the block opened, or the last one tried
    std::string whyNot;                        // why that one cannot be used, as TraceBlockMapping::Open says
};

inline std::string TracePerUserBlockName(const std::string& baseName)
{
    return baseName + '-' + std::to_string(geteuid());
}

inline TraceBlockChoice TraceChooseBlock(const std::string& baseName)
{
    using Presence = TraceBlockMapping::Presence;
    std::string perUser = TracePerUserBlockName(baseName);
    if (TraceBlockMapping::Look(perUser) == Presence::Trusted)
        return {std::move(perUser), {}};
    std::string whyNot;
    if (TraceBlockMapping::Look(baseName, &whyNot) != Presence::Refused)
        return {baseName, {}};
    return {std::move(perUser), std::move(whyNot)};
}

inline std::string TraceBlockNameForThisUser(const std::string& baseName = TraceDefaultBlockName)
{
    return TraceChooseBlock(baseName).name;
}

// Opens the block choose() names, and once more when that fails and choose() then names another.
// choose is a parameter so that tests can change the names between the look and the opening.
template <class Choose>
TraceBlockOpening TraceOpenChosenBlock(Choose choose, TraceBlockMapping::Mode mode)
{
    constexpr int kAttempts = 2;
    TraceBlockOpening opening;
    opening.choice = choose();
    for (int attempt = 1;; ++attempt) {
        opening.whyNot.clear();
        opening.mapping = TraceBlockMapping::Open(opening.choice.name, mode, &opening.whyNot);
        if (opening.mapping || attempt == kAttempts)
            return opening;
        TraceBlockChoice again = choose();
        if (again.name == opening.choice.name)
            return opening;
        opening.choice = std::move(again);
    }
}

inline TraceBlockOpening TraceOpenBlockForThisUser(const std::string& baseName, TraceBlockMapping::Mode mode)
{
    return TraceOpenChosenBlock([&baseName] { return TraceChooseBlock(baseName); }, mode);
}

#endif
