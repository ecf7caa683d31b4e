#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A JSON value as read. A number keeps its literal text, so that whole
// numbers and doubles can be taken from it exactly; a string is UTF-8. An
// array or object is only checked and kept as its text in the document,
// which a reader of its own walks where it is needed: taken apart into
// values, a document of many small items would need many times its size.
struct TJsonValue {
    enum class TKind { Null, Bool, Number, String, Array, Object };

    TKind kind = TKind::Null;
    bool boolean = false;
    std::string text;          // a number's literal or a string's text
    std::string_view document; // an array's or object's text
};

// Text that is not JSON (RFC 8259); the message is German and names the
// line and column, counted from 1.
class TJsonSyntaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a JSON document piece by piece: objects and arrays can be walked
// member by member, so that a large document is never held as a whole tree.
// Strings must be valid UTF-8; nesting deeper than 64 levels is refused.
class TJsonReader {
public:
    explicit TJsonReader(std::string_view text) : m_text(text) {}

    // The next value, checked to its end.
    TJsonValue ReadValue();

    // Walks an object: BeginObject(), then NextMember(key) and the member's
    // value until NextMember returns false at the closing brace.
    void BeginObject();
    bool NextMember(std::string& key);
    // The same for an array: NextElement() before each element.
    void BeginArray();
    bool NextElement();

    // Checks that nothing but white space follows.
    void End();

    // "Zeile L, Spalte C" of the current position.
    std::string Where() const;
    [[noreturn]] void Fail(const std::string& what) const;

private:
    TJsonValue ReadValue(int depth);
    std::string ReadString();
    std::string ReadNumber();
    void ReadLiteral(std::string_view word);
    void AppendEscape(std::string& out);
    void AppendUtf8Sequence(std::string& out);
    unsigned ReadHex4();
    void SkipSpace();
    bool Consume(char c);
    void Expect(char c);
    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::vector<bool> m_first; // per open object or array: no member read yet
};
