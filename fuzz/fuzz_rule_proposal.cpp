// Drives the rule proposals with arbitrary pages and values; see
// RuleProposalCheck.h for the layout.

#include "RuleProposalCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string failure = CheckRuleProposalInput({reinterpret_cast<const char*>(bytes), size});
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
