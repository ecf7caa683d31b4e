#include "RouterDiff.h"

#include "NameCompare.h"
#include "RouterJson.h"

namespace {

// The end of the run of names equal to the one at `begin`.
int EndOfName(const TRouterList& list, int begin)
{
    int end = begin + 1;
    while (end < list.Count() && SameNameNoCase(list.Name(end), list.Name(begin)))
        ++end;
    return end;
}

// Equal as dump shows them: every NaN alike, 0 and -0 apart.
bool SameValue(const TRouterEntry& a, const TRouterEntry& b, const TRouterField& field)
{
    if (std::holds_alternative<double TRouterEntry::*>(field.member))
        return FieldJson(a, field) == FieldJson(b, field);
    return std::visit([&](auto member) { return a.*member == b.*member; }, field.member);
}

std::vector<TFieldChange> ChangedFields(const TRouterEntry& a, const TRouterEntry& b,
                                        const std::set<std::string>& ignored)
{
    std::vector<TFieldChange> changes;
    for (const TRouterField& field : RouterFields()) {
        if (!ignored.contains(field.name) && !SameValue(a, b, field))
            changes.push_back({field.name, FieldJson(a, field), FieldJson(b, field)});
    }
    return changes;
}

} // namespace

std::vector<TRouterDifference> DiffRouters(const TRouterList& a, const TRouterList& b,
                                           const std::set<std::string>& ignored)
{
    using TKind = TRouterDifference::TKind;
    std::vector<TRouterDifference> differences;
    int i = 0;
    int j = 0;
    while (i < a.Count() || j < b.Count()) {
        const int order = i == a.Count()   ? 1
                          : j == b.Count() ? -1
                                           : CompareNamesNoCase(a.Name(i), b.Name(j));
        if (order < 0) {
            differences.push_back({TKind::OnlyInA, a.Name(i++), {}});
            continue;
        }
        if (order > 0) {
            differences.push_back({TKind::OnlyInB, b.Name(j++), {}});
            continue;
        }
        const int endA = EndOfName(a, i);
        const int endB = EndOfName(b, j);
        for (; i < endA && j < endB; ++i, ++j) {
            // Records are read for the comparison alone, so that comparing
            // large files needs little more memory than the files.
            std::vector<TFieldChange> fields;
            a.VisitEntry(i, [&](const TRouterEntry& entryA) {
                b.VisitEntry(j, [&](const TRouterEntry& entryB) { fields = ChangedFields(entryA, entryB, ignored); });
            });
            if (!fields.empty())
                differences.push_back({TKind::Changed, a.Name(i), std::move(fields)});
        }
        for (; i < endA; ++i)
            differences.push_back({TKind::OnlyInA, a.Name(i), {}});
        for (; j < endB; ++j)
            differences.push_back({TKind::OnlyInB, b.Name(j), {}});
    }
    return differences;
}
