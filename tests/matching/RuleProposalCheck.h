#pragma once

#include <string>
#include <string_view>

// Runs the rule proposals on one arbitrary input and checks that whatever
// they propose reads its value, or its offline state, with the page test.
// Shared by the fuzzer and the tests. Returns what failed, or an empty
// text; `proposed` counts the proposals made.
//
// Input layout: the first byte picks the rule (bit 0: property, else IP
// address; bit 1: offline code), the next two the start of the value and
// the fourth its length; the rest is the page, or for the offline code the
// online page, a 0xFF byte, and the offline page.
std::string CheckRuleProposalInput(std::string_view input, int* proposed = nullptr);
