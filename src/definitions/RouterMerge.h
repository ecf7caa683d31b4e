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
    std::vector<int> merged;  // positions in `chosen` of the routers taken over
    std::vector<int> skipped; // those of the routers left out
    std::vector<std::string> skippedNames;
};

// Takes the routers at `chosen` of `source` (each at most once), in that
// order, over into a list in sorted order (as read from a file), with
// exactly the effect of one window merge per router: AddRouterCopy, then
// ApplyUnchangedSave on the selected entry. Source items are named by their
// RouterVendor, as in a list read from a file. With skipExisting, a router
// whose name the list already holds (ignoring case; an earlier one merged
// counts too) is left out. A few routers are copied; many are moved, in
// n log n, leaving `source` empty, and the entries saved are kept as the
// bytes of the file where that loses nothing (TRecordStore), so that
// merging a large file takes little more memory than reading it.
TMergeResult MergeRouters(TRouterList& list, TRouterList& source, const std::vector<int>& chosen,
                          const TMergeOptions& options);
