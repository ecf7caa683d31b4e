// Parses any bytes as a definitions file, writes the list and parses it
// again; see CheckRoundTrip for the rules checked.
#include "RoundTripCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string failure = CheckRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "round trip: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
