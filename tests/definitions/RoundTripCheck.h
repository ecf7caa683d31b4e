#pragma once

#include "RouterEntry.h"

#include <string>
#include <string_view>

// Equal records; SavedAt compared bit for bit (a NaN read stays that NaN).
bool SameEntry(TRouterEntry a, TRouterEntry b);

// Parses `bytes`, writes the list again and parses what was written. Returns
// an empty text when every rule holds, otherwise what went wrong:
// - the load result is consistent with the bytes (version, damaged offset);
// - the written file parses completely as version 259;
// - it gives the records of the first parse, with exactly the writer's
//   normalisations applied (TABs before the first NUL removed from the three
//   HTML fields and from property values, property lines written through
//   lookup by name and read back through setting their values);
// - from the second round on, writing and reading change nothing;
// - records that the writer copies without reading them give the same
//   bytes as records read and written.
// - whatever was read can be written again: no text too long for the file
//   survives the reader (a lookup joins a name that holds "=" with its
//   value; the reader cuts such texts).
// Shared by the fuzz target and the regression test.
std::string CheckRoundTrip(std::string_view bytes);
