#include "RouterFile.h"
#include "ToolTestUtil.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>

using namespace tooltest;

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

QJsonObject JsonOf(const std::string& out)
{
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

class CliTest : public ToolTest {};

} // namespace

TEST_F(CliTest, DumpShowsEveryFieldInFileOrder)
{
    const double oddTime = 0.1 + 0.2;
    TFileBytes file(257);
    file.Record257("zeta \xC4", 37987.5, {{"ip", "<td>"}, {"IP", "x\tz"}, {"gone", ""}})
        .Record257(std::string_view("a\0b", 3), oddTime);
    Write("in.dat", file.Bytes());

    const TRun run = RunTool({"dump", Path("in.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QJsonObject doc = JsonOf(run.out);
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
    Write("short.dat", std::string("\x03\x01", 2));
    TRun run = RunTool({"dump", Path("short.dat")});
    ASSERT_EQ(run.exitCode, 2);
    QJsonObject doc = JsonOf(run.out);
    EXPECT_TRUE(doc["version"].isNull());
    EXPECT_EQ(doc["routers"].toArray().size(), 0);

    TFileBytes cut(257);
    cut.Record257("whole", 1.0);
    const std::size_t firstRecordEnd = cut.Bytes().size();
    cut.Record257("cut", 2.0);
    Write("cut.dat", cut.Bytes().substr(0, cut.Bytes().size() - 3));
    run = RunTool({"dump", Path("cut.dat")});
    ASSERT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("beschädigt"), std::string::npos);
    doc = JsonOf(run.out);
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
        EXPECT_FALSE(run.err.empty());
        EXPECT_FALSE(QFile::exists(missing));
    }
    TFileBytes file(257);
    file.Record257("a", 1.0);
    Write("in.dat", file.Bytes());
    EXPECT_EQ(RunTool({"convert", Path("in.dat"), Path("in.dat")}).exitCode, 1);
    EXPECT_EQ(RunTool({"names", Path("in.dat"), "-o", Path("in.dat")}).exitCode, 1);
    EXPECT_EQ(Bytes("in.dat"), file.Bytes());
    EXPECT_EQ(RunTool({"bogus"}).exitCode, 1);
    EXPECT_EQ(RunTool({"dump"}).exitCode, 1);
}

TEST_F(CliTest, NamesAreSortedCp1252LinesEndingInCrLf)
{
    TFileBytes file(257);
    file.Record257("beta", 1).Record257("\xC4rger", 1).Record257("Alpha", 1).Record257("alpha", 1);
    Write("in.dat", file.Bytes());
    const TRun run = RunTool({"names", Path("in.dat")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Alpha\r\nalpha\r\n\xC4rger\r\nbeta\r\n");
    ASSERT_EQ(RunTool({"names", Path("in.dat"), "-o", Path("names.txt")}).exitCode, 0);
    EXPECT_EQ(Bytes("names.txt"), run.out);
}

TEST_F(CliTest, ConvertWritesWhatTheEditorWouldSave)
{
    TFileBytes file(257);
    file.Record257("b", 2.0, {{"x", "1"}, {"X", "2"}}).Record257("a", 1.0);
    Write("in.dat", file.Bytes());
    ASSERT_EQ(RunTool({"convert", Path("in.dat"), Path("out.dat")}).exitCode, 0);

    TRouterList expected;
    ParseRouterFile(file.Bytes(), expected);
    const std::string written = Bytes("out.dat");
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
    Write("in.dat", file.Bytes());
    ASSERT_EQ(RunTool({"names", Path("in.dat"), "--output=" + Path("joined.txt")}).exitCode, 0);
    ASSERT_EQ(RunTool({"names", "-o", Path("separate.txt"), "--", Path("in.dat")}).exitCode, 0);
    EXPECT_EQ(Bytes("joined.txt"), "-a\r\nb\r\n");
    EXPECT_EQ(Bytes("separate.txt"), "-a\r\nb\r\n");

    const TRun unknown = RunTool({"names", "--bogus", Path("in.dat")});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("--bogus"), std::string::npos);
    EXPECT_EQ(RunTool({"names", Path("in.dat"), "-o"}).exitCode, 1);
    EXPECT_EQ(RunTool({"dump", "--json=1", Path("in.dat")}).exitCode, 1);
    const TRun help = RunTool({"test", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--router NAME"), std::string::npos);

    const TRun unknownCommand = RunTool({"dumpp", Path("in.dat")});
    EXPECT_EQ(unknownCommand.exitCode, 1);
    EXPECT_EQ(unknownCommand.err.rfind("routersdat: unbekannter Befehl 'dumpp'\n", 0), 0u) << unknownCommand.err;
    EXPECT_NE(unknownCommand.err.find("Commands:"), std::string::npos);
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
