// dump and pack as inverse functions, and what pack refuses.
#include "JsonReader.h"
#include "PackReader.h"
#include "RouterFile.h"
#include "RouterJson.h"
#include "RouterTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>

using namespace routertest;

namespace {

// The routers of a file as dump prints them, version and damage aside.
std::string DumpOfRouters(const TRouterList& list)
{
    TLoadResult whole;
    whole.version = kRouterFileVersion;
    return DumpDocument(whole, list);
}

std::string Dump(std::string_view bytes)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    const TLoadResult result = ParseRouterFile(bytes, list);
    return DumpDocument(result, list);
}

struct TPacked {
    std::string bytes;
    std::vector<std::string> notes;
};

TPacked Pack(std::string_view json)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    TPacked packed;
    packed.notes = ReadPackedRouters(json, list);
    packed.bytes = SerializeRouterList(list);
    return packed;
}

// Random texts that favour what the writer and the reader treat specially.
class TGenerator {
public:
    explicit TGenerator(unsigned seed) : m_random(seed) {}

    unsigned Below(unsigned n) { return unsigned(m_random() % n); }

    std::string Text(bool special)
    {
        static const char kSpecial[] = {'\t', '\0', '=', '\r', '\n', 'a', 'A', '\x81', '\xC4', '\xE4', '"', '\\'};
        std::string text;
        for (unsigned i = 0, n = Below(6); i < n; ++i)
            text += special ? kSpecial[Below(sizeof kSpecial)] : char(Below(256));
        return text;
    }

    // With `anyBits`, infinities and NaNs of every kind too; otherwise the
    // one NaN that pack writes for null.
    double Date(bool anyBits)
    {
        std::uint64_t bits = (std::uint64_t(m_random()) << 32) | m_random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        switch (Below(5)) {
        case 0: return Below(60000) + Below(86400000) / 86400000.0;
        case 1: return -0.0;
        case 2: return std::numeric_limits<double>::quiet_NaN();
        default: return anyBits || std::isfinite(value) ? value : 5e-324;
        }
    }

    // A record as the window could hold it: property names that differ
    // ignoring case, each with a value. With `special`, texts are full of
    // TABs, NULs, "=" and line breaks.
    TRouterEntry Record(bool special)
    {
        TRouterEntry e;
        e.HTTPPort = std::int32_t(m_random());
        e.BrowserAuth = std::uint8_t(Below(256));
        e.SavedAt = Date(false);
        for (std::string* text : {&e.AuthString, &e.RouterVendor, &e.RouterVendorURL, &e.Comments,
                                  &e.GoOnline, &e.GoOffline, &e.SignOffURL, &e.StatusPage, &e.OfflineCode,
                                  &e.BeforeIPAddress, &e.AfterIPAddress, &e.Status2Page, &e.Status3Page,
                                  &e.Status4Page, &e.UserDef1, &e.UserDef2, &e.UserDef3, &e.Reserved1,
                                  &e.Reserved2})
            *text = Text(special);
        for (TPropertyList* list : {&e.Status2Values, &e.Status3Values, &e.Status4Values}) {
            for (unsigned i = 0, n = Below(4); i < n; ++i) {
                // Names that differ ignoring case, values that are not empty.
                std::string name = "p" + std::to_string(i) + Text(special);
                std::erase(name, '=');
                list->Add(name + "=" + Text(special) + "v");
            }
        }
        e.ReservedFlag = std::uint8_t(Below(256));
        return e;
    }

    // Bytes of a file the way any program might have written it: pairs with
    // empty values, names with "=", names twice, any version, cut anywhere.
    std::string RawFile()
    {
        std::string out;
        const std::uint32_t versions[] = {0, 256, 257, 258, 259, 260};
        const std::uint32_t version = versions[Below(6)];
        U32(out, version);
        for (unsigned r = 0, n = Below(4); r < n; ++r) {
            if (version >= 258)
                U32(out, m_random());
            if (version >= 257) {
                out += char(Below(256));
                Str(out, Text(true));
            }
            const double date = Date(true);
            out.append(reinterpret_cast<const char*>(&date), 8);
            for (int i = 0; i < 10; ++i)
                Str(out, Text(true));
            Pairs(out);
            for (int i = 0; i < 5; ++i)
                Str(out, Text(true));
            out += char(Below(256));
            if (version >= 259) {
                Str(out, Text(true));
                Str(out, Text(true));
                Pairs(out);
                Str(out, Text(true));
                Pairs(out);
            }
        }
        if (Below(4) == 0)
            out.resize(Below(unsigned(out.size()) + 1));
        return out;
    }

private:
    static void U32(std::string& out, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            out += char(value >> (8 * i));
    }
    static void Str(std::string& out, const std::string& text)
    {
        out += char(text.size());
        out += char(text.size() >> 8);
        out += text;
    }
    void Pairs(std::string& out)
    {
        const unsigned count = Below(4);
        U32(out, count);
        for (unsigned i = 0; i < count; ++i) {
            const char* names[] = {"ip", "IP", "a=b", "a", "", "="};
            Str(out, names[Below(6)]);
            Str(out, Below(3) == 0 ? std::string() : Text(true));
        }
    }

    std::mt19937 m_random;
};

// The file as the editor's writer would write the records the reader
// finds in it (in file order).
std::string Rewritten(std::string_view bytes)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    ParseRouterFile(bytes, list);
    return SerializeRouterList(list);
}

// dump(pack(dump(f))) equals dump(f) for the routers, but where the
// editor's writer changes a value; exactly then pack has notes. pack gives
// the bytes the writer gives, and refuses only a text the file cannot hold.
void CheckDumpPackDump(std::string_view file)
{
    const std::string json = Dump(file);
    std::string expected;
    try {
        expected = Rewritten(file);
    } catch (const TTextTooLong&) {
        TRouterList list;
        EXPECT_THROW(ReadPackedRouters(json, list), TPackError);
        return;
    }
    const TPacked packed = Pack(json);
    TRouterList original(TRouterList::TOrder::Unsorted);
    ParseRouterFile(file, original);
    TRouterList written(TRouterList::TOrder::Unsorted);
    ParseRouterFile(packed.bytes, written);
    TRouterList rewritten(TRouterList::TOrder::Unsorted);
    ParseRouterFile(expected, rewritten);
    // NaNs compare by their dump, null: pack cannot know the NaN's bits.
    EXPECT_EQ(DumpOfRouters(written), DumpOfRouters(rewritten));
    EXPECT_EQ(packed.notes.empty(), DumpOfRouters(written) == DumpOfRouters(original))
        << (packed.notes.empty() ? "no note" : packed.notes.front());
}

} // namespace

TEST(PackTest, EditorWrittenFilesComeBackByteForByte)
{
    TGenerator generator(1);
    for (int round = 0; round < 300; ++round) {
        TRouterList list(round % 2 ? TRouterList::TOrder::Sorted : TRouterList::TOrder::Unsorted);
        for (unsigned i = 0, n = generator.Below(5); i < n; ++i) {
            auto entry = std::make_unique<TRouterEntry>(generator.Record(round % 3 == 0));
            std::string name = entry->RouterVendor;
            list.Add(std::move(name), std::move(entry));
        }
        const std::string file = SerializeRouterList(list);
        const TPacked packed = Pack(Dump(file));
        ASSERT_EQ(packed.bytes, file) << "round " << round;
        EXPECT_TRUE(packed.notes.empty()) << packed.notes.front();
    }
    // The smallest: no routers at all.
    EXPECT_EQ(Pack(Dump(std::string("\x03\x01\0\0", 4))).bytes, std::string("\x03\x01\0\0", 4));
}

TEST(PackTest, DumpPackDumpOverTheFuzzCorpus)
{
    int files = 0;
    for (const char* dir : {"tests/data", "tests/matching/data", "fuzz/seeds"}) {
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(std::filesystem::path(SOURCE_DIR) / dir)) {
            if (!entry.is_regular_file())
                continue;
            SCOPED_TRACE(entry.path().string());
            CheckDumpPackDump(ReadBytes(Utf8Of(entry.path())));
            ++files;
        }
    }
    EXPECT_GT(files, 10);
}

TEST(PackTest, DumpPackDumpOverGeneratedFiles)
{
    TGenerator generator(2);
    for (int round = 0; round < 2000; ++round) {
        SCOPED_TRACE(round);
        CheckDumpPackDump(generator.RawFile());
        if (HasFailure())
            break;
    }
}

TEST(PackTest, NotesNameWhatTheWriterChanges)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    auto entry = Entry("Tab");
    entry->BeforeIPAddress = "<td>\t";
    entry->Status2Values.Add("ip=1");
    entry->Status2Values.Add("IP=2");
    entry->Status3Values.Add("leer=\t");
    list.Add("Tab", std::move(entry));
    const std::string json = DumpDocument({}, list);
    TRouterList read(TRouterList::TOrder::Unsorted);
    const std::vector<std::string> notes = ReadPackedRouters(json, read);
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].rfind("Router 1 (\"Tab\"), Feld \"BeforeIPAddress\": ", 0), 0u) << notes[0];
    EXPECT_NE(notes[1].find("Feld \"Status2Values\": Eigenschaft \"IP\""), std::string::npos) << notes[1];
    EXPECT_NE(notes[2].find("Feld \"Status3Values\": Eigenschaft \"leer\""), std::string::npos) << notes[2];
    // The records themselves are read as the JSON has them.
    EXPECT_EQ(read.Entry(0).BeforeIPAddress, "<td>\t");
    EXPECT_EQ(read.Entry(0).Status2Values.Count(), 2);

    // A thousand such lines give a few notes and their count.
    for (int i = 0; i < 1000; ++i)
        list.Entry(0).Status2Values.Add("Ip=" + std::to_string(i));
    const std::vector<std::string> many = ReadPackedRouters(DumpDocument({}, list), read);
    ASSERT_EQ(many.size(), 21u);
    EXPECT_EQ(many.back(), "Dazu 983 weitere solche Hinweise, die nicht einzeln gezeigt werden.");
}

TEST(PackTest, InvalidInputIsRefusedNamingRouterAndField)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
    entry->RouterVendor = "Zweiter";
    entry->Status2Values.Add("ip=<td>");
    list.Add("Erster", std::make_unique<TRouterEntry>(NewRouterEntry()));
    list.Add("Zweiter", std::move(entry));
    const std::string json = DumpDocument({}, list);
    const auto with = [&](const std::string& from, const std::string& to) {
        std::string changed = json;
        const std::size_t at = changed.rfind(from);
        EXPECT_NE(at, std::string::npos) << from;
        return changed.replace(at, from.size(), to);
    };
    const std::string tooLong(65536, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {with("\"HTTPPort\": 0", "\"HTTPPort\": 2147483648"), "Router 2 (\"Zweiter\"), Feld \"HTTPPort\""},
        {with("\"HTTPPort\": 0", "\"HTTPPort\": 8.0"), "Feld \"HTTPPort\""},
        {with("\"HTTPPort\": 0", "\"HTTPPort\": \"80\""), "Feld \"HTTPPort\""},
        {with("\"BrowserAuth\": 0", "\"BrowserAuth\": -1"), "Feld \"BrowserAuth\""},
        {with("\"ReservedFlag\": 1", "\"ReservedFlag\": 256"), "Feld \"ReservedFlag\""},
        {with("\"SavedAt\": 0.0", "\"SavedAt\": 1e999"), "Feld \"SavedAt\""},
        {with("\"SavedAt\": 0.0", "\"SavedAt\": true"), "Feld \"SavedAt\""},
        {with("\"Comments\": \"\"", "\"Comments\": \"\\u0100\""), "Feld \"Comments\": das Zeichen U+0100"},
        {with("\"Comments\": \"\"", "\"Comments\": \"\xF0\x9F\x98\x80\""), "U+1F600"},
        {with("\"Comments\": \"\"", "\"Comments\": \"" + tooLong + "\""), "65536 Bytes"},
        {with("\"Comments\": \"\"", "\"Comments\": null"), "Feld \"Comments\""},
        {with("[\"ip=<td>\"]", "[\"ip<td>\"]"), "Feld \"Status2Values\": Zeile 1"},
        {with("[\"ip=<td>\"]", "[7]"), "Feld \"Status2Values\": Zeile 1"},
        {with("[\"ip=<td>\"]", "[\"ip=" + tooLong + "\"]"), "Feld \"Status2Values\""},
        {with("\"UserDef1\"", "\"UserDef0\""), "Router 2 (\"Zweiter\"): unbekanntes Feld \"UserDef0\""},
        {with("\"UserDef1\": \"\",", ""), "Router 2 (\"Zweiter\"): das Feld \"UserDef1\" fehlt"},
        {with("\"UserDef1\": \"\",", "\"UserDef1\": \"\", \"UserDef1\": \"\","), "\"UserDef1\" steht zweimal"},
        {with("\"UserDef1\": \"\",", "\"UserDef1\": \"\\q\","), "Router 2 (\"Zweiter\"), Feld \"UserDef1\": Kein gültiges JSON"},
        {with("\"UserDef1\": \"\",", "\"UserDef1\": \"\" \"x\": 1,"), "Router 2 (\"Zweiter\"), nach dem Feld \"UserDef1\": Kein gültiges JSON"},
        {with("\"version\"", "\"versio\""), "Unbekanntes Feld \"versio\""},
        {with("\"routers\"", "\"router\""), "Unbekanntes Feld \"router\""},
        {with("\n}\n", "\n} x"), "Kein gültiges JSON (Zeile"},
        {"", "Kein gültiges JSON (Zeile 1, Spalte 1)"},
        {"{}", "\"routers\""},
        {"[]", "Kein gültiges JSON"},
        {"{\"routers\": [1]}", "Router 1: Kein gültiges JSON"},
    };
    for (const auto& [input, expected] : cases) {
        TRouterList read(TRouterList::TOrder::Unsorted);
        try {
            ReadPackedRouters(input, read);
            ADD_FAILURE() << "accepted; expected " << expected;
        } catch (const TPackError& error) {
            EXPECT_NE(std::string(error.what()).find(expected), std::string::npos)
                << error.what() << "\nexpected: " << expected;
        }
        EXPECT_TRUE(read.Empty());
    }
}

TEST(JsonReaderTest, ReadsWhatRfc8259Allows)
{
    TJsonReader reader("\xEF\xBB\xBF [ \"a\\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e4\\ud83d\\ude00\", -0.5e+3, 0, true, false,"
                       " null, {\"k\": {}, \"l\": []} ] ");
    std::vector<TJsonValue> items;
    reader.BeginArray();
    while (reader.NextElement())
        items.push_back(reader.ReadValue());
    reader.End();
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].text, "a\"\\/\b\f\n\r\t\xC3\xA4\xF0\x9F\x98\x80");
    EXPECT_EQ(items[1].text, "-0.5e+3");
    EXPECT_EQ(items[2].text, "0");
    EXPECT_TRUE(items[3].boolean);
    EXPECT_EQ(items[5].kind, TJsonValue::TKind::Null);
    EXPECT_EQ(items[6].kind, TJsonValue::TKind::Object);
    EXPECT_EQ(items[6].document, "{\"k\": {}, \"l\": []}");
}

TEST(JsonReaderTest, RefusesWhatRfc8259DoesNotAllow)
{
    const std::string deep = std::string(65, '[') + std::string(65, ']');
    for (const std::string& text : std::vector<std::string>{"", "[1,]", "{\"a\":1,}", "[1 2]", "{\"a\" 1}", "{a:1}", "01", "1.", ".5", "-", "1e", "+1",
          "\"\\x\"", "\"\\u12\"", "\"\\udc00\"", "\"\\ud800x\"", "\"\\ud800\\u0041\"", "\"\x01\"",
          "\"\xC0\xAF\"", "\"\xED\xA0\x80\"", "\"\xF4\x90\x80\x80\"", "\"\xE4\"", "\"abc", "tru", "nul",
          "[1] [2]", deep}) {
        TJsonReader reader(text);
        EXPECT_THROW(
            {
                reader.ReadValue();
                reader.End();
            },
            TJsonSyntaxError)
            << text;
    }
    TJsonReader lines("{\n  \"a\": [1,\n  ]\n}");
    try {
        lines.ReadValue();
        ADD_FAILURE();
    } catch (const TJsonSyntaxError& error) {
        EXPECT_NE(std::string(error.what()).find("Zeile 3, Spalte 3"), std::string::npos) << error.what();
    }
}
