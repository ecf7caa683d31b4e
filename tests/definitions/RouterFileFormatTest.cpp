// The byte format: reading every layout, writing version 259, the writer's
// normalisations, damaged files.

#include "RoundTripCheck.h"
#include "RouterTestUtil.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <variant>

using namespace routertest;

namespace {

std::string Hex(std::string_view hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        bytes += char(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
        i += 2;
    }
    return bytes;
}

std::string U32(std::uint32_t v)
{
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

std::string Str(std::string_view text)
{
    return std::string{char(text.size()), char(text.size() >> 8)} + std::string(text);
}

TRouterList Parse(std::string_view bytes, TLoadResult* result = nullptr)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    const TLoadResult r = ParseRouterFile(bytes, list);
    if (result)
        *result = r;
    return list;
}

// The layout of a record, written down separately from the reader: each
// field in file order with the lowest version that holds it.
using TMember = std::variant<std::int32_t TRouterEntry::*, std::uint8_t TRouterEntry::*, double TRouterEntry::*,
                             std::string TRouterEntry::*, TPropertyList TRouterEntry::*>;
struct TField {
    TMember member;
    std::uint32_t since;
};

const std::vector<TField>& Layout()
{
    using E = TRouterEntry;
    static const std::vector<TField> fields = {
        {&E::HTTPPort, 258},        {&E::BrowserAuth, 257},     {&E::AuthString, 257},
        {&E::SavedAt, 0},           {&E::RouterVendor, 0},      {&E::RouterVendorURL, 0},
        {&E::Comments, 0},          {&E::GoOnline, 0},          {&E::GoOffline, 0},
        {&E::StatusPage, 0},        {&E::OfflineCode, 0},       {&E::BeforeIPAddress, 0},
        {&E::AfterIPAddress, 0},    {&E::Status2Page, 0},       {&E::Status2Values, 0},
        {&E::UserDef1, 0},          {&E::UserDef2, 0},          {&E::UserDef3, 0},
        {&E::Reserved1, 0},         {&E::Reserved2, 0},         {&E::ReservedFlag, 0},
        {&E::SignOffURL, 259},      {&E::Status3Page, 259},     {&E::Status3Values, 259},
        {&E::Status4Page, 259},     {&E::Status4Values, 259},
    };
    return fields;
}

// Bytes the field takes in the file, for a record whose property lists are
// written as they stand (unique names, non-empty values, no TABs).
std::size_t FieldSize(const TField& field, const TRouterEntry& e)
{
    struct {
        const TRouterEntry& e;
        std::size_t operator()(std::int32_t TRouterEntry::*) const { return 4; }
        std::size_t operator()(std::uint8_t TRouterEntry::*) const { return 1; }
        std::size_t operator()(double TRouterEntry::*) const { return 8; }
        std::size_t operator()(std::string TRouterEntry::*m) const { return 2 + (e.*m).size(); }
        std::size_t operator()(TPropertyList TRouterEntry::*m) const
        {
            std::size_t size = 4;
            for (int i = 0; i < (e.*m).Count(); ++i)
                size += 4 + (e.*m).Name(i).size() + (e.*m).ValueAt(i).size();
            return size;
        }
    } visitor{e};
    return std::visit(visitor, field.member);
}

void CopyField(const TField& field, const TRouterEntry& from, TRouterEntry& to)
{
    std::visit([&](auto member) { to.*member = from.*member; }, field.member);
}

TRouterEntry FreshRecord(std::uint32_t version)
{
    TRouterEntry e;
    if (version < 258)
        e.HTTPPort = 80;
    if (version < 257)
        e.BrowserAuth = 1;
    return e;
}

std::uint32_t VersionOf(std::string_view bytes)
{
    return static_cast<unsigned char>(bytes[0]) | (static_cast<unsigned char>(bytes[1]) << 8) |
           (static_cast<unsigned char>(bytes[2]) << 16) | (std::uint32_t(static_cast<unsigned char>(bytes[3])) << 24);
}

} // namespace

TEST(RouterFileFormat, WritesTheSeventyOneByteExample)
{
    TRouterList list;
    auto entry = Entry("abc");
    entry->SavedAt = 37987.5;
    list.Add("abc", std::move(entry));
    const std::string expected = Hex("03010000 50000000 01 0000 00000000708CE240 0300616263"
                                     "000000000000000000000000000000000000 00000000"
                                     "00000000000000000000 01 00000000 00000000 0000 00000000");
    ASSERT_EQ(expected.size(), 71u);
    EXPECT_EQ(SerializeRouterList(list), expected);

    TLoadResult result;
    TRouterList read = Parse(expected, &result);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.version, 259u);
    ASSERT_EQ(read.Count(), 1);
    EXPECT_TRUE(SameEntry(read.Entry(0), list.Entry(0)));
}

TEST(RouterFileFormat, MinimumRecordSizes)
{
    // 43 bytes below 257, 46 for 257, 50 for 258, 64 for 259 and above.
    for (const auto& [version, size] : std::vector<std::pair<std::uint32_t, std::size_t>>{
             {0, 43}, {256, 43}, {257, 46}, {258, 50}, {259, 64}, {260, 64}, {0x80000000u, 64}}) {
        TLoadResult result;
        TRouterList list = Parse(U32(version) + std::string(size, '\0'), &result);
        EXPECT_TRUE(result.complete) << version;
        EXPECT_EQ(list.Count(), 1) << version;
        Parse(U32(version) + std::string(size - 1, '\0'), &result);
        EXPECT_FALSE(result.complete) << version;
    }
}

TEST(RouterFileFormat, ReadsEveryFieldOfVersion259)
{
    TLoadResult result;
    TRouterList sorted;
    result = ParseRouterFile(Sample("v259-full.dat"), sorted);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.version, 259u);
    ASSERT_EQ(Names(sorted), (std::vector<std::string>{"Alpha DSL-500", "beta \xC4\xD6\xDC", "Gamma"}));
    EXPECT_EQ(sorted.Selected(), 0);

    const TRouterEntry& a = sorted.Entry(0);
    EXPECT_EQ(a.HTTPPort, 8080);
    EXPECT_EQ(a.BrowserAuth, 0);
    EXPECT_EQ(a.AuthString, "<POST>login.cgi?user=%USERNAME%&pw=%PASSWORD%");
    EXPECT_EQ(a.SavedAt, 38353.4567890123);
    EXPECT_EQ(a.RouterVendorURL, "www.alpha.example");
    EXPECT_EQ(a.Comments, "Firmware 1.2\r\nKontakt: a@b.example");
    EXPECT_EQ(a.GoOnline, "cgi-bin/goinet.cgi");
    EXPECT_EQ(a.GoOffline, "cgi-bin/online3.cgi");
    EXPECT_EQ(a.StatusPage, "doc/m5.htm");
    EXPECT_EQ(a.OfflineCode, "<td>0.0.0.0</td>");
    EXPECT_EQ(a.BeforeIPAddress, "IP-Adresse:</td><td>");
    EXPECT_EQ(a.AfterIPAddress, "</td>");
    EXPECT_EQ(a.Status2Page, "st2.htm");
    EXPECT_EQ(a.Status2Values.Lines(),
              (std::vector<std::string>{"Uptime=<td>{2}Zeit:</td><td>", std::string("DNS=DNS:\0\tnach NUL", 18)}));
    EXPECT_EQ(a.UserDef1, "reboot.cgi");
    EXPECT_EQ(a.UserDef2, "u2");
    EXPECT_EQ(a.UserDef3, "u3");
    EXPECT_EQ(a.Reserved1, "r1");
    EXPECT_EQ(a.Reserved2, "r2");
    EXPECT_EQ(a.ReservedFlag, 0);
    EXPECT_EQ(a.SignOffURL, "logout.cgi");
    EXPECT_EQ(a.Status3Page, "st3.htm");
    EXPECT_EQ(a.Status3Values.Lines(), (std::vector<std::string>{"Gr\xF6\xDF" "e={startpos=100}x=y"}));
    EXPECT_EQ(a.Status3Values.Value("GR\xD6\xDF" "E"), "{startpos=100}x=y");
    EXPECT_EQ(a.Status4Page, "st4.htm");
    EXPECT_EQ(a.Status4Values.Lines(), (std::vector<std::string>{"A=1", "b=2", "C=3"}));

    EXPECT_EQ(sorted.Entry(1).BrowserAuth, 2);
    EXPECT_EQ(sorted.Entry(1).SavedAt, -1.5);
    EXPECT_EQ(sorted.Entry(1).OfflineCode, std::string("off\0\tline", 9));
    EXPECT_EQ(sorted.Entry(2).HTTPPort, 65535);
    EXPECT_EQ(sorted.Entry(2).Comments, std::string(300, 'x'));
    EXPECT_EQ(sorted.Entry(2).ReservedFlag, 7);
}

TEST(RouterFileFormat, UntouchedVersion259FileIsWrittenByteForByte)
{
    const std::string bytes = Sample("v259-full.dat");
    TRouterList list;
    ParseRouterFile(bytes, list);
    EXPECT_EQ(SerializeRouterList(list), bytes);

    // Changing one record leaves the bytes of the records before it alone.
    const std::string before = SerializeRouterList(list);
    list.Entry(2).Comments = "kurz";
    const std::string after = SerializeRouterList(list);
    const std::size_t gammaStart = before.size() - (64 + 5 + 300); // record of "Gamma"
    EXPECT_EQ(after.substr(0, gammaStart), before.substr(0, gammaStart));
    EXPECT_EQ(after.size(), before.size() - 296);
}

TEST(RouterFileFormat, ReadsOlderLayoutsWithTheirDefaults)
{
    struct Case {
        const char* file;
        std::uint32_t version;
    };
    for (const Case& c : {Case{"v258.dat", 258}, Case{"v257.dat", 257}, Case{"v256.dat", 256}, Case{"v0.dat", 0}}) {
        SCOPED_TRACE(c.file);
        TLoadResult result;
        TRouterList list;
        result = ParseRouterFile(Sample(c.file), list);
        EXPECT_TRUE(result.complete);
        EXPECT_EQ(result.version, c.version);
        ASSERT_EQ(Names(list), (std::vector<std::string>{"Old One", "old two"}));
        const TRouterEntry& one = list.Entry(0);
        const TRouterEntry& two = list.Entry(1);
        EXPECT_EQ(one.SavedAt, 37987.5);
        EXPECT_EQ(one.GoOnline, "on.cgi");
        EXPECT_EQ(one.UserDef1, "u1");
        EXPECT_EQ(one.Status2Values.Lines(), std::vector<std::string>{"P=v"});
        EXPECT_EQ(one.ReservedFlag, 3);
        // HTTPPort from 258 on, else 80.
        EXPECT_EQ(two.HTTPPort, c.version >= 258 ? 81 : 80);
        // BrowserAuth and AuthString from 257 on, else true and empty.
        EXPECT_EQ(two.BrowserAuth, c.version >= 257 ? 0 : 1);
        EXPECT_EQ(two.AuthString, c.version >= 257 ? "auth" : "");
        for (const TRouterEntry* e : {&one, &two}) {
            EXPECT_EQ(e->SignOffURL, "");
            EXPECT_EQ(e->Status3Page, "");
            EXPECT_EQ(e->Status4Page, "");
            EXPECT_TRUE(e->Status3Values.Empty());
            EXPECT_TRUE(e->Status4Values.Empty());
        }

        // Saved again as version 259; reading that gives the same records.
        const std::string written = SerializeRouterList(list);
        EXPECT_EQ(VersionOf(written), 259u);
        TRouterList again;
        EXPECT_TRUE(ParseRouterFile(written, again).complete);
        ASSERT_EQ(again.Count(), 2);
        for (int i = 0; i < 2; ++i)
            EXPECT_TRUE(SameEntry(again.Entry(i), list.Entry(i)));
    }
}

TEST(RouterFileFormat, VersionsAboveTheNewestReadLikeIt)
{
    TRouterList newest, above;
    ParseRouterFile(Sample("v259-full.dat"), newest);
    const TLoadResult result = ParseRouterFile(Sample("v4294967295.dat"), above);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.version, 0xFFFFFFFFu);
    ASSERT_EQ(above.Count(), 1);
    EXPECT_TRUE(SameEntry(above.Entry(0), newest.Entry(0)));

    // 0x80000000 is negative as a signed number, but the layout is 259's.
    std::string bytes = Sample("v259-full.dat");
    bytes.replace(0, 4, U32(0x80000000u));
    TRouterList high;
    EXPECT_TRUE(ParseRouterFile(bytes, high).complete);
    EXPECT_EQ(high.Count(), 3);
}

TEST(RouterFileFormat, ShortFiles)
{
    TLoadResult result;
    TRouterList list = Parse("", &result);
    EXPECT_TRUE(result.complete);
    EXPECT_FALSE(result.version);
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(list.HasSelection());
    for (const std::string& bytes : {std::string("\x03"), std::string("\x03\x01"), std::string("\x03\x01\0", 3)}) {
        list = Parse(bytes, &result);
        EXPECT_FALSE(result.complete);
        EXPECT_FALSE(result.version);
        EXPECT_EQ(result.damagedOffset, 0u);
        EXPECT_TRUE(list.Empty());
    }
    list = Parse(U32(259), &result);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(result.version, 259u);
    EXPECT_TRUE(list.Empty());
}

TEST(RouterFileFormat, UnsortedListKeepsFileOrder)
{
    const std::string bytes = Sample("v259-normalise.dat");
    TRouterList sorted, unsorted(TRouterList::TOrder::Unsorted);
    ParseRouterFile(bytes, sorted);
    ParseRouterFile(bytes, unsorted);
    EXPECT_EQ(Names(sorted), (std::vector<std::string>{"Eta", "zeta"}));
    EXPECT_EQ(Names(unsorted), (std::vector<std::string>{"zeta", "Eta"}));
    EXPECT_EQ(unsorted.Selected(), 0);
}

TEST(RouterFileFormat, PropertyPairsAreReadBySettingValues)
{
    TRouterList list = Parse(Sample("v259-normalise.dat"));
    // Pairs x=1, X=2, gone=g, GONE=(empty), empty=(empty), y=v<TAB>w: the
    // second x replaces the first in place, an empty value deletes or adds
    // nothing.
    EXPECT_EQ(list.Entry(0).Status2Values.Lines(), (std::vector<std::string>{"X=2", "y=v\tw"}));
}

TEST(RouterFileFormat, WriterRemovesTabsBeforeTheFirstNul)
{
    TRouterList list = Parse(Sample("v259-normalise.dat"));
    const std::string written = SerializeRouterList(list);
    TRouterEntry& zeta = list.Entry(0);
    // The three HTML fields lose them in the record itself.
    EXPECT_EQ(zeta.OfflineCode, std::string("ab\0c\td", 6));
    EXPECT_EQ(zeta.BeforeIPAddress, "");
    EXPECT_EQ(zeta.AfterIPAddress, "x");
    // Property values lose them in the file only.
    EXPECT_EQ(zeta.Status2Values.Value("y"), "v\tw");
    TRouterList read = Parse(written);
    EXPECT_EQ(read.Entry(0).OfflineCode, std::string("ab\0c\td", 6));
    EXPECT_EQ(read.Entry(0).Status2Values.Lines(), (std::vector<std::string>{"X=2", "y=vw"}));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\t'), 1) << "only the TAB behind the NUL stays";
}

TEST(RouterFileFormat, PropertyLinesAreWrittenThroughLookupByName)
{
    TRouterList list;
    auto entry = Entry("p");
    entry->Status2Values.Add("x=1");
    entry->Status2Values.Add("X=2");
    entry->Status3Values.Add("a=b=c");
    entry->Status3Values.Add("noequals");
    entry->Status3Values.Add("=v");
    list.Add("p", std::move(entry));
    const std::string written = SerializeRouterList(list);
    // Status2Values: two pairs x,1 and X,1.
    const std::string pairs2 = U32(2) + Str("x") + Str("1") + Str("X") + Str("1");
    EXPECT_NE(written.find(pairs2), std::string::npos);
    // Status3Values: a,b=c; then a line without "=" has the empty name, whose
    // lookup finds the line "=v".
    const std::string pairs3 = U32(3) + Str("a") + Str("b=c") + Str("") + Str("v") + Str("") + Str("v");
    EXPECT_NE(written.find(pairs3), std::string::npos);

    TRouterList read = Parse(written);
    EXPECT_EQ(read.Entry(0).Status2Values.Lines(), std::vector<std::string>{"X=1"});
    EXPECT_EQ(read.Entry(0).Status3Values.Lines(), (std::vector<std::string>{"a=b=c", "=v"}));
}

TEST(RouterFileFormat, KeepsBytesTheEditorDoesNotInterpret)
{
    TRouterList list;
    auto entry = Entry("raw");
    entry->BrowserAuth = 2;
    entry->ReservedFlag = 0xFF;
    entry->HTTPPort = -7;
    const std::uint64_t nanBits = 0x7FF4000000ABCDEFull;
    std::memcpy(&entry->SavedAt, &nanBits, 8);
    entry->Comments = std::string("\0\x81\xFF\r\n", 5);
    list.Add("raw", std::move(entry));
    const std::string written = SerializeRouterList(list);
    TRouterList read = Parse(written);
    EXPECT_TRUE(SameEntry(read.Entry(0), list.Entry(0)));
    EXPECT_EQ(SerializeRouterList(read), written);
}

TEST(RouterFileFormat, TooLongTextIsRefusedBeforeAnyRecordChanges)
{
    TRouterList list;
    auto first = Entry("a");
    first->OfflineCode = "with\ttab";
    list.Add("a", std::move(first));
    auto second = Entry("b");
    second->Comments = std::string(kMaxTextLength + 1, 'c');
    list.Add("b", std::move(second));
    try {
        SerializeRouterList(list);
        FAIL() << "no TTextTooLong";
    } catch (const TTextTooLong& e) {
        EXPECT_EQ(e.routerIndex, 1);
        EXPECT_EQ(e.routerName, "b");
        EXPECT_EQ(e.field, "Sonstige Kommentare");
        EXPECT_EQ(e.length, kMaxTextLength + 1);
        EXPECT_NE(std::string(e.what()).find("\"b\""), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("Sonstige Kommentare"), std::string::npos);
    }
    EXPECT_EQ(list.Entry(0).OfflineCode, "with\ttab");

    // Exactly 65,535 bytes fit; so does a longer HTML text that the TAB
    // removal brings down to 65,535.
    list.Entry(1).Comments.pop_back();
    list.Entry(1).AfterIPAddress = std::string(kMaxTextLength, 'h') + "\t";
    const std::string written = SerializeRouterList(list);
    TRouterList read = Parse(written);
    EXPECT_EQ(read.Entry(1).Comments.size(), kMaxTextLength);
    EXPECT_EQ(read.Entry(1).AfterIPAddress, std::string(kMaxTextLength, 'h'));

    // Property values count after their TABs are gone, names as they are.
    list.Entry(1).Status4Values.Add("n=" + std::string(kMaxTextLength + 1, 'v'));
    EXPECT_THROW(SerializeRouterList(list), TTextTooLong);
    list.Entry(1).Status4Values.Put(0, "n=\t" + std::string(kMaxTextLength, 'v'));
    EXPECT_NO_THROW(SerializeRouterList(list));
    list.Entry(1).Status4Values.Put(0, std::string(kMaxTextLength + 1, 'n') + "=v");
    try {
        SerializeRouterList(list);
        FAIL() << "no TTextTooLong";
    } catch (const TTextTooLong& e) {
        EXPECT_EQ(e.field, "Name einer Eigenschaft der Statusabfrage 4");
    }
}

// Every prefix of every sample: the complete records stay, the cut record
// is shown when its name was read in full and then keeps exactly the fields
// that the prefix holds in full, and the damaged offset is where the first
// missing field begins.
TEST(RouterFileFormat, EveryTruncatedPrefixKeepsWhatItHolds)
{
    for (const char* file : {"v259-full.dat", "v258.dat", "v257.dat", "v256.dat", "v0.dat", "v4294967295.dat"}) {
        SCOPED_TRACE(file);
        const std::string bytes = Sample(file);
        const std::uint32_t version = VersionOf(bytes);
        TRouterList full = Parse(bytes);

        // Where each field of each record begins and ends.
        struct Span {
            int record;
            const TField* field;
            std::size_t start, end;
        };
        std::vector<Span> spans;
        std::vector<std::size_t> recordStarts;
        std::size_t pos = 4;
        for (int r = 0; r < full.Count(); ++r) {
            recordStarts.push_back(pos);
            for (const TField& field : Layout()) {
                if (version < field.since)
                    continue;
                const std::size_t size = FieldSize(field, full.Entry(r));
                spans.push_back({r, &field, pos, pos + size});
                pos += size;
            }
        }
        ASSERT_EQ(pos, bytes.size()) << "layout of the test disagrees with the sample";

        for (std::size_t length = 4; length <= bytes.size(); ++length) {
            SCOPED_TRACE(length);
            // The prefix in a buffer of its own, so that ASan sees any read
            // beyond it.
            const std::unique_ptr<char[]> buffer(new char[length]);
            std::memcpy(buffer.get(), bytes.data(), length);
            TLoadResult result;
            TRouterList cut = Parse(std::string_view(buffer.get(), length), &result);
            EXPECT_EQ(result.version, version);

            int complete = 0;
            while (complete < full.Count() &&
                   (complete + 1 < full.Count() ? recordStarts[complete + 1] : bytes.size()) <= length)
                ++complete;
            const bool atBoundary = complete == full.Count() || recordStarts[complete] == length;
            // A cut record is shown only when its name was read in full.
            const bool named = !atBoundary && std::any_of(spans.begin(), spans.end(), [&](const Span& span) {
                return span.record == complete &&
                       std::get_if<std::string TRouterEntry::*>(&span.field->member) &&
                       std::get<std::string TRouterEntry::*>(span.field->member) == &TRouterEntry::RouterVendor &&
                       span.end <= length;
            });
            ASSERT_EQ(cut.Count(), complete + (named ? 1 : 0));
            EXPECT_EQ(result.complete, atBoundary);
            for (int r = 0; r < complete; ++r)
                EXPECT_TRUE(SameEntry(cut.Entry(r), full.Entry(r))) << "record " << r;
            if (atBoundary)
                continue;

            TRouterEntry expected = FreshRecord(version);
            std::size_t damaged = 0;
            for (const Span& span : spans) {
                if (span.record != complete)
                    continue;
                if (span.end <= length && damaged == 0)
                    CopyField(*span.field, full.Entry(complete), expected);
                else if (damaged == 0)
                    damaged = span.start;
            }
            EXPECT_EQ(result.damagedOffset, damaged);
            if (!named)
                continue;
            EXPECT_TRUE(SameEntry(cut.Entry(complete), expected));
            EXPECT_EQ(cut.Name(complete), expected.RouterVendor);
        }
    }
}

TEST(RouterFileFormat, CountsNeverOutgrowTheFile)
{
    // A property count of two billion, a string length of 65,535 and a
    // negative count, each followed by far fewer bytes.
    const std::string head = U32(259) + U32(80) + "\x01" + Str("") + std::string(8, '\0') + Str("huge");
    const std::string strings9 = std::string(2 * 9, '\0');
    TLoadResult result;

    const auto start = std::chrono::steady_clock::now();
    TRouterList list = Parse(head + strings9 + U32(2000000000u) + Str("a") + Str("b") + Str("c"), &result);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.damagedOffset, head.size() + strings9.size());
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Entry(0).RouterVendor, "huge");
    EXPECT_TRUE(list.Entry(0).Status2Values.Empty()) << "a cut list stays empty";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    list = Parse(head + std::string("\xFF\xFF") + "short", &result);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.damagedOffset, head.size());
    EXPECT_EQ(list.Entry(0).RouterVendorURL, "") << "a cut string stays empty";

    // A negative count means no pairs; the record goes on after it.
    list = Parse(head + strings9 + U32(0xFFFFFFFFu) + std::string(2 * 5 + 1, '\0') + std::string(14, '\0'),
                 &result);
    EXPECT_TRUE(result.complete);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_TRUE(list.Entry(0).Status2Values.Empty());
}

TEST(RouterFileFormat, ManyRecordsLoadQuickly)
{
    TRouterList list;
    std::vector<TRouterItem> items;
    for (int i = 0; i < 100000; ++i) {
        auto entry = Entry("Router " + std::to_string((i * 7919) % 100000));
        entry->Status2Values.Add("Eigenschaft=" + std::to_string(i));
        items.push_back({entry->RouterVendor, std::move(entry)});
    }
    list.AddAll(std::move(items));
    const std::string bytes = SerializeRouterList(list);
    const auto start = std::chrono::steady_clock::now();
    TRouterList read;
    EXPECT_TRUE(ParseRouterFile(bytes, read).complete);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(read.Count(), 100000);
    EXPECT_EQ(SerializeRouterList(read), bytes);
    // Generous, for sanitizer builds; a quadratic reader takes minutes.
    EXPECT_LT(elapsed, std::chrono::seconds(20));
}

TEST(RouterFileFormat, StrayBytesAfterTheLastRecordAddNoRouter)
{
    const std::string bytes = Sample("v259-full.dat");
    TRouterList whole = Parse(bytes);
    // One byte, and a record cut inside the field before its name.
    const std::pair<std::string, std::size_t> strays[] = {{std::string(1, '\0'), 0},
                                                          {std::string("\x50\0\0\0\x01\x03\0ab", 9), 5}};
    for (const auto& [stray, damagedAt] : strays) {
        TLoadResult result;
        TRouterList list = Parse(bytes + stray, &result);
        EXPECT_FALSE(result.complete);
        EXPECT_EQ(result.damagedOffset, bytes.size() + damagedAt);
        EXPECT_EQ(Names(list), Names(whole)) << "no nameless router with port 0";
    }
    // A record cut right behind its name is shown.
    TRouterList list = Parse(bytes + U32(80) + "\x01" + Str("") + std::string(8, '\0') + Str("named"));
    EXPECT_EQ(list.Count(), whole.Count() + 1);
    EXPECT_EQ(list.Name(whole.Count()), "named");
}

TEST(RouterFileFormat, JoinedTextTooLongIsCutWhenRead)
{
    // The pair ("a=" + 65,000 x, 1,000 y) becomes the line a=xx…x=yy…y,
    // whose name is "a" and whose value is 66,001 bytes: it fits no string.
    // TABs do not count, as the writer drops them.
    const std::string t(60000, 't'), u(60000, 'u');
    std::string bytes = Sample("v259-full.dat").substr(0, 4) + std::string(4 + 1 + 2 + 8, '\0') + Str("long") +
                        std::string(2 * 9, '\0') + U32(1) + Str("a=" + std::string(65000, 'x')) +
                        Str(std::string(1000, 'y')) + std::string(2 * 5 + 1 + 2 + 2, '\0') + U32(3) +
                        Str("t=\t\t" + t) + Str(std::string(5535, 't') + "\t") + Str("u=\t\t" + u) +
                        Str(std::string(5534, 'u') + "\t") + Str("ok") + Str("1") + Str("") + U32(0);
    TLoadResult result;
    TRouterList list = Parse(bytes, &result);
    ASSERT_TRUE(result.complete);
    EXPECT_FALSE(result.Faithful());
    const TPropertyList& two = list.Entry(0).Status2Values;
    ASSERT_EQ(two.Count(), 1);
    EXPECT_EQ(two.Name(0), "a");
    EXPECT_EQ(two.ValueAt(0), std::string(65000, 'x') + "=" + std::string(534, 'y'));
    const TPropertyList& three = list.Entry(0).Status3Values;
    EXPECT_EQ(three.Value("t"), "\t\t" + t + "=" + std::string(5534, 't'));
    EXPECT_EQ(three.Value("u"), "\t\t" + u + "=" + std::string(5534, 'u') + "\t") << "fits without its TABs";
    EXPECT_EQ(three.Value("ok"), "1");
    ASSERT_EQ(result.cutTexts.size(), 2u);
    EXPECT_EQ(result.cutTexts[0].router.Bytes(), "long");
    EXPECT_EQ(result.cutTexts[0].field, "Eigenschaft \"a\" der Statusabfrage 2");
    EXPECT_EQ(result.cutTexts[0].length, 66001u);
    EXPECT_EQ(result.cutTexts[1].field, "Eigenschaft \"t\" der Statusabfrage 3");
    EXPECT_EQ(result.cutTexts[1].length, 65536u);

    // Every later save goes through, with 65,535 bytes for each text.
    TRouterList read = Parse(SerializeRouterList(list));
    EXPECT_EQ(read.Entry(0).Status2Values.ValueAt(0).size(), 65535u);
    EXPECT_EQ(read.Entry(0).Status3Values.Value("t").size(), 65535u);
    EXPECT_EQ(read.Entry(0).Status3Values.Value("u").size(), 65535u);
}

// Records are read when first needed; the writer copies those it would
// write unchanged, and reads the others.
TEST(RouterFileFormat, RecordsWrittenUnchangedAreCopiedUnread)
{
    // One record of each kind, then the same record once more.
    const std::string head = U32(80) + "\x02" + Str("login") + std::string(8, '\x11');
    const auto record = [&](const std::string& name, const std::string& offline, const std::string& pairs,
                            std::uint32_t count) {
        return head + Str(name) + std::string(2 * 5, '\0') + Str(offline) + std::string(2 * 3, '\0') +
               U32(count) + pairs + std::string(2 * 5, '\0') + "\x07" + std::string(2 * 2, '\0') + U32(0) +
               Str("") + U32(0);
    };
    const std::string plain = record("plain", "off", Str("a") + Str("1") + Str("b") + Str("2"), 2);
    const std::string withTab = record("tab", "o\tff", "", 0);
    const std::string twoAlike = record("alike", "off", Str("a") + Str("1") + Str("A") + Str("2"), 2);
    const std::string emptyValue = record("empty", "off", Str("a") + Str(""), 1);
    const std::string negative = record("negative", "off", "", 0xFFFFFFFFu);
    const std::string bytes = U32(259) + plain + withTab + twoAlike + emptyValue + negative + plain;

    TRouterList list = Parse(bytes);
    ASSERT_EQ(list.Count(), 6);
    EXPECT_EQ(list.CanonicalBytes(0), plain);
    for (int i = 1; i < 5; ++i)
        EXPECT_TRUE(list.CanonicalBytes(i).empty()) << list.Name(i);
    EXPECT_EQ(list.CanonicalBytes(5), plain);

    const std::string written = SerializeRouterList(list);
    TRouterList full = Parse(bytes);
    for (int i = 0; i < full.Count(); ++i)
        full.Entry(i); // read every record
    EXPECT_EQ(written, SerializeRouterList(full));
    EXPECT_EQ(written.substr(4, plain.size()), plain);
    EXPECT_EQ(list.CanonicalBytes(0), plain) << "still unread after the save";
    EXPECT_EQ(list.Entry(1).OfflineCode, "off") << "the record lost its TAB in memory as well";
    EXPECT_EQ(list.Entry(2).Status2Values.Lines(), std::vector<std::string>{"A=2"});

    // Older versions are never copied: the layout changes.
    const std::string older = Sample("v258.dat");
    TRouterList old = Parse(older);
    for (int i = 0; i < old.Count(); ++i)
        EXPECT_TRUE(old.CanonicalBytes(i).empty());
}
