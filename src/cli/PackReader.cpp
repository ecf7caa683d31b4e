#include "PackReader.h"

#include "Cp1252.h"
#include "FileMessages.h"
#include "JsonReader.h"
#include "RouterFile.h"
#include "RouterJson.h"

#include <charconv>
#include <cstdio>
#include <limits>
#include <set>

namespace {

struct TMember {
    std::string key;
    TJsonValue value;
};
using TMembers = std::vector<TMember>;

// The notes on what the writer changes. Past the first few they are only
// counted: a list of a million such lines gives one readable message.
class TNotes {
public:
    // `text` makes the note, only where it is kept.
    template <typename TText>
    void Add(const TText& text)
    {
        if (m_notes.size() < kShown)
            m_notes.push_back(text());
        else
            ++m_more;
    }

    std::vector<std::string> Take()
    {
        if (m_more > 0)
            m_notes.push_back("Dazu " + GroupedNumber(m_more) + " weitere solche Hinweise, die nicht einzeln "
                              "gezeigt werden.");
        return std::move(m_notes);
    }

private:
    static constexpr std::size_t kShown = 20;
    std::vector<std::string> m_notes;
    std::uint64_t m_more = 0;
};

// A text of the JSON for a message, cut after 60 characters.
std::string ShortenedUtf8(std::string_view utf8)
{
    return Shortened(ToCp1252Text(utf8));
}

// "Router 3", with its name when the members read so far give it.
std::string RouterLabel(int number, const TMembers& members)
{
    std::string label = "Router " + std::to_string(number);
    for (const TMember& member : members) {
        if (member.key == "RouterVendor" && member.value.kind == TJsonValue::TKind::String)
            return label + " (\"" + ShortenedUtf8(member.value.text) + "\")";
    }
    return label;
}

// Turns the members of one router object into a record; every complaint
// names the router and the field.
class TRouterConverter {
public:
    TRouterConverter(int number, const TMembers& members) : m_label(RouterLabel(number, members)) {}

    const std::string& Label() const { return m_label; }

    TRouterEntry Convert(const TMembers& members) const
    {
        TRouterEntry entry;
        std::set<std::string> seen;
        for (const TMember& member : members) {
            const TRouterField* field = Find(member.key);
            if (!field)
                throw TPackError(Label() + ": unbekanntes Feld \"" + ShortenedUtf8(member.key) + "\".");
            if (!seen.insert(member.key).second)
                throw TPackError(Label() + ": das Feld \"" + member.key + "\" steht zweimal da.");
            std::visit([&](auto pointer) { Read(member.value, field->name, entry.*pointer); }, field->member);
        }
        for (const TRouterField& field : RouterFields()) {
            if (!seen.contains(field.name))
                throw TPackError(Label() + ": das Feld \"" + field.name + "\" fehlt.");
        }
        return entry;
    }

    // What the editor's writer changes in the record.
    void AddNotes(const TRouterEntry& entry, TNotes& notes) const
    {
        for (const TRouterField& field : RouterFields()) {
            const auto* text = std::get_if<std::string TRouterEntry::*>(&field.member);
            if (field.htmlCode && WrittenLength(entry.**text) != (entry.**text).size())
                notes.Add([&] { return Where(field.name) + "der Editor entfernt beim Speichern die Tabulatoren."; });
            if (const auto* list = std::get_if<TPropertyList TRouterEntry::*>(&field.member))
                AddPropertyNotes(entry.**list, field.name, notes);
        }
    }

private:
    static const TRouterField* Find(const std::string& key)
    {
        for (const TRouterField& field : RouterFields()) {
            if (key == field.name)
                return &field;
        }
        return nullptr;
    }

    std::string Where(const std::string& field) const { return Label() + ", Feld \"" + field + "\": "; }

    [[noreturn]] void Fail(const std::string& field, const std::string& what) const
    {
        throw TPackError(Where(field) + what);
    }

    template <typename T>
    void ReadWhole(const TJsonValue& value, const std::string& field, T& out, const char* range) const
    {
        const std::string& text = value.text;
        const bool whole = value.kind == TJsonValue::TKind::Number &&
                           text.find_first_of(".eE") == std::string::npos;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
        if (!whole || error != std::errc() || end != text.data() + text.size())
            Fail(field, std::string("ganze Zahl von ") + range + " erwartet.");
    }

    void Read(const TJsonValue& value, const std::string& field, std::int32_t& out) const
    {
        ReadWhole(value, field, out, "-2147483648 bis 2147483647");
    }

    void Read(const TJsonValue& value, const std::string& field, std::uint8_t& out) const
    {
        ReadWhole(value, field, out, "0 bis 255");
    }

    void Read(const TJsonValue& value, const std::string& field, double& out) const
    {
        if (value.kind == TJsonValue::TKind::Null) {
            out = std::numeric_limits<double>::quiet_NaN();
            return;
        }
        const std::string& text = value.text;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
        if (value.kind != TJsonValue::TKind::Number || error != std::errc() ||
            end != text.data() + text.size())
            Fail(field, "Zahl oder null erwartet (Tage seit dem 30.12.1899, nicht zu groß und nicht "
                        "zu klein).");
    }

    std::string Encoded(const std::string& utf8, const std::string& field) const
    {
        std::string out;
        if (!Utf8ToCp1252(utf8, out)) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", unsigned(FirstCharOutsideCp1252(utf8)));
            Fail(field, std::string("das Zeichen ") + code + " gibt es in Windows-1252 nicht.");
        }
        return out;
    }

    void CheckLength(std::size_t length, const std::string& field) const
    {
        if (length > kMaxTextLength)
            Fail(field, "der Text ist " + std::to_string(length) +
                            " Bytes lang; in der Datei sind höchstens 65535 Bytes möglich.");
    }

    void Read(const TJsonValue& value, const std::string& field, std::string& out) const
    {
        if (value.kind != TJsonValue::TKind::String)
            Fail(field, "Text in Anführungszeichen erwartet.");
        out = Encoded(value.text, field);
        CheckLength(out.size(), field);
    }

    // The lines are read one by one from the array's text, never all at
    // once as JSON values.
    void Read(const TJsonValue& value, const std::string& field, TPropertyList& out) const
    {
        if (value.kind != TJsonValue::TKind::Array)
            Fail(field, "Liste von Texten \"Name=Wert\" erwartet.");
        TJsonReader items(value.document);
        items.BeginArray();
        for (std::size_t number = 1; items.NextElement(); ++number) {
            const TJsonValue item = items.ReadValue();
            if (item.kind != TJsonValue::TKind::String)
                Fail(field, "Zeile " + std::to_string(number) + ": Text \"Name=Wert\" erwartet.");
            const std::string line = Encoded(item.text, field);
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos)
                Fail(field, "Zeile " + std::to_string(number) + " hat kein \"=\" zwischen Name und Wert.");
            CheckLength(equals, field);
            CheckLength(line.size() - equals - 1, field);
            out.Add(line);
        }
    }

    void AddPropertyNotes(const TPropertyList& list, const std::string& field, TNotes& notes) const
    {
        const TWrittenPairs written(list);
        for (int i = 0; i < written.Count(); ++i) {
            const auto note = [&](const char* what) {
                notes.Add([&] {
                    return Where(field) + "Eigenschaft \"" + Shortened(TCp1252Text(written.Name(i))) + "\": " + what;
                });
            };
            if (!written.OwnValue(i)) {
                note("der Name steht mehrmals da; der Editor schreibt den Wert der ersten dieser Zeilen, "
                     "und gelesen wird daraus nur eine Zeile.");
                continue;
            }
            switch (PairOnReadBack(written.Name(i), written.Value(i))) {
            case TPairOnReadBack::Dropped:
                note("ohne Wert (nach dem Entfernen der Tabulatoren) entfällt die Zeile beim Lesen.");
                break;
            case TPairOnReadBack::LosesTabs:
                note("der Editor entfernt beim Speichern die Tabulatoren aus dem Wert.");
                break;
            default:
                break;
            }
        }
    }

    std::string m_label;
};

void ReadRouters(TJsonReader& reader, TRouterList& list, TNotes& notes)
{
    reader.BeginArray();
    for (int number = 1; reader.NextElement(); ++number) {
        TMembers members;
        std::string key;
        std::string field; // the member being read, for a syntax error
        bool inValue = false;
        try {
            reader.BeginObject();
            while (reader.NextMember(key)) {
                field = key;
                inValue = true;
                TJsonValue value = reader.ReadValue();
                inValue = false;
                members.push_back({std::move(key), std::move(value)});
            }
        } catch (const TJsonSyntaxError& error) {
            const std::string where = field.empty() ? ""
                                      : inValue     ? ", Feld \"" + ShortenedUtf8(field) + "\""
                                                    : ", nach dem Feld \"" + ShortenedUtf8(field) + "\"";
            throw TPackError(RouterLabel(number, members) + where + ": " + error.what());
        }
        const TRouterConverter converter(number, members);
        auto entry = std::make_unique<TRouterEntry>(converter.Convert(members));
        converter.AddNotes(*entry, notes);
        std::string name = entry->RouterVendor;
        list.Add(std::move(name), std::move(entry));
    }
}

} // namespace

std::vector<std::string> ReadPackedRouters(std::string_view json, TRouterList& list)
{
    FreeRouterList(list);
    TNotes notes;
    try {
        TJsonReader reader(json);
        std::set<std::string> seen;
        reader.BeginObject();
        std::string key;
        while (reader.NextMember(key)) {
            if (!seen.insert(key).second)
                throw TPackError("Das Feld \"" + ShortenedUtf8(key) + "\" steht zweimal da.");
            if (key == "routers") {
                ReadRouters(reader, list, notes);
                continue;
            }
            const TJsonValue value = reader.ReadValue();
            const bool known = (key == "version" && (value.kind == TJsonValue::TKind::Number ||
                                                     value.kind == TJsonValue::TKind::Null)) ||
                               (key == "damaged" && value.kind == TJsonValue::TKind::Object);
            if (!known)
                throw TPackError("Unbekanntes Feld \"" + ShortenedUtf8(key) + "\" oder falscher Typ; erwartet "
                                 "werden \"version\", \"routers\" und \"damaged\", wie dump sie schreibt.");
        }
        reader.End();
        if (!seen.contains("routers"))
            throw TPackError("Das Feld \"routers\" mit der Liste der Router fehlt.");
    } catch (const TJsonSyntaxError& error) {
        FreeRouterList(list);
        throw TPackError(error.what());
    } catch (...) {
        FreeRouterList(list);
        throw;
    }
    if (!list.Empty())
        list.Select(0);
    return notes.Take();
}
