#pragma once

// Fixtures shared by the tests of the core and of routersdat: files and
// folders of a test's own, records, lists and recorded message boxes.

#include "RouterFile.h"
#include "WMsgBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace routertest {

// A UTF-8 path for the standard library, which takes a plain string in the
// system's code page on Windows. There, a long path gets the prefix that
// lifts the limit of 260 characters.
inline std::filesystem::path FsPath(const std::string& utf8)
{
    std::filesystem::path path(std::u8string(utf8.begin(), utf8.end()));
#ifdef _WIN32
    if (utf8.size() >= 240 && utf8.rfind(R"(\\?\)", 0) != 0)
        path = LR"(\\?\)" + std::filesystem::absolute(path).make_preferred().wstring();
#endif
    return path;
}

inline std::string Utf8Of(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(FsPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool Exists(const std::string& path)
{
    return std::filesystem::exists(FsPath(path));
}

inline std::string SampleDir()
{
    return std::string(ROUTER_TEST_DATA_DIR) + "/router-files/";
}

inline std::string Sample(const std::string& name)
{
    const std::string bytes = ReadBytes(SampleDir() + name);
    EXPECT_FALSE(bytes.empty()) << "missing sample " << name;
    return bytes;
}

inline std::unique_ptr<TRouterEntry> Entry(const std::string& name)
{
    auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
    entry->RouterVendor = name;
    entry->HTTPPort = 80;
    entry->BrowserAuth = 1;
    return entry;
}

inline TPropertyList ListOf(std::initializer_list<const char*> lines)
{
    TPropertyList list;
    for (const char* line : lines)
        list.Add(line);
    return list;
}

// The message of the TFileError that `read` throws, or "no error".
template <typename Read>
std::string ErrorOf(Read&& read)
{
    try {
        read();
    } catch (const TFileError& error) {
        return error.what();
    }
    return "no error";
}

inline std::vector<std::string> Names(const TRouterList& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
        names.push_back(list.Name(i));
    return names;
}

// A fresh folder per test (its name beginning with `prefix`, UTF-8),
// removed afterwards.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "routerfile-")
    {
        std::random_device random;
        const std::filesystem::path temp = std::filesystem::temp_directory_path();
        for (;;) {
            m_path = Utf8Of(temp / FsPath(prefix + std::to_string(random())));
            if (std::filesystem::create_directory(FsPath(m_path)))
                break;
        }
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(FsPath(m_path), ignored);
    }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const
    {
        return m_path + char(std::filesystem::path::preferred_separator) + name;
    }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(FsPath(m_path)))
            names.push_back(Utf8Of(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_path;
};

// Records every message box instead of showing it.
class MessageRecorder {
public:
    MessageRecorder()
    {
        SetMessageBoxFunction([this](const TCp1252Text& text, const TCp1252Text& caption, unsigned style) {
            texts.push_back(text.Bytes());
            captions.push_back(caption.Bytes());
            styles.push_back(style);
            return MsgBox::IDOK;
        });
    }
    ~MessageRecorder() { SetMessageBoxFunction({}); }
    std::vector<std::string> texts, captions;
    std::vector<unsigned> styles;
};

} // namespace routertest
