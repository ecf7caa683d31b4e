// Drives the case-insensitive search, the marker search and the page test
// with arbitrary markers and pages; see MarkerSearchCheck.h for the layout.

#include "MarkerSearchCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string failure = CheckMarkerSearchInput({reinterpret_cast<const char*>(bytes), size});
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
