// How well proposed rules hold on the next save of the same page: for each
// case of page-pairs/cases.tsv, a rule is proposed from one save and tried
// on the other (both ways), and an offline code from one online/offline
// pair is tried on the other pair. Prints the cases that fail and the
// share that holds.
//
//   bench_rule_generalisation [-v] [FOLDER]     (default: bench/page-pairs;
//                                               -v: every rule, not only misses)

#include "MarkerSearch.h"
#include "PageEvaluation.h"
#include "RuleProposal.h"
#include "mwIPos.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t begin = 0;
    for (std::size_t tab; (tab = line.find('\t', begin)) != std::string::npos; begin = tab + 1)
        fields.push_back(line.substr(begin, tab - begin));
    fields.push_back(line.substr(begin));
    return fields;
}

std::string Expected(const std::string& value, TRuleTarget target)
{
    std::string seen = ValueAsRulesSeeIt(value);
    if (target == TRuleTarget::Property && FindTextNoCase("checked", seen) > 0)
        return "aktiv";
    return seen;
}

std::string Rule(const TRuleProposal& proposal, TRuleTarget target)
{
    if (!proposal.found)
        return "(none: " + proposal.reason + ")";
    return target == TRuleTarget::IPAddress ? proposal.beforeIPAddress + "  ...  " + proposal.afterIPAddress
                                            : proposal.code;
}

// The rule for the value, at its given place where it stands more than once.
TRuleProposal Propose(std::string_view page, const std::string& value, const std::string& place, TRuleTarget target)
{
    if (place.empty())
        return ProposeRuleForValue(page, value, target);
    const std::size_t number = std::stoul(place);
    const std::vector<TValueSpan> places = FindValueInPage(page, ValueAsRulesSeeIt(value), number);
    if (places.size() < number) {
        TRuleProposal none;
        none.reason = "no such place";
        return none;
    }
    return ProposeRule(page, places.back(), target);
}

bool g_verbose = false;

struct TTally {
    int held = 0;
    int tried = 0;
};

void ValueCase(const std::string& folder, const std::vector<std::string>& f, TTally& tally)
{
    const TRuleTarget target = f[2] == "ip" ? TRuleTarget::IPAddress : TRuleTarget::Property;
    const std::string pages[] = {PreparePage(ReadFile(folder + "/" + f[0])), PreparePage(ReadFile(folder + "/" + f[1]))};
    const std::string values[] = {f[3], f[4]};
    for (int from = 0; from < 2; ++from) {
        const int to = 1 - from;
        const TRuleProposal proposal = Propose(pages[from], values[from], f.size() > 6 ? f[5 + from] : "", target);
        const std::string read = proposal.found ? ReadWithRule(proposal, target, pages[to]) : std::string();
        ++tally.tried;
        if (proposal.found && read == Expected(values[to], target)) {
            ++tally.held;
            if (g_verbose)
                std::printf("held %s [%s] '%s': %s\n", f[from].c_str(), f[2].c_str(), values[from].c_str(),
                            Rule(proposal, target).c_str());
            continue;
        }
        const std::size_t places =
            f.size() > 6 ? 1 : FindValueInPage(pages[from], ValueAsRulesSeeIt(values[from]), 100).size();
        std::printf("MISS %s -> %s [%s] '%s' -> '%s'%s\n     rule %s\n     reads '%s'\n", f[from].c_str(),
                    f[to].c_str(), f[2].c_str(), values[from].c_str(), values[to].c_str(),
                    places > 1 ? " (ambiguous)" : "", Rule(proposal, target).c_str(), read.c_str());
    }
}

// The rule proposed from both saves must read both.
void TwoSavesCase(const std::string& folder, const std::vector<std::string>& f, TTally& tally)
{
    const TRuleTarget target = f[2] == "ip" ? TRuleTarget::IPAddress : TRuleTarget::Property;
    const std::string pages[] = {PreparePage(ReadFile(folder + "/" + f[0])), PreparePage(ReadFile(folder + "/" + f[1]))};
    std::vector<TPageValue> given = {{pages[0], f[3], std::nullopt}, {pages[1], f[4], std::nullopt}};
    if (f.size() > 6) {
        given[0].span = FindValueInPage(pages[0], ValueAsRulesSeeIt(f[3]), std::stoul(f[5])).back();
        given[1].span = FindValueInPage(pages[1], ValueAsRulesSeeIt(f[4]), std::stoul(f[6])).back();
    }
    const TRuleProposal proposal = ProposeRuleForPages(given, target);
    ++tally.tried;
    const bool held = proposal.found && ReadWithRule(proposal, target, pages[0]) == Expected(f[3], target)
                      && ReadWithRule(proposal, target, pages[1]) == Expected(f[4], target);
    tally.held += held;
    if (!held)
        std::printf("MISS with both saves %s [%s] '%s': %s\n", f[0].c_str(), f[2].c_str(), f[3].c_str(),
                    Rule(proposal, target).c_str());
}

void OfflineCase(const std::string& folder, const std::vector<std::string>& f, TTally& tally)
{
    std::string pages[4];
    for (int i = 0; i < 4; ++i)
        pages[i] = PreparePage(ReadFile(folder + "/" + f[i]));
    for (int from = 0; from < 2; ++from) {
        const std::string& online = pages[2 * from];
        const std::string& offline = pages[2 * from + 1];
        const TOfflineCodeProposal proposal = ProposeOfflineCode(online, offline);
        TRouterEntry entry = NewRouterEntry();
        entry.OfflineCode = proposal.offlineCode;
        const bool held = proposal.found && !TestPreparedPage(entry, pages[2 * (1 - from)], 1).offline
                          && TestPreparedPage(entry, pages[2 * (1 - from) + 1], 1).offline;
        ++tally.tried;
        tally.held += held;
        if (!held)
            std::printf("MISS offline %s: '%s'\n", f[2 * from].c_str(), proposal.offlineCode.c_str());
        else
            std::printf("offline %s: '%s'\n", f[2 * from].c_str(), proposal.offlineCode.c_str());
    }
}

} // namespace

int main(int argc, char** argv)
{
    g_verbose = argc > 1 && std::string(argv[1]) == "-v";
    const std::string folder = argc > 1 + g_verbose ? argv[1 + g_verbose] : PAGE_PAIRS_DIR;
    std::ifstream cases(folder + "/cases.tsv", std::ios::binary);
    TTally values;
    TTally both;
    TTally offline;
    for (std::string line; std::getline(cases, line);) {
        const std::vector<std::string> fields = Split(line);
        if (fields.size() == 5 && fields[4] == "offline")
            OfflineCase(folder, fields, offline);
        else if (fields.size() >= 5) {
            ValueCase(folder, fields, values);
            TwoSavesCase(folder, fields, both);
        }
    }
    std::printf("values: %d of %d rules read the other save\n", values.held, values.tried);
    std::printf("both saves given: %d of %d rules read both\n", both.held, both.tried);
    std::printf("offline codes: %d of %d hold on the other pair\n", offline.held, offline.tried);
    return 0;
}
