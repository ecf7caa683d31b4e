#pragma once

#include "PropertyList.h"
#include "RouterEntry.h"

#include <string>
#include <string_view>

// The offline test of a definition's status-page rules against a saved page.

struct TStaticTestResult {
    int statusQuery = 1;
    bool offline = false;   // status query 1
    std::string ipAddress;  // status query 1; empty when none was found
    TPropertyList values;   // status queries 2 to 4: name=value per non-empty value
};

// Turns NUL bytes among the first two bytes of a loaded page into spaces.
void FixLeadingNuls(std::string& loadedData);

// The page text of a loaded file: FixLeadingNuls, then every space and, before
// the first NUL byte, every LF, CR and TAB removed. Works in place.
std::string PreparePage(std::string loadedData);

// Runs status query 1 to 4 of the definition on a prepared page; throws
// std::invalid_argument for another number.
TStaticTestResult TestPreparedPage(const TRouterEntry& entry, std::string_view page, int statusQuery);

// PreparePage, then TestPreparedPage; empty bytes stand for no file.
TStaticTestResult RunPageTest(const TRouterEntry& entry, std::string pageBytes, int statusQuery);
