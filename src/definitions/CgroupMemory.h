#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Memory limits of the control groups (version 1 and 2) that a process runs
// in. A container or a service often has far less memory than the machine;
// going beyond its limit gets the process killed without a word.

// The folders of the process's memory groups: in each hierarchy, its own
// group and those above it, up to the top of what the mount shows. They are
// found through `procSelf`, the process's folder in /proc, with "cgroup"
// and "mountinfo".
struct TMemoryGroup {
    std::string dir;
    bool version2;
};
std::vector<TMemoryGroup> MemoryGroups(const std::string& procSelf = "/proc/self");

// What the memory limits of these groups leave the process: for each, its
// limit less what its processes use, not counting the page cache, which
// the system frees when needed; the least of them. Nothing when none has a
// limit or none can be read. Takes no memory of its own.
std::optional<std::uint64_t> MemoryLeftBy(const std::vector<TMemoryGroup>& groups);

// The memory that this process holds now: resident, not shared with others.
std::uint64_t ResidentMemory();
