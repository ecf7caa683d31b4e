#pragma once

// Helpers shared by the tests of the definitions file.

#include "RouterFile.h"
#include "WMsgBox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace routertest {

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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

// Equal records, SavedAt compared bit for bit.
inline bool SameEntry(TRouterEntry a, TRouterEntry b)
{
    if (std::memcmp(&a.SavedAt, &b.SavedAt, sizeof a.SavedAt) != 0)
        return false;
    a.SavedAt = b.SavedAt = 0;
    return a == b;
}

inline std::unique_ptr<TRouterEntry> Entry(const std::string& name)
{
    auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
    entry->RouterVendor = name;
    entry->HTTPPort = 80;
    entry->BrowserAuth = 1;
    return entry;
}

inline std::vector<std::string> Names(const TRouterList& list)
{
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
        names.push_back(list.Name(i));
    return names;
}

// A fresh folder per test, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "routerfile-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
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
        SetMessageBoxFunction([this](const std::string& text, const std::string& caption, unsigned style) {
            texts.push_back(text);
            captions.push_back(caption);
            styles.push_back(style);
            return MsgBox::IDOK;
        });
    }
    ~MessageRecorder() { SetMessageBoxFunction({}); }
    std::vector<std::string> texts, captions;
    std::vector<unsigned> styles;
};

} // namespace routertest
