#include "LiveTest.h"

#include "PageEvaluation.h"
#include "RouterEntry.h"

#include <algorithm>

bool TLiveTestReport::Succeeded() const
{
    if (badInput)
        return false;
    const bool answered = std::all_of(requests.begin(), requests.end(), [](const auto& exchange) {
        return exchange->failure == TLiveFailure::None;
    });
    return answered && results.size() == statusQueries.size();
}

std::vector<int> DefaultStatusQueries(const TRouterEntry& entry)
{
    std::vector<int> queries = {1};
    const TPropertyList* lists[] = {&entry.Status2Values, &entry.Status3Values, &entry.Status4Values};
    for (int n = 2; n <= 4; ++n) {
        if (lists[n - 2]->Count() > 0)
            queries.push_back(n);
    }
    return queries;
}

const std::string& ActionRequest(const TRouterEntry& entry, TLiveAction action)
{
    static const std::string none;
    switch (action) {
    case TLiveAction::GoOnline: return entry.GoOnline;
    case TLiveAction::GoOffline: return entry.GoOffline;
    case TLiveAction::UserDef1: return entry.UserDef1;
    case TLiveAction::UserDef2: return entry.UserDef2;
    case TLiveAction::UserDef3: return entry.UserDef3;
    case TLiveAction::None: break;
    }
    return none;
}

std::vector<TPlannedRequest> PlanLiveTest(const TRouterEntry& entry, const std::vector<int>& statusQueries,
                                          TLiveAction action)
{
    const std::vector<int>& queries = statusQueries;
    const std::string* extraPages[] = {&entry.Status2Page, &entry.Status3Page, &entry.Status4Page};
    const auto hasExtraPage = [&](int n) { return n > 1 && !extraPages[n - 2]->empty(); };

    std::vector<TPlannedRequest> plan;
    if (!entry.BrowserAuth && !entry.AuthString.empty())
        plan.push_back({"login", entry.AuthString, {}});
    if (const std::string& request = ActionRequest(entry, action); !request.empty()) {
        const char* names[] = {"", "online", "offline", "user1", "user2", "user3"};
        plan.push_back({names[int(action)], request, {}});
    }
    TPlannedRequest status{"status", entry.StatusPage, {}};
    std::copy_if(queries.begin(), queries.end(), std::back_inserter(status.statusQueries),
                 [&](int n) { return !hasExtraPage(n); });
    if (!status.statusQueries.empty())
        plan.push_back(status);
    for (const int n : queries) {
        if (hasExtraPage(n))
            plan.push_back({"status" + std::to_string(n), *extraPages[n - 2], {n}});
    }
    if (!entry.SignOffURL.empty())
        plan.push_back({"signoff", entry.SignOffURL, {}});
    return plan;
}

TLiveTestReport RunLiveTest(const TRouterEntry& entry, const TLiveTestOptions& options, TLiveCancel& cancel,
                            const TLiveProgress& progress)
{
    TLiveTestReport report;
    std::vector<int>& queries = report.statusQueries;
    queries = options.statusQueries.empty() ? DefaultStatusQueries(entry) : options.statusQueries;
    std::sort(queries.begin(), queries.end());
    queries.erase(std::unique(queries.begin(), queries.end()), queries.end());
    const auto address = ParseRouterAddress(options.address, entry.HTTPPort);
    if (const auto* reason = std::get_if<std::string>(&address)) {
        report.badInput = true;
        report.message = *reason;
        return report;
    }
    // HTTP authentication writes the user name into a header line as it is.
    if (entry.BrowserAuth && options.credentials.user.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        report.badInput = true;
        report.message =
            "Der Benutzername enthält einen Zeilenumbruch; so lässt er sich nicht zur Anmeldung senden.";
        return report;
    }
    const TRouterAddress& router = std::get<TRouterAddress>(address);
    THttpSession session(router, options.credentials, entry.BrowserAuth != 0, options.limits, cancel);
    for (const TPlannedRequest& planned : PlanLiveTest(entry, report.statusQueries, options.action)) {
        auto exchange = std::make_shared<TLiveExchange>(
            session.Send(BuildLiveRequest(planned.name, planned.request, router, options.credentials)));
        const int page = int(report.requests.size());
        std::vector<TLiveQueryResult> results;
        if (!StopsTheTest(exchange->failure)) {
            for (const int n : planned.statusQueries)
                results.push_back({n, page, std::make_shared<const TPageTest>(entry, exchange->body, n, true)});
        }
        if (exchange->failure != TLiveFailure::None && report.failure == TLiveFailure::None) {
            report.failure = exchange->failure;
            report.message = exchange->message;
        }
        report.requests.push_back(exchange);
        report.results.insert(report.results.end(), results.begin(), results.end());
        if (progress)
            progress(exchange, results);
        if (StopsTheTest(exchange->failure))
            break;
    }
    std::sort(report.results.begin(), report.results.end(),
              [](const TLiveQueryResult& a, const TLiveQueryResult& b) { return a.statusQuery < b.statusQuery; });
    return report;
}

std::string SavedPageName(int index, const TLiveExchange& exchange)
{
    const std::string number = std::to_string(index + 1);
    return std::string(number.size() < 2 ? "0" : "") + number + "-" + exchange.name + ".htm";
}
