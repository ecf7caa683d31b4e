#include "RoundTripCheck.h"

#include "RouterFile.h"

#include <cstring>

namespace {

std::string StripTabs(std::string_view text)
{
    const std::size_t nul = std::min(text.find('\0'), text.size());
    std::string out;
    for (std::size_t i = 0; i < nul; ++i) {
        if (text[i] != '\t')
            out += text[i];
    }
    out.append(text.substr(nul));
    return out;
}

// What a property list becomes on its way through the file.
TPropertyList ThroughFile(const TPropertyList& props)
{
    TPropertyListBuilder builder;
    for (int i = 0; i < props.Count(); ++i)
        builder.SetValue(props.Name(i), StripTabs(props.Value(props.Name(i))));
    return builder.Finish();
}

} // namespace

bool SameEntry(TRouterEntry a, TRouterEntry b)
{
    if (std::memcmp(&a.SavedAt, &b.SavedAt, sizeof a.SavedAt) != 0)
        return false;
    a.SavedAt = b.SavedAt = 0;
    return a == b;
}

std::string CheckRoundTrip(std::string_view bytes)
{
    TRouterList first(TRouterList::TOrder::Unsorted);
    const TLoadResult loaded = ParseRouterFile(bytes, first);
    if (bytes.empty() != (loaded.complete && !loaded.version))
        return "a file is complete without version exactly when it is empty";
    if (bytes.size() >= 4 && !loaded.version)
        return "no version for a file of 4 bytes or more";
    if (!loaded.complete && loaded.damagedOffset > bytes.size())
        return "damaged offset beyond the end";
    if (!loaded.complete && bytes.size() >= 4 && loaded.damagedOffset < 4)
        return "damaged offset inside the version";
    if (first.Count() > 0 && first.Selected() != 0)
        return "first item not selected";
    for (int i = 0; i < first.Count(); ++i) {
        if (first.Name(i) != first.Entry(i).RouterVendor)
            return "display text differs from RouterVendor";
    }

    // The expected result of the round trip, before the writer touches the
    // records.
    std::vector<TRouterEntry> expected;
    for (int i = 0; i < first.Count(); ++i) {
        TRouterEntry e = first.Entry(i);
        e.OfflineCode = StripTabs(e.OfflineCode);
        e.BeforeIPAddress = StripTabs(e.BeforeIPAddress);
        e.AfterIPAddress = StripTabs(e.AfterIPAddress);
        e.Status2Values = ThroughFile(e.Status2Values);
        e.Status3Values = ThroughFile(e.Status3Values);
        e.Status4Values = ThroughFile(e.Status4Values);
        expected.push_back(std::move(e));
    }

    // Records never read are copied where the writer would write the same
    // bytes: written unread, the list gives the bytes of the list read in
    // full.
    TRouterList unread(TRouterList::TOrder::Unsorted);
    ParseRouterFile(bytes, unread);
    std::string written, writtenUnread;
    try {
        writtenUnread = SerializeRouterList(unread);
        written = SerializeRouterList(first);
    } catch (const TTextTooLong& tooLong) {
        return std::string("a file as read cannot be written again: ") + tooLong.what();
    }
    if (writtenUnread != written)
        return "records copied unread differ from records written";
    for (int i = 0; i < first.Count(); ++i) {
        const TRouterEntry& e = first.Entry(i);
        if (e.OfflineCode != expected[i].OfflineCode || e.BeforeIPAddress != expected[i].BeforeIPAddress ||
            e.AfterIPAddress != expected[i].AfterIPAddress)
            return "the writer left TABs in the HTML fields of record " + std::to_string(i);
    }

    TRouterList second(TRouterList::TOrder::Unsorted);
    const TLoadResult reloaded = ParseRouterFile(written, second);
    if (!reloaded.complete || reloaded.version != kRouterFileVersion)
        return "the written file does not parse completely as version 259";
    if (second.Count() != first.Count())
        return "the written file holds " + std::to_string(second.Count()) + " records instead of " +
               std::to_string(first.Count());
    for (int i = 0; i < second.Count(); ++i) {
        if (!SameEntry(second.Entry(i), expected[i]))
            return "record " + std::to_string(i) + " changed on its way through the file";
    }
    // A pair whose value the writer empties (only TABs before a NUL) is
    // written but dropped when read, so the bytes settle one round later.
    const std::string again = SerializeRouterList(second);
    TRouterList third(TRouterList::TOrder::Unsorted);
    ParseRouterFile(again, third);
    if (SerializeRouterList(third) != again)
        return "the writer does not settle after one round";
    for (int i = 0; i < third.Count(); ++i) {
        if (!SameEntry(third.Entry(i), second.Entry(i)))
            return "record " + std::to_string(i) + " changed in the second round";
    }
    return {};
}
