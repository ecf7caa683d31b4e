#include "WindowsConsole.h"

#include "Utf16.h"

#include <cstring>
#include <iostream>
#include <streambuf>
#include <string_view>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

// How many bytes at the start of `text` are whole UTF-8 characters (or bytes
// that start none); a character cut off at the end is left for later.
std::size_t WholeCharacters(std::string_view text)
{
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? text.size() - back : text.size();
    }
    return text.size();
}

// Writes UTF-8 to a console as UTF-16.
class TConsoleBuffer : public std::streambuf {
public:
    explicit TConsoleBuffer(HANDLE console) : m_console(console)
    {
        setp(m_bytes, m_bytes + sizeof m_bytes);
    }

protected:
    int_type overflow(int_type c) override
    {
        if (!WriteOut())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override { return WriteOut() ? 0 : -1; }

private:
    bool WriteOut()
    {
        const std::string_view pending(pbase(), std::size_t(pptr() - pbase()));
        const std::size_t whole = WholeCharacters(pending);
        const std::wstring wide = Utf8ToWide(pending.substr(0, whole));
        DWORD written = 0;
        const bool ok = wide.empty() || WriteConsoleW(m_console, wide.data(), DWORD(wide.size()),
                                                      &written, nullptr);
        const std::size_t rest = pending.size() - whole;
        std::memmove(m_bytes, pending.data() + whole, rest);
        setp(m_bytes, m_bytes + sizeof m_bytes);
        pbump(int(rest));
        return ok;
    }

    HANDLE m_console;
    char m_bytes[4096];
};

void Prepare(std::ostream& stream, FILE* file, DWORD standardHandle)
{
    const HANDLE handle = GetStdHandle(standardHandle);
    DWORD mode = 0;
    if (handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        stream.flush();
        // Never freed: the streams are flushed at the very end of the program.
        stream.rdbuf(new TConsoleBuffer(handle));
    } else {
        _setmode(_fileno(file), _O_BINARY);
    }
}

} // namespace

void PrepareStandardStreams()
{
    Prepare(std::cout, stdout, STD_OUTPUT_HANDLE);
    Prepare(std::cerr, stderr, STD_ERROR_HANDLE);
}

std::vector<std::string> Utf8Arguments(int argc, wchar_t* argv[])
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(WideToUtf8(argv[i]));
    return arguments;
}
