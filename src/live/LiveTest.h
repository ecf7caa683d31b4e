#pragma once

#include "HttpSession.h"
#include "LiveRequest.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TPageTest;
struct TRouterEntry;

// The test of a definition against the router itself: its requests sent as
// the monitor sends them, and every status page read by the page test, so
// that a result is the one a saved copy of that response gives.

// Requests that change the router's connection; sent only when chosen.
enum class TLiveAction { None, GoOnline, GoOffline, UserDef1, UserDef2, UserDef3 };

struct TLiveTestOptions {
    std::string address; // as typed: host[:port], optionally with http:// or https://
    TCredentials credentials;
    std::vector<int> statusQueries; // 1 to 4; empty: DefaultStatusQueries
    TLiveAction action = TLiveAction::None;
    TLiveLimits limits;
};

// One request of the plan: its name, the record's text and the status
// queries that read its response.
struct TPlannedRequest {
    std::string name;
    std::string request;
    std::vector<int> statusQueries;
};

struct TLiveQueryResult {
    int statusQuery = 1;
    int page = -1; // the request whose response was read
    std::shared_ptr<const TPageTest> test;
};

struct TLiveTestReport {
    std::vector<std::shared_ptr<const TLiveExchange>> requests;
    std::vector<TLiveQueryResult> results;
    std::vector<int> statusQueries; // those asked for
    TLiveFailure failure = TLiveFailure::None; // the first one
    std::string message;  // German, for the first failure
    bool badInput = false; // nothing was sent: the address is no address, or the user name cannot go out

    // Every request got a 2xx answer and every status query ran.
    bool Succeeded() const;
};

// Status query 1, and 2 to 4 where they have properties.
std::vector<int> DefaultStatusQueries(const TRouterEntry& entry);
// The request text of an action; empty when the definition has none.
const std::string& ActionRequest(const TRouterEntry& entry, TLiveAction action);

// The requests in the order they are sent: the login (AuthString, unless
// the router logs in through HTTP authentication), the chosen action, the
// status page (when a query reads it), the extra pages of the queries, and
// the sign-off.
// `statusQueries` sorted, without repeats.
std::vector<TPlannedRequest> PlanLiveTest(const TRouterEntry& entry, const std::vector<int>& statusQueries,
                                          TLiveAction action);

// Called on the thread that runs the test after each request, with the
// results read from its response.
using TLiveProgress = std::function<void(const std::shared_ptr<const TLiveExchange>& exchange,
                                         const std::vector<TLiveQueryResult>& results)>;

// Runs the test on the calling thread; `cancel` stops it from any other.
TLiveTestReport RunLiveTest(const TRouterEntry& entry, const TLiveTestOptions& options, TLiveCancel& cancel,
                            const TLiveProgress& progress = {});

// The file name a response is saved under: "01-status.htm", "02-status2.htm", ...
std::string SavedPageName(int index, const TLiveExchange& exchange);
