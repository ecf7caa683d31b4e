#pragma once

#include <string>
#include <string_view>

// Runs the search, the marker search and the page test on one arbitrary
// input and checks their results against a reference search and the
// invariants callers rely on. Shared by the fuzzer and the replay of the
// inputs it once failed on. Returns what failed, or an empty text.
//
// Input layout: the first byte picks the status query and an occurrence
// count; the rest is split at 0xFF bytes into marker, OfflineCode,
// BeforeIPAddress, AfterIPAddress, any number of property lines, and the
// page as the last piece.
std::string CheckMarkerSearchInput(std::string_view input);
