// routersdat merge, diff and pack, run as the user runs them.
#include "RouterFile.h"
#include "RouterMerge.h"
#include "ToolTestUtil.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace tooltest;

namespace {

TRouterEntry Router(const std::string& name, std::int32_t port)
{
    TRouterEntry e = NewRouterEntry();
    e.RouterVendor = name;
    e.HTTPPort = port;
    e.BrowserAuth = 2;
    e.AuthString = "login.cgi";
    e.SavedAt = 40000.25;
    e.Comments = "eins\nzwei";
    e.OfflineCode = "<td>\n0.0.0.0";
    e.Status2Values.Add("ip=<td>");
    e.Reserved1 = "alt";
    e.ReservedFlag = 9;
    return e;
}

class MergeDiffPackTest : public ToolTest {
protected:
    void SetUp() override
    {
        Write("target.dat", {Router("Beta", 80), Router("alpha", 0)}, TRouterList::TOrder::Sorted);
        Write("source.dat", {Router("Zulu", 70000), Router("ALPHA", 8080), Router("Echo", 443)},
              TRouterList::TOrder::Unsorted);
    }

    using ToolTest::Write;
    void Write(const char* name, const std::vector<TRouterEntry>& routers, TRouterList::TOrder order)
    {
        TRouterList list(order);
        for (const TRouterEntry& entry : routers)
            list.Add(entry.RouterVendor, std::make_unique<TRouterEntry>(entry));
        Write(name, SerializeRouterList(list));
    }

    TRouterList Read(const char* name, TRouterList::TOrder order = TRouterList::TOrder::Sorted) const
    {
        TRouterList list(order);
        LoadRouterList(Path(name).toStdString(), list, TMissingFile::Fail);
        return list;
    }

    // What the core merge makes of target.dat with the routers of source.dat
    // at these positions.
    std::string CoreMerge(std::vector<int> picks, bool skipExisting, double savedAt) const
    {
        TRouterList source = Read("source.dat", TRouterList::TOrder::Unsorted);
        TRouterList target = Read("target.dat");
        MergeRouters(target, source, picks, {skipExisting, savedAt});
        return SerializeRouterList(target);
    }
};

} // namespace

TEST_F(MergeDiffPackTest, MergeWritesWhatTheCoreMergeWrites)
{
    const std::string source = Bytes("source.dat");
    const std::string expectedOne = CoreMerge({0}, false, 45000.5);
    TRun run = RunTool({"merge", Path("target.dat"), Path("source.dat"), "--router", "zulu",
                        "--saved-at", "45000.5"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Bytes("target.dat"), expectedOne);
    EXPECT_EQ(Bytes("source.dat"), source);

    SetUp();
    const std::string expectedAll = CoreMerge({0, 1, 2}, false, 37987.5);
    run = RunTool({"merge", Path("target.dat"), Path("source.dat"), "--all", "--saved-at=2004-01-01T12:00"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Bytes("target.dat"), expectedAll);
    const TRouterList merged = Read("target.dat");
    ASSERT_EQ(merged.Count(), 5);
    // ALPHA went behind alpha, whose entry was saved again in its place.
    EXPECT_EQ(merged.Name(0), "alpha");
    EXPECT_EQ(merged.Entry(0).HTTPPort, 1);
    EXPECT_EQ(merged.Entry(0).SavedAt, 37987.5);
    EXPECT_EQ(merged.Entry(1).HTTPPort, 8080);
    EXPECT_EQ(merged.Entry(1).ReservedFlag, 9);
    EXPECT_EQ(merged.Name(4), "Zulu");
    EXPECT_EQ(merged.Entry(4).HTTPPort, 65535);
    EXPECT_EQ(merged.Entry(4).Comments, "eins\r\nzwei");
    EXPECT_EQ(merged.Entry(4).OfflineCode, "<td>\n0.0.0.0");
}

TEST_F(MergeDiffPackTest, MergeSkipsExistingNamesOnRequest)
{
    const std::string expected = CoreMerge({0, 2}, false, 2);
    const TRun run = RunTool({"merge", Path("target.dat"), Path("source.dat"), "--all", "--skip-existing",
                              "--saved-at", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("\"ALPHA\" ausgelassen"), std::string::npos) << run.err;
    EXPECT_EQ(Bytes("target.dat"), expected);

    // Nothing left to take over: the target stays as it was.
    const std::string before = Bytes("target.dat");
    EXPECT_EQ(RunTool({"merge", Path("target.dat"), Path("source.dat"), "--all", "--skip-existing"}).exitCode, 0);
    EXPECT_EQ(Bytes("target.dat"), before);
}

TEST_F(MergeDiffPackTest, MergeRefusesWithoutWriting)
{
    const std::string target = Bytes("target.dat");
    const QStringList refused[] = {
        {"merge", Path("target.dat"), Path("source.dat")},
        {"merge", Path("target.dat"), Path("source.dat"), "--all", "--router", "Zulu"},
        {"merge", Path("target.dat"), Path("source.dat"), "--router", "Nirgends"},
        {"merge", Path("target.dat"), Path("source.dat"), "--all", "--saved-at", "2004-02-30"},
        {"merge", Path("target.dat"), Path("source.dat"), "--all", "--saved-at", "gestern"},
        {"merge", Path("target.dat"), Path("fehlt.dat"), "--all"},
        {"merge", Path("target.dat"), Path("target.dat"), "--all"},
        {"merge", Path("target.dat"), Path("link.dat"), "--all"},
    };
    QFile::link(Path("target.dat"), Path("link.dat"));
    for (const QStringList& arguments : refused) {
        const TRun run = RunTool(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.empty());
        EXPECT_EQ(Bytes("target.dat"), target);
    }
    EXPECT_FALSE(QFile::exists(Path("fehlt.dat")));
}

TEST_F(MergeDiffPackTest, MergeCreatesAMissingTargetAndKeepsADamagedOne)
{
    ASSERT_EQ(RunTool({"merge", Path("neu.dat"), Path("source.dat"), "--all"}).exitCode, 0);
    EXPECT_EQ(Read("neu.dat").Count(), 3);

    std::string damaged = Bytes("target.dat");
    damaged.resize(damaged.size() - 5);
    Write("target.dat", damaged);
    const TRun run = RunTool({"merge", Path("target.dat"), Path("source.dat"), "--router", "Echo"});
    ASSERT_EQ(run.exitCode, 2) << run.err; // merged, but the input was damaged
    EXPECT_NE(run.err.find("besch\xC3\xA4" "digt"), std::string::npos);
    EXPECT_EQ(Bytes("target.dat.bak"), damaged);
    EXPECT_EQ(Read("target.dat").Count(), 3);
}

TEST_F(MergeDiffPackTest, DiffOfAFileAndAMergedCopy)
{
    ASSERT_TRUE(QFile::copy(Path("target.dat"), Path("copy.dat")));
    TRun run = RunTool({"diff", Path("target.dat"), Path("copy.dat")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");

    ASSERT_EQ(RunTool({"merge", Path("copy.dat"), Path("source.dat"), "--all", "--saved-at", "3"}).exitCode, 0);
    run = RunTool({"diff", Path("target.dat"), Path("copy.dat")});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    const std::string expected = "--- " + Path("target.dat").toStdString() + "\n+++ " +
                                 Path("copy.dat").toStdString() +
                                 "\n~ \"alpha\"\n"
                                 "    HTTPPort: 0 -> 1\n"
                                 "    BrowserAuth: 2 -> 1\n"
                                 "    AuthString: \"login.cgi\" -> \"\"\n"
                                 "    SavedAt: 40000.25 -> 3.0\n"
                                 "    Comments: \"eins\\u000a" "zwei\" -> \"eins\\u000d\\u000azwei\"\n"
                                 "    Reserved1: \"alt\" -> \"\"\n"
                                 "    ReservedFlag: 9 -> 1\n"
                                 "+ \"ALPHA\"\n"
                                 "+ \"Echo\"\n"
                                 "+ \"Zulu\"\n";
    EXPECT_EQ(run.out, expected);

    run = RunTool({"diff", "--json", "--ignore", "SavedAt,HTTPPort,BrowserAuth,AuthString,Comments,"
                   "Reserved1,ReservedFlag", Path("copy.dat"), Path("target.dat")});
    EXPECT_EQ(run.exitCode, 1);
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    EXPECT_EQ(json["onlyInA"].toArray(), QJsonArray({"ALPHA", "Echo", "Zulu"}));
    EXPECT_EQ(json["onlyInB"].toArray(), QJsonArray());
    EXPECT_EQ(json["different"].toArray(), QJsonArray());

    // Equal as far as it could be read, but a stray byte at the end.
    Write("stray.dat", Bytes("target.dat") + 'x');
    run = RunTool({"diff", Path("target.dat"), Path("stray.dat")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("besch\xC3\xA4" "digt"), std::string::npos) << run.err;
    EXPECT_EQ(RunTool({"diff", Path("stray.dat"), Path("copy.dat")}).exitCode, 2);

    EXPECT_EQ(RunTool({"diff", Path("target.dat"), Path("fehlt.dat")}).exitCode, 2);
    EXPECT_EQ(RunTool({"diff", "--ignore", "Unbekannt", Path("target.dat"), Path("copy.dat")}).exitCode, 2);
    EXPECT_EQ(RunTool({"diff", Path("target.dat")}).exitCode, 2);
}

TEST_F(MergeDiffPackTest, PackOfDumpGivesTheFileBack)
{
    const TRun dump = RunTool({"dump", Path("source.dat")});
    ASSERT_EQ(dump.exitCode, 0);
    Write("source.json", dump.out);
    const TRun pack = RunTool({"pack", Path("source.json"), Path("packed.dat")});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(pack.err, "");
    EXPECT_EQ(Bytes("packed.dat"), Bytes("source.dat"));
}

TEST_F(MergeDiffPackTest, PackRefusesInvalidJsonAndWritesNothing)
{
    std::string json = RunTool({"dump", Path("source.dat")}).out;
    json.replace(json.find("\"HTTPPort\": 443"), 15, "\"HTTPPort\": \"443\"");
    Write("bad.json", json);
    Write("old.dat", "alt");
    TRun run = RunTool({"pack", Path("bad.json"), Path("old.dat")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Router 3 (\"Echo\"), Feld \"HTTPPort\""), std::string::npos) << run.err;
    EXPECT_EQ(Bytes("old.dat"), "alt");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);

    EXPECT_EQ(RunTool({"pack", Path("fehlt.json"), Path("neu.dat")}).exitCode, 1);
    EXPECT_EQ(RunTool({"pack", Path("bad.json"), Path("bad.json")}).exitCode, 1);
    EXPECT_FALSE(QFile::exists(Path("neu.dat")));

    // A change that the writer makes is told, and the file is written.
    json = RunTool({"dump", Path("source.dat")}).out;
    json.replace(json.find("\"OfflineCode\": \""), 16, "\"OfflineCode\": \"\\t");
    Write("tab.json", json);
    run = RunTool({"pack", Path("tab.json"), Path("tab.dat")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.err.find("Router 1 (\"Zulu\"), Feld \"OfflineCode\""), std::string::npos) << run.err;
    EXPECT_EQ(Bytes("tab.dat"), Bytes("source.dat"));
}
