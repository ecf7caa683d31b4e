#pragma once

// What the tests of routersdat as a program share: running it, and a
// folder of their own for its files.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace tooltest {

struct TRun {
    int exitCode = -1;
    std::string out, err;
};

inline TRun RunTool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(ROUTERSDAT), arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

// A fresh folder per test, removed afterwards.
class ToolTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    std::string Bytes(const char* name) const
    {
        std::ifstream in(Path(name).toStdString(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Write(const char* name, std::string_view bytes) const
    {
        std::ofstream(Path(name).toStdString(), std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }

    QTemporaryDir dir;
};

} // namespace tooltest
