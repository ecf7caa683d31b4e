#pragma once

#include "PropertyList.h"
#include "RouterEntry.h"

#include <string>
#include <string_view>

// The offline test of a definition's status-page rules against a saved page.

struct TStaticTestResult {
    bool offline = false;   // status query 1
    std::string ipAddress;  // status query 1; empty when none was found
    TPropertyList values;   // status queries 2 to 4: name=value per non-empty value
};

// Turns NUL bytes among the first two bytes of a loaded page into spaces.
void FixLeadingNuls(std::string& loadedData);
// In place: FixLeadingNuls, all spaces out, LF, CR and TAB out before the first NUL.
std::string PreparePage(std::string loadedData);
// Status query 1 to 4 of the definition on a prepared page (else std::invalid_argument).
TStaticTestResult TestPreparedPage(const TRouterEntry& entry, std::string_view page, int statusQuery);
// PreparePage, then TestPreparedPage; empty bytes stand for no file.
TStaticTestResult RunPageTest(const TRouterEntry& entry, std::string pageBytes, int statusQuery);
