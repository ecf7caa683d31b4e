#pragma once

#include "RouterList.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The way back from dump's JSON to records, so that definitions can be kept
// as text.

// JSON that cannot become a definitions file. The message is German and
// names the router and the field.
class TPackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the JSON that dump prints into the (unsorted) list, in the order of
// its "routers" array. Each router needs exactly the 26 fields of a record,
// with their types: whole numbers in the range of the field, SavedAt a
// number or null (a NaN, which dump prints as null), texts of at most 65,535
// bytes in Windows-1252, property lists as arrays of "name=value" texts.
// "version" and "damaged" are allowed at the top and ignored: the file is
// written as the current version. Throws TPackError (also for text that is
// not JSON) and leaves the list empty then.
//
// Returns notes on what the editor's writer changes, so that a dump of the
// written file differs from the JSON there: TABs removed from HTML code and
// property values, the first line's value written for every line of a
// property name that stands more than once, and lines that have no value and
// so are dropped when the file is read.
std::vector<std::string> ReadPackedRouters(std::string_view json, TRouterList& list);
