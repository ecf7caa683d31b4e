#include "RouterFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// Builds definitions files byte by byte, independently of the writer.
class TFileBytes {
public:
    explicit TFileBytes(std::uint32_t version) { U32(version); }
    TFileBytes& U32(std::uint32_t v) { return Raw(&v, 4); }
    TFileBytes& Byte(std::uint8_t v) { return Raw(&v, 1); }
    TFileBytes& Double(double v) { return Raw(&v, 8); }
    TFileBytes& Str(std::string_view s)
    {
        const auto n = std::uint16_t(s.size());
        Raw(&n, 2);
        return Raw(s.data(), s.size());
    }
    TFileBytes& Strs(int count)
    {
        for (int i = 0; i < count; ++i)
            Str("");
        return *this;
    }
    TFileBytes& Pairs(std::initializer_list<std::pair<const char*, const char*>> pairs)
    {
        U32(std::uint32_t(pairs.size()));
        for (auto [name, value] : pairs)
            Str(name).Str(value);
        return *this;
    }
    // A version 257 record: BrowserAuth, AuthString, then the common fields.
    TFileBytes& Record257(std::string_view name, double savedAt,
                          std::initializer_list<std::pair<const char*, const char*>> pairs = {})
    {
        Byte(2).Str("login").Double(savedAt).Str(name).Strs(9);
        Pairs(pairs).Strs(5).Byte(7);
        return *this;
    }
    const std::string& Bytes() const { return m_bytes; }

private:
    TFileBytes& Raw(const void* data, std::size_t size)
    {
        m_bytes.append(static_cast<const char*>(data), size);
        return *this;
    }
    std::string m_bytes;
};

struct TRun {
    int exitCode = -1;
    QByteArray out, err;
};

TRun RunTool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(ROUTERSDAT), arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

std::string ReadFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void WriteFile(const QString& path, const std::string& bytes)
{
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

class CliTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliTest, DumpShowsEveryFieldInFileOrder)
{
    const double oddTime = 0.1 + 0.2;
    TFileBytes file(257);
    file.Record257("zeta \xC4", 37987.5, {{"ip", "<td>"}, {"IP", "x\tz"}, {"gone", ""}})
        .Record257(std::string_view("a\0b", 3), oddTime);
    WriteFile(Path("in.dat"), file.Bytes());

    const TRun run = RunTool({"dump", Path("in.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(run.out).object();
    EXPECT_EQ(doc["version"].toInt(), 257);
    EXPECT_FALSE(doc.contains("damaged"));
    const QJsonArray routers = doc["routers"].toArray();
    ASSERT_EQ(routers.size(), 2);
    const QJsonObject first = routers[0].toObject();
    EXPECT_EQ(first.size(), 26);
    EXPECT_EQ(first["RouterVendor"].toString(), QStringLiteral("zeta Ä"));
    EXPECT_EQ(first["HTTPPort"].toInt(), 80);
    EXPECT_EQ(first["BrowserAuth"].toInt(), 2);
    EXPECT_EQ(first["AuthString"].toString(), "login");
    EXPECT_EQ(first["SavedAt"].toDouble(), 37987.5);
    EXPECT_EQ(first["ReservedFlag"].toInt(), 7);
    EXPECT_EQ(first["Status2Values"].toArray(), QJsonArray({"IP=x\tz"}));
    EXPECT_EQ(first["Status3Values"].toArray(), QJsonArray());
    const QJsonObject second = routers[1].toObject();
    EXPECT_EQ(second["SavedAt"].toDouble(), oddTime);
    EXPECT_EQ(second["RouterVendor"].toString(), QString::fromLatin1("a\0b", 3));
}

TEST_F(CliTest, DumpReportsADamagedFileAndAShortOne)
{
    TFileBytes file(259);
    WriteFile(Path("short.dat"), std::string("\x03\x01", 2));
    TRun run = RunTool({"dump", Path("short.dat")});
    ASSERT_EQ(run.exitCode, 2);
    QJsonObject doc = QJsonDocument::fromJson(run.out).object();
    EXPECT_TRUE(doc["version"].isNull());
    EXPECT_EQ(doc["routers"].toArray().size(), 0);

    TFileBytes cut(257);
    cut.Record257("whole", 1.0);
    const std::size_t firstRecordEnd = cut.Bytes().size();
    cut.Record257("cut", 2.0);
    WriteFile(Path("cut.dat"), cut.Bytes().substr(0, cut.Bytes().size() - 3));
    run = RunTool({"dump", Path("cut.dat")});
    ASSERT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("besch\xC3\xA4" "digt"));
    doc = QJsonDocument::fromJson(run.out).object();
    const QJsonArray routers = doc["routers"].toArray();
    ASSERT_EQ(routers.size(), 2);
    EXPECT_EQ(routers[1].toObject()["RouterVendor"].toString(), "cut");
    // The cut falls into the last strings: the reserved fields.
    EXPECT_GT(doc["damaged"].toObject()["offset"].toInteger(), qint64(firstRecordEnd));
}

TEST_F(CliTest, CommandsNeverCreateOrChangeTheirInput)
{
    const QString missing = Path("missing.dat");
    for (const QStringList& arguments :
         {QStringList{"dump", missing}, {"names", missing}, {"convert", missing, Path("o.dat")}}) {
        const TRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_FALSE(QFile::exists(missing));
    }
    TFileBytes file(257);
    file.Record257("a", 1.0);
    WriteFile(Path("in.dat"), file.Bytes());
    EXPECT_EQ(RunTool({"convert", Path("in.dat"), Path("in.dat")}).exitCode, 1);
    EXPECT_EQ(RunTool({"names", Path("in.dat"), "-o", Path("in.dat")}).exitCode, 1);
    EXPECT_EQ(ReadFile(Path("in.dat")), file.Bytes());
    EXPECT_EQ(RunTool({"bogus"}).exitCode, 1);
    EXPECT_EQ(RunTool({"dump"}).exitCode, 1);
}

TEST_F(CliTest, NamesAreSortedCp1252LinesEndingInCrLf)
{
    TFileBytes file(257);
    file.Record257("beta", 1).Record257("\xC4rger", 1).Record257("Alpha", 1).Record257("alpha", 1);
    WriteFile(Path("in.dat"), file.Bytes());
    const TRun run = RunTool({"names", Path("in.dat")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.toStdString(), "Alpha\r\nalpha\r\n\xC4rger\r\nbeta\r\n");
    ASSERT_EQ(RunTool({"names", Path("in.dat"), "-o", Path("names.txt")}).exitCode, 0);
    EXPECT_EQ(ReadFile(Path("names.txt")), run.out.toStdString());
}

TEST_F(CliTest, ConvertWritesWhatTheEditorWouldSave)
{
    TFileBytes file(257);
    file.Record257("b", 2.0, {{"x", "1"}, {"X", "2"}}).Record257("a", 1.0);
    WriteFile(Path("in.dat"), file.Bytes());
    ASSERT_EQ(RunTool({"convert", Path("in.dat"), Path("out.dat")}).exitCode, 0);

    TRouterList expected;
    ParseRouterFile(file.Bytes(), expected);
    const std::string written = ReadFile(Path("out.dat"));
    EXPECT_EQ(written, SerializeRouterList(expected));
    EXPECT_EQ(written.substr(0, 4), std::string("\x03\x01\0\0", 4));
    TRouterList reread;
    ParseRouterFile(written, reread);
    ASSERT_EQ(reread.Count(), 2);
    EXPECT_EQ(reread.Name(0), "a");
    EXPECT_EQ(reread.Entry(1).Status2Values.Lines(), std::vector<std::string>{"X=2"});
    EXPECT_EQ(reread.Entry(1).BrowserAuth, 2);
    EXPECT_EQ(reread.Entry(1).HTTPPort, 80);
}

TEST_F(CliTest, OptionsTakeTheirValueJoinedOrSeparate)
{
    TFileBytes file(257);
    file.Record257("b", 1).Record257("-a", 1);
    WriteFile(Path("in.dat"), file.Bytes());
    ASSERT_EQ(RunTool({"names", Path("in.dat"), "--output=" + Path("joined.txt")}).exitCode, 0);
    ASSERT_EQ(RunTool({"names", "-o", Path("separate.txt"), "--", Path("in.dat")}).exitCode, 0);
    EXPECT_EQ(ReadFile(Path("joined.txt")), "-a\r\nb\r\n");
    EXPECT_EQ(ReadFile(Path("separate.txt")), "-a\r\nb\r\n");

    const TRun unknown = RunTool({"names", "--bogus", Path("in.dat")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains("--bogus"));
    EXPECT_EQ(RunTool({"names", Path("in.dat"), "-o"}).exitCode, 1);
    EXPECT_EQ(RunTool({"dump", "--json=1", Path("in.dat")}).exitCode, 1);
    const TRun help = RunTool({"test", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--router NAME"));

    const TRun unknownCommand = RunTool({"dumpp", Path("in.dat")});
    EXPECT_EQ(unknownCommand.exitCode, 1);
    EXPECT_TRUE(unknownCommand.err.startsWith("routersdat: unbekannter Befehl 'dumpp'\n")) << unknownCommand.err.data();
    EXPECT_TRUE(unknownCommand.err.contains("Commands:"));
}

TEST_F(CliTest, HelpThatCannotBeWrittenIsAFailure)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    for (const QStringList& arguments : {QStringList{"--help"}, QStringList{"dump", "--help"}}) {
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(ROUTERSDAT), arguments);
        process.waitForFinished(30000);
        EXPECT_EQ(process.exitCode(), 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(process.readAllStandardError().contains("kann nicht geschrieben werden")) << arguments.join(' ').toStdString();
    }
}
