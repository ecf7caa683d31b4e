#include "CgroupMemory.h"
#include "FileSystem.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <span>
#include <sstream>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ROUTERS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ROUTERS_SANITIZED 1
#endif
#endif

namespace {

// For /proc/self/mountinfo and /proc/self/cgroup, read once.
std::optional<std::string> ReadSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The start of a file of the system (a group's figure, the process's
// status) in a buffer of the caller's: reading how much memory is left
// takes none, since that may be what has run out.
std::string_view ReadInto(const char* path, std::span<char> buffer)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::size_t size = 0;
    while (size < buffer.size()) {
        const ssize_t got = ::read(fd, buffer.data() + size, buffer.size() - size);
        if (got <= 0)
            break;
        size += std::size_t(got);
    }
    ::close(fd);
    return std::string_view(buffer.data(), size);
}

std::optional<std::uint64_t> Number(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> NumberIn(const std::string& dir, const char* name)
{
    char path[4096];
    char text[64];
    std::snprintf(path, sizeof path, "%s/%s", dir.c_str(), name);
    return Number(ReadInto(path, text));
}

// The value of "key value" in the group's memory.stat; 0 when missing.
std::uint64_t StatValue(const std::string& dir, std::string_view key)
{
    char path[4096];
    char text[8192];
    std::snprintf(path, sizeof path, "%s/memory.stat", dir.c_str());
    std::string_view lines = ReadInto(path, text);
    while (!lines.empty()) {
        const std::string_view line = lines.substr(0, lines.find('\n'));
        lines.remove_prefix(std::min(lines.size(), line.size() + 1));
        if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == ' ')
            return Number(line.substr(key.size() + 1)).value_or(0);
    }
    return 0;
}

struct TUsage {
    std::uint64_t limit;
    std::uint64_t used;
};

std::uint64_t Left(const TUsage& usage)
{
    return usage.used < usage.limit ? usage.limit - usage.used : 0;
}

// Version 2: memory.max, and memory.high, beyond which the group is
// throttled hard; "max" means none.
std::optional<TUsage> UsageV2(const std::string& dir)
{
    std::optional<std::uint64_t> limit;
    for (const char* name : {"memory.max", "memory.high"}) {
        if (const auto value = NumberIn(dir, name))
            limit = std::min(limit.value_or(*value), *value);
    }
    const auto current = NumberIn(dir, "memory.current");
    if (!limit || !current)
        return std::nullopt;
    const std::uint64_t cache = StatValue(dir, "file");
    return TUsage{*limit, *current - std::min(cache, *current)};
}

// Version 1: no limit reads as a number near 2^63.
std::optional<TUsage> UsageV1(const std::string& dir)
{
    constexpr std::uint64_t kNoLimit = std::uint64_t(1) << 60;
    const auto limit = NumberIn(dir, "memory.limit_in_bytes");
    const auto usage = NumberIn(dir, "memory.usage_in_bytes");
    if (!limit || *limit >= kNoLimit || !usage)
        return std::nullopt;
    const std::uint64_t cache = StatValue(dir, "total_cache");
    return TUsage{*limit, *usage - std::min(cache, *usage)};
}

// mountinfo writes space, tab, newline and backslash as octal escapes.
std::string Unescaped(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && field.size() - i >= 4) {
            out += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

struct THierarchy {
    bool version2;
    std::string root;       // the group that the mount shows at its top
    std::string mountPoint; // where it shows it
};

bool HasOption(const std::string& options, std::string_view name)
{
    std::istringstream list(options);
    for (std::string option; std::getline(list, option, ',');) {
        if (option == name)
            return true;
    }
    return false;
}

// The mounts of the version 2 hierarchy and of the version 1 memory
// hierarchy.
std::vector<THierarchy> MemoryHierarchies(const std::string& mountinfo)
{
    std::vector<THierarchy> found;
    std::istringstream lines(mountinfo);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::vector<std::string> before;
        std::string field;
        while (fields >> field && field != "-")
            before.push_back(field);
        std::string type, source, options;
        fields >> type >> source >> options;
        if (before.size() < 5)
            continue;
        if (type == "cgroup2" || (type == "cgroup" && HasOption(options, "memory")))
            found.push_back({type == "cgroup2", Unescaped(before[3]), Unescaped(before[4])});
    }
    return found;
}

// The process's group in that hierarchy, from /proc/self/cgroup.
std::optional<std::string> GroupPath(const std::string& cgroups, bool version2)
{
    std::istringstream lines(cgroups);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        if (version2 ? controllers.empty() && line.starts_with("0:") : HasOption(controllers, "memory"))
            return line.substr(second + 1);
    }
    return std::nullopt;
}

// The groups from `path` up to the top of the mount.
void AddGroups(const THierarchy& hierarchy, const std::string& path, std::vector<TMemoryGroup>& groups)
{
    std::string relative;
    if (hierarchy.root == "/")
        relative = path;
    else if (path == hierarchy.root || path.starts_with(hierarchy.root + "/"))
        relative = path.substr(hierarchy.root.size());
    else
        return; // the group lies outside what this mount shows
    std::string dir = hierarchy.mountPoint + (relative == "/" ? "" : relative);
    for (;;) {
        groups.push_back({dir, hierarchy.version2});
        if (dir.size() <= hierarchy.mountPoint.size())
            return;
        dir.erase(dir.rfind('/'));
    }
}

} // namespace

std::vector<TMemoryGroup> MemoryGroups(const std::string& procSelf)
{
    const auto mountinfo = ReadSmallFile(procSelf + "/mountinfo");
    const auto cgroups = ReadSmallFile(procSelf + "/cgroup");
    std::vector<TMemoryGroup> groups;
    if (!mountinfo || !cgroups)
        return groups;
    for (const THierarchy& hierarchy : MemoryHierarchies(*mountinfo)) {
        if (const auto path = GroupPath(*cgroups, hierarchy.version2))
            AddGroups(hierarchy, *path, groups);
    }
    return groups;
}

std::optional<std::uint64_t> MemoryLeftBy(const std::vector<TMemoryGroup>& groups)
{
    std::optional<std::uint64_t> least;
    for (const TMemoryGroup& group : groups) {
        if (const auto usage = group.version2 ? UsageV2(group.dir) : UsageV1(group.dir))
            least = std::min(least.value_or(Left(*usage)), Left(*usage));
    }
    return least;
}

std::uint64_t ResidentMemory()
{
    char text[128];
    std::string_view pages = ReadInto("/proc/self/statm", text);
    std::uint64_t figures[3] = {}; // size, resident, shared
    for (std::uint64_t& figure : figures) {
        const auto [end, error] = std::from_chars(pages.data(), pages.data() + pages.size(), figure);
        pages.remove_prefix(std::min(pages.size(), std::size_t(end - pages.data()) + 1));
    }
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return figures[1] > figures[2] && pageSize > 0 ? (figures[1] - figures[2]) * std::uint64_t(pageSize) : 0;
}

void FailAllocationsBeyondMemoryLimits()
{
#ifdef ROUTERS_SANITIZED
    // The sanitizers reserve terabytes for their shadow memory.
    return;
#else
    const auto left = MemoryLeftBy(MemoryGroups());
    if (!left)
        return;
    // The data limit counts the process's private writable memory, which
    // holds everything it allocates.
    std::istringstream status(ReadSmallFile("/proc/self/status").value_or(""));
    std::uint64_t dataKiB = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmData:"))
            std::istringstream(line.substr(7)) >> dataKiB;
    }
    struct rlimit limit{};
    if (::getrlimit(RLIMIT_DATA, &limit) != 0)
        return;
    // A little room in any case, to say that memory ran out.
    constexpr std::uint64_t kToReport = std::uint64_t(16) << 20;
    const rlim_t wanted = rlim_t(dataKiB * 1024 + std::max(*left, kToReport));
    if (limit.rlim_cur == RLIM_INFINITY || wanted < limit.rlim_cur) {
        limit.rlim_cur = wanted;
        ::setrlimit(RLIMIT_DATA, &limit);
    }
#endif
}
