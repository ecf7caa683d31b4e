#pragma once

#include "RouterList.h"

#include <set>
#include <string>
#include <vector>

// The differences between two definitions files, router by router.

struct TFieldChange {
    std::string field; // JSON name of the field
    std::string a, b;  // both values as JSON
};

struct TRouterDifference {
    enum class TKind { OnlyInA, OnlyInB, Changed };
    TKind kind;
    std::string name;                 // display name (Windows-1252)
    std::vector<TFieldChange> fields; // for Changed: every field that differs
};

// Pairs the routers of two lists in sorted order by name, ignoring case;
// of several routers of one name, the first in A goes with the first in B,
// and so on. Lists the routers found on one side only and those whose
// fields differ, in sorted order. Fields named in `ignored` are not
// compared. Both lists must be in sorted order, as read from a file.
std::vector<TRouterDifference> DiffRouters(const TRouterList& a, const TRouterList& b,
                                           const std::set<std::string>& ignored = {});
