#pragma once

#include "RouterList.h"

#include <string>
#include <string_view>
#include <vector>

// Taking routers over from another definitions file, as the editor window's
// "Routers.dat hinzumischen..." does, and the same for many routers at once.

// Adds a copy of `source` that shares nothing with it at its sorted place in
// `list`, selects it, then selects the first entry from the top whose name
// equals the copy's RouterVendor ignoring case: the copy itself, or an entry
// of that name that was there before. Returns the index of the copy.
int AddRouterCopy(TRouterList& list, const TRouterEntry& source);

// What showing a record in the editor window, Ändern and Speichern do to it
// when the user touches no control: HTTPPort held to 1..65535, BrowserAuth
// 0 or 1, AuthString emptied when BrowserAuth is set, every line break of
// Comments, BeforeIPAddress and AfterIPAddress written CR LF, SavedAt set,
// Reserved1 and Reserved2 emptied and ReservedFlag 1. Requests, OfflineCode
// and the property lists stay as they are, since no field is left and so no
// normalisation runs.
void ApplyUnchangedSave(TRouterEntry& record, double savedAt);

// Every CR LF, lone CR and lone LF of text as CR LF, as a memo holds it.
std::string CrLfLineBreaks(std::string_view text);

struct TMergeOptions {
    bool skipExisting = false; // leave out a router whose name the list holds
    double savedAt = 0;        // the time the merged routers are saved at
};

struct TMergeResult {
    std::vector<int> merged;  // indices of the sources taken over
    std::vector<int> skipped; // indices of the sources left out
};

// Merges the sources, in their order, into a list in sorted order (as read
// from a file), with exactly the effect of one window merge per source:
// AddRouterCopy, then ApplyUnchangedSave on the selected entry. With
// skipExisting, a source whose name the list already holds (ignoring case;
// an earlier source merged counts too) is left out. Many sources are merged
// in n log n, not with one pass over the list each.
TMergeResult MergeRouters(TRouterList& list, const std::vector<const TRouterEntry*>& sources,
                          const TMergeOptions& options);
