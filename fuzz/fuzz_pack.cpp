// Reads any bytes as pack's JSON. What is accepted must write and read back
// as it was read, but where pack notes a change of the editor's writer.
#include "PackReader.h"
#include "RouterFile.h"
#include "RouterJson.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "pack: %s\n", what);
    std::abort();
}

std::string DumpOfRouters(const TRouterList& list)
{
    TLoadResult whole;
    whole.version = kRouterFileVersion;
    return DumpDocument(whole, list);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    std::vector<std::string> notes;
    try {
        notes = ReadPackedRouters(std::string_view(reinterpret_cast<const char*>(data), size), list);
    } catch (const TPackError&) {
        if (!list.Empty())
            Fail("a refused document left routers behind");
        return 0;
    }
    const std::string dumped = DumpOfRouters(list);
    std::string bytes;
    try {
        bytes = SerializeRouterList(list);
    } catch (const TTextTooLong&) {
        Fail("accepted a text the file cannot hold");
    }
    TRouterList back(TRouterList::TOrder::Unsorted);
    if (!ParseRouterFile(bytes, back).complete || back.Count() != list.Count())
        Fail("the written file does not read back whole");
    if (notes.empty() && DumpOfRouters(back) != dumped)
        Fail("a change without a note");
    return 0;
}
