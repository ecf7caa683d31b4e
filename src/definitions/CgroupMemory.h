#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Memory limits of the control groups (version 1 and 2) that a process runs
// in. A container or a service often has far less memory than the machine;
// going beyond its limit gets the process killed without a word.

// What the memory limits of the process's groups leave it: for each group
// from its own up to the top of the hierarchy, the limit less what the
// group's processes use, not counting the page cache, which the system
// frees when needed. Nothing when no group has a limit or none can be read.
//
// `procSelf` is the process's folder in /proc, with "cgroup" and
// "mountinfo"; the hierarchies are found where mountinfo says.
std::optional<std::uint64_t> CgroupMemoryLeft(const std::string& procSelf = "/proc/self");

// The memory that this process holds now: resident, not shared with others.
std::uint64_t ResidentMemory();
