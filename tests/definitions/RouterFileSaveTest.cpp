// Loading and saving files on disk: missing and unreadable files, the
// crash-safe save with its failures, the backup of a damaged file, the lock.

#include "AtomicFile.h"
#include "FileMessages.h"
#include "RouterTestUtil.h"

#ifndef _WIN32
#include "KilledSave.h"
#endif

#include <cerrno>
#include <chrono>
#include <random>

#ifndef _WIN32
#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace routertest;

namespace {

class RouterFileSave : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetWriteFaultForTesting(TWriteStep::None, 0);
        SetLoadFaultForTesting(0);
        SetLockWaitForTesting(10000);
        SetLockFaultForTesting(0);
    }

    // A small list with a TAB in an HTML field and in a property value.
    static TRouterList SmallList()
    {
        TRouterList list;
        auto entry = Entry("Neu");
        entry->OfflineCode = "off\tline";
        entry->Status2Values.Add("p=a\tb");
        list.Add("Neu", std::move(entry));
        return list;
    }

    TempDir dir;
    const std::string path = dir / "Routers.dat";
    MessageRecorder messages;
};

// Tells files apart, as the inode number does on POSIX systems.
std::uint64_t FileId(const std::string& path)
{
    TFileInfo info;
    GetInfo(path, info);
    return info.inode;
}

const std::string kOldBytes = "\x03\x01\0\0 the old file, never to be lost";

} // namespace

TEST_F(RouterFileSave, MissingFileIsCreatedEmpty)
{
    TRouterList list;
    list.Add("stale", Entry("stale"));
    const TLoadResult result = LoadRouterList(path, list);
    EXPECT_TRUE(result.complete);
    EXPECT_FALSE(result.version);
    EXPECT_TRUE(list.Empty());
    ASSERT_TRUE(Exists(path));
    EXPECT_EQ(std::filesystem::file_size(FsPath(path)), 0u);
}

TEST_F(RouterFileSave, MissingFileWithFailIsReportedAndNotCreated)
{
    TRouterList list;
    try {
        LoadRouterList(path, list, TMissingFile::Fail);
        FAIL() << "no TFileError";
    } catch (const TFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Datei \"" + path +
                                             "\" kann nicht geöffnet werden. " +
                                             Reason(ENOENT));
    }
    EXPECT_FALSE(Exists(path));
}

TEST_F(RouterFileSave, MissingFileThatCannotBeCreated)
{
    const std::string inMissingFolder = dir / "no-such-folder/Routers.dat";
    TRouterList list;
    try {
        LoadRouterList(inMissingFolder, list);
        FAIL() << "no TFileError";
    } catch (const TFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Datei \"" + inMissingFolder +
                                             "\" kann nicht erstellt werden. " + Reason(ENOENT));
    }
}

TEST_F(RouterFileSave, UnreadableFileIsLeftAloneAndReported)
{
    // A folder at the path cannot be read as a file, even by root.
    std::filesystem::create_directory(FsPath(path));
    TRouterList list;
    list.Add("stale", Entry("stale"));
    try {
        LoadRouterList(path, list);
        FAIL() << "no TFileError";
    } catch (const TFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Datei \"" + path +
                                             "\" kann nicht geöffnet werden. " +
                                             Reason(EISDIR));
    }
    EXPECT_TRUE(list.Empty());
    EXPECT_TRUE(std::filesystem::is_directory(path));

    // A file that the system refuses to open is neither emptied nor made anew.
    const std::string file = dir / "locked.dat";
    WriteBytes(file, kOldBytes);
    const std::uint64_t id = FileId(file);
    SetLoadFaultForTesting(EACCES);
    try {
        LoadRouterList(file, list);
        FAIL() << "no TFileError";
    } catch (const TFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Datei \"" + file +
                                             "\" kann nicht geöffnet werden. " +
                                             Reason(EACCES));
    }
    EXPECT_EQ(ReadBytes(file), kOldBytes);
    EXPECT_EQ(FileId(file), id);
}

TEST_F(RouterFileSave, SaveWritesAndRecordsLoseHtmlTabs)
{
    TRouterList list = SmallList();
    ASSERT_TRUE(SaveRouterList(list, path));
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(list.Entry(0).OfflineCode, "offline");
    EXPECT_EQ(list.Entry(0).Status2Values.Value("p"), "a\tb");
    TRouterList read;
    const TLoadResult result = LoadRouterList(path, read);
    EXPECT_TRUE(result.complete);
    EXPECT_EQ(read.Entry(0).Status2Values.Value("p"), "ab");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"});
}

TEST_F(RouterFileSave, EveryFailingStepLeavesTheOldFile)
{
    struct Case {
        TWriteStep step;
        int error;
        bool keepOriginal;
        std::string message; // the whole text, or a part of it
        bool exact;
    };
    const std::string created = "Fehler beim Erstellen der Datei " + path + "! ";
    const std::vector<Case> cases = {
        {TWriteStep::Lock, EWOULDBLOCK, false,
         created + "Ein anderes Programm liest oder speichert sie gerade; bitte versuchen Sie es gleich noch einmal.", true},
        {TWriteStep::Create, ENOSPC, false, created + Reason(ENOSPC), true},
        {TWriteStep::Write, ENOSPC, false,
         "Fehler beim Schreiben der Datei \"" + path + "\": " + Reason(ENOSPC) +
             (Reason(ENOSPC).ends_with('.') ? "" : ".") +
             " Die bisherige Datei ist unverändert geblieben.",
         true},
        {TWriteStep::Sync, EIO, false, Reason(EIO), false},
        {TWriteStep::Backup, EPERM, true, Reason(EPERM), false},
        {TWriteStep::Rename, EBUSY, true, Reason(EBUSY), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.step));
        WriteBytes(path, kOldBytes);
        messages.texts.clear();
        TRouterList list = SmallList();
        SetWriteFaultForTesting(c.step, c.error);
        EXPECT_FALSE(SaveRouterList(list, path, c.keepOriginal));
        EXPECT_EQ(ReadBytes(path), kOldBytes);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"}) << "temporary file or backup left";
        ASSERT_EQ(messages.texts.size(), 1u);
        const std::string shown = ToCp1252Text(c.message).Bytes();
        if (c.exact)
            EXPECT_EQ(messages.texts[0], shown);
        else
            EXPECT_NE(messages.texts[0].find(shown), std::string::npos) << messages.texts[0];
        EXPECT_NE(messages.texts[0].find(path), std::string::npos);
        EXPECT_EQ(messages.captions[0], "Fehler");
        EXPECT_EQ(messages.styles[0], MsgBoxStyle(mkError, btnOK));
        // A file that could not even be created leaves the records alone.
        const bool created = c.step != TWriteStep::Lock && c.step != TWriteStep::Create;
        EXPECT_EQ(list.Entry(0).OfflineCode, created ? "offline" : "off\tline");
        // The next save goes through.
        EXPECT_TRUE(SaveRouterList(list, path));
    }
}

TEST_F(RouterFileSave, TooLongTextRefusesTheSave)
{
    WriteBytes(path, kOldBytes);
    TRouterList list = SmallList();
    list.Add("Lang", Entry("Lang"));
    list.Entry(0).UserDef2 = std::string(70000, 'u');
    EXPECT_FALSE(SaveRouterList(list, path));
    EXPECT_EQ(ReadBytes(path), kOldBytes);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"});
    EXPECT_EQ(list.Entry(1).OfflineCode, "off\tline");
    ASSERT_EQ(messages.texts.size(), 1u);
    const std::string& text = messages.texts[0];
    EXPECT_NE(text.find("\"Lang\""), std::string::npos) << text;
    EXPECT_NE(text.find("Benutzerdefinierte Aktion 2"), std::string::npos) << text;
    EXPECT_NE(text.find("70000"), std::string::npos) << text;
    EXPECT_EQ(messages.styles[0], MsgBoxStyle(mkError, btnOK));
}

TEST_F(RouterFileSave, DamagedFileIsKeptAsBackupAtTheFirstSave)
{
    std::string damaged = Sample("v259-full.dat");
    damaged.resize(damaged.size() - 10);
    WriteBytes(path, damaged);
    WriteBytes(path + ".bak", "an older backup");
    WriteBytes(path + ".bak2", "another one");

    TRoutersFile file(path);
    TRouterList list;
    const TLoadResult result = file.Load(list);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_TRUE(file.KeepsOriginalOnSave());

    ASSERT_TRUE(file.Save(list));
    EXPECT_EQ(file.LastBackupPath(), path + ".bak3");
    EXPECT_EQ(ReadBytes(path + ".bak3"), damaged);
    EXPECT_EQ(ReadBytes(path + ".bak"), "an older backup");
    EXPECT_EQ(ReadBytes(path + ".bak2"), "another one");
    EXPECT_EQ(ReadBytes(path), SerializeRouterList(list));
    EXPECT_FALSE(file.KeepsOriginalOnSave());

    // Later saves replace the file without a further backup.
    ASSERT_TRUE(file.Save(list));
    EXPECT_EQ(file.LastBackupPath(), "");
    EXPECT_EQ(dir.Entries(),
              (std::vector<std::string>{"Routers.dat", "Routers.dat.bak", "Routers.dat.bak2", "Routers.dat.bak3"}));
}

TEST_F(RouterFileSave, BackupIsCopiedWhereHardLinksFail)
{
    WriteBytes(path, kOldBytes);
#ifndef _WIN32
    ::chmod(path.c_str(), 0604);
#endif
    TRouterList list = SmallList();
    SetWriteFaultForTesting(TWriteStep::BackupLink, EPERM);
    std::string backup;
    ASSERT_TRUE(SaveRouterList(list, path, true, &backup));
    EXPECT_EQ(backup, path + ".bak");
    EXPECT_EQ(ReadBytes(backup), kOldBytes);
    EXPECT_NE(FileId(backup), FileId(path));
#ifndef _WIN32
    struct stat copy {
    };
    ::stat(backup.c_str(), &copy);
    EXPECT_EQ(copy.st_mode & 0777, 0604u);
#endif
}

TEST_F(RouterFileSave, FailedSaveKeepsTheBackupPending)
{
    WriteBytes(path, "\x03\x01");
    TRoutersFile file(path);
    TRouterList list;
    EXPECT_FALSE(file.Load(list).complete);
    list.Add("x", Entry("x"));
    SetWriteFaultForTesting(TWriteStep::Rename, EIO);
    EXPECT_FALSE(file.Save(list));
    EXPECT_TRUE(file.KeepsOriginalOnSave());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"});
    ASSERT_TRUE(file.Save(list));
    EXPECT_EQ(ReadBytes(path + ".bak"), "\x03\x01");
}

TEST_F(RouterFileSave, UnreadableFileIsKeptAsBackup)
{
    WriteBytes(path, kOldBytes);
    TRoutersFile file(path);
    TRouterList list;
    SetLoadFaultForTesting(EACCES);
    EXPECT_THROW(file.Load(list), TFileError);
    EXPECT_TRUE(file.KeepsOriginalOnSave());
    list.Add("x", Entry("x"));
    ASSERT_TRUE(file.Save(list));
    EXPECT_EQ(ReadBytes(path + ".bak"), kOldBytes);
}

TEST_F(RouterFileSave, CompleteAndMissingFilesNeedNoBackup)
{
    TRoutersFile file(path);
    TRouterList list;
    EXPECT_TRUE(file.Load(list).complete); // created empty
    EXPECT_FALSE(file.KeepsOriginalOnSave());
    list.Add("x", Entry("x"));
    ASSERT_TRUE(file.Save(list));
    EXPECT_TRUE(file.Load(list).complete);
    EXPECT_FALSE(file.KeepsOriginalOnSave());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"});
}

TEST_F(RouterFileSave, FolderNamedOutsideTheCodePage)
{
    // Umlauts, a Greek letter and a character beyond 16 bits in UTF-16.
    const TempDir unicode("Router \xC3\x84 \xCE\xA9 \xF0\x9F\x90\xA7 ");
    const std::string file = unicode / "Routers \xC3\x9C.dat";
    TRoutersFile routers(file);
    TRouterList list;
    EXPECT_TRUE(routers.Load(list).Faithful()); // created
    list = SmallList();
    ASSERT_TRUE(routers.Save(list));
    ASSERT_TRUE(SaveRouterList(list, file, true));
    EXPECT_EQ(ReadBytes(file), SerializeRouterList(list));
    EXPECT_EQ(unicode.Entries(),
              (std::vector<std::string>{"Routers \xC3\x9C.dat", "Routers \xC3\x9C.dat.bak"}));
    TRouterList read;
    EXPECT_TRUE(LoadRouterList(file, read, TMissingFile::Fail).Faithful());
    EXPECT_EQ(read.Count(), 1);
    // Messages are Windows-1252 text: what it lacks shows as "?".
    SetWriteFaultForTesting(TWriteStep::Create, ENOSPC);
    EXPECT_FALSE(SaveRouterList(list, file));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("Router \xC4 ? ? "), std::string::npos) << messages.texts[0];
}

TEST_F(RouterFileSave, ExeDirectoryEndsInASeparator)
{
    const std::string exeDir = ExeDirectory();
    ASSERT_FALSE(exeDir.empty());
#ifdef _WIN32
    EXPECT_EQ(exeDir.back(), '\\');
    EXPECT_TRUE(Exists(exeDir + "definitions_tests.exe"));
#else
    EXPECT_EQ(exeDir.back(), '/');
    EXPECT_TRUE(Exists(exeDir + "definitions_tests"));
#endif
    EXPECT_TRUE(std::filesystem::is_directory(FsPath(exeDir)));
}

TEST_F(RouterFileSave, EditorSaveKeepsWhatAnotherProgramWroteMeanwhile)
{
    TRouterList list;
    for (const char* name : {"A", "B"})
        list.Add(name, Entry(name));
    ASSERT_TRUE(SaveRouterList(list, path));
    TRoutersFile file(path);
    file.Load(list);
    // Another program adds C and changes A.
    TRouterList theirs;
    LoadRouterList(path, theirs);
    theirs.Add("C", Entry("C"));
    theirs.Entry(0).UserDef1 = "theirs";
    ASSERT_TRUE(SaveRouterList(theirs, path));

    // Meanwhile the editor renames A, deletes B and adds D.
    TRouterEntry& a = list.Entry(0);
    a.RouterVendor = "A2";
    a.Comments = "mine";
    list.Rename(0, "A2");
    file.Note({"A", a});
    file.Note({"B", std::nullopt});
    list.Delete(1);
    list.Add("D", Entry("D"));
    file.Note({"", *Entry("D")});
    int replaced = 0;
    ASSERT_TRUE(file.Save(list, [&](const std::function<void()>& replace) {
        ++replaced;
        replace();
    }));
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"A2", "C", "D"}));
    EXPECT_EQ(list.Entry(0).Comments, "mine");
    EXPECT_EQ(ReadBytes(path), SerializeRouterList(list));
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_NE(messages.texts[0].find("auf ihren Stand gebracht"), std::string::npos);

    // Nobody else wrote since: saved as it is, nothing to tell.
    file.Note({"C", std::nullopt});
    list.Delete(1);
    ASSERT_TRUE(file.Save(list, [&](const std::function<void()>&) { ++replaced; }));
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(ReadBytes(path), SerializeRouterList(list));
}

// ------------------------------------------------------------------------
// What only POSIX systems have: modes and the umask, symbolic links, the
// advisory lock of another editor, processes killed with a signal.
#ifndef _WIN32

namespace {

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {
    };
    ::stat(path.c_str(), &st);
    return st.st_mode & 0777;
}

} // namespace

TEST_F(RouterFileSave, NewFilesGetTheUsualPermissions)
{
    TRouterList list;
    LoadRouterList(path, list);
    EXPECT_EQ(ModeOf(path), 0666 & ~CurrentUmask());
    std::filesystem::remove(path);
    list = SmallList();
    ASSERT_TRUE(SaveRouterList(list, path));
    EXPECT_EQ(ModeOf(path), 0666 & ~CurrentUmask());
}

TEST_F(RouterFileSave, FileWithoutReadRightIsNotRecreated)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    WriteBytes(path, kOldBytes);
    ::chmod(path.c_str(), 0);
    TRouterList list;
    EXPECT_THROW(LoadRouterList(path, list), TFileError);
    ::chmod(path.c_str(), 0644);
    EXPECT_EQ(ReadBytes(path), kOldBytes);
}

TEST_F(RouterFileSave, SaveKeepsPermissionsAndFollowsLinks)
{
    WriteBytes(path, kOldBytes);
    ::chmod(path.c_str(), 0640);
    TRouterList list = SmallList();
    ASSERT_TRUE(SaveRouterList(list, path));
    struct stat st {
    };
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    const std::string link = dir / "link.dat";
    std::filesystem::create_symlink(path, link);
    list.Entry(0).Comments = "via link";
    ASSERT_TRUE(SaveRouterList(list, link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(path), SerializeRouterList(list));
}

TEST_F(RouterFileSave, AnotherEditorsLockFailsTheSave)
{
    WriteBytes(path, kOldBytes);
    const int other = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    SetLockWaitForTesting(50);
    TRouterList list = SmallList();
    EXPECT_FALSE(SaveRouterList(list, path));
    EXPECT_EQ(messages.texts,
              std::vector<std::string>{"Fehler beim Erstellen der Datei " + path +
                                       "! Ein anderes Programm liest oder speichert sie gerade; bitte versuchen Sie es gleich noch einmal."});
    EXPECT_EQ(ReadBytes(path), kOldBytes);
    ::close(other);
    EXPECT_TRUE(SaveRouterList(list, path));
}

// A process that saves two large lists in turn is killed at random moments;
// the file always holds one of them (or the first file) in full.
TEST_F(RouterFileSave, KilledSaveLeavesOldOrNewFile)
{
    TRouterList lists[2];
    std::string bytes[2];
    for (int which = 0; which < 2; ++which) {
        std::vector<TRouterItem> items;
        for (int i = 0; i < 20000; ++i) {
            const std::string name = "Router " + std::to_string(i);
            auto entry = Entry(name);
            entry->Comments = std::string(40 + which * 30, char('a' + which));
            items.push_back({name, std::move(entry)});
        }
        lists[which].AddAll(std::move(items));
        bytes[which] = SerializeRouterList(lists[which]);
    }
    // Even rounds run whole saves; odd rounds only the file part of a save,
    // with the bytes made beforehand, so that more kills land while the
    // temporary file is written, flushed and renamed.
    const auto writeBytes = [&](int which) {
        TAtomicFile file(path);
        return file.Open() && file.Write(bytes[which]) && file.Commit(false);
    };
    const auto timeOf = [](const auto& action) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(action());
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
            .count();
    };
    const long long saveMicros = timeOf([&] { return SaveRouterList(lists[0], path); });
    const long long writeMicros = timeOf([&] { return writeBytes(0); });

    std::mt19937 random(12345);
    int killedMidway = 0;
    int sawNew = 0;
    for (int round = 0; round < 24; ++round) {
        const bool whole = round % 2 == 0;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int n = 1;; ++n) {
                if (whole)
                    SaveRouterList(lists[n % 2], path);
                else
                    writeBytes(n % 2);
            }
        }
        // Kill within about three saves' time, however fast this machine is.
        const long long micros = whole ? saveMicros : writeMicros;
        ::usleep(useconds_t(micros / 5 + random() % (3 * micros + 1)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string now = ReadBytes(path);
        EXPECT_TRUE(now == bytes[0] || now == bytes[1]) << "round " << round << ": " << now.size() << " bytes";
        sawNew += now == bytes[1];
        // Temporary files of the killed process may stay; nothing else.
        for (const std::string& name : dir.Entries()) {
            if (name == "Routers.dat")
                continue;
            EXPECT_EQ(name.rfind("Routers.dat.tmp-", 0), 0u) << name;
            killedMidway += 1;
            std::filesystem::remove(dir / name);
        }
        // Start the next round from the old file.
        ASSERT_TRUE(writeBytes(0));
    }
    // The lock died with the process: saving works.
    EXPECT_TRUE(SaveRouterList(lists[1], path));
    EXPECT_EQ(ReadBytes(path), bytes[1]);
    RecordProperty("killedWhileWritingTemporary", killedMidway);
    RecordProperty("roundsWithNewFile", sawNew);
    EXPECT_GT(sawNew, 0) << "the child never finished a save";
}


// A save in place killed half way leaves its copy, which the next load
// names and which puts the previous bytes back.
TEST_F(RouterFileSave, KilledSaveInPlaceIsFoundAndPutBack)
{
    TRouterList list = SmallList();
    ASSERT_TRUE(SaveRouterList(list, path));
    const std::string before = ReadBytes(path);
    const std::string other = dir / "other-name.dat";
    std::filesystem::create_hard_link(path, other);
    list.Add("Anfang", Entry("Anfang"));
    ASSERT_TRUE(KillSaveInPlaceMidway(path, SerializeRouterList(list)));
    ASSERT_NE(ReadBytes(path), before);

    const TLoadResult loaded = LoadRouterList(path, list);
    ASSERT_FALSE(loaded.interruptedCopy.empty());
    EXPECT_FALSE(loaded.Faithful());
    EXPECT_EQ(ReadBytes(loaded.interruptedCopy), before);
    EXPECT_TRUE(RestoreInterruptedSave(path, loaded.interruptedCopy).Ok());
    EXPECT_EQ(ReadBytes(other), before);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Routers.dat", "other-name.dat"}));
    EXPECT_TRUE(LoadRouterList(path, list).Faithful());
}

// Where the file system has no locks (some network file systems), a killed
// save is found all the same.
TEST_F(RouterFileSave, KilledSaveInPlaceIsFoundWithoutLocks)
{
    SetLockFaultForTesting(ENOLCK);
    TRouterList list = SmallList();
    ASSERT_TRUE(SaveRouterList(list, path));
    std::filesystem::create_hard_link(path, dir / "other-name.dat");
    ASSERT_TRUE(KillSaveInPlaceMidway(path, std::string(4000, 'x')));
    EXPECT_NE(LoadRouterList(path, list).interruptedCopy, "");
    ASSERT_TRUE(SaveRouterList(list, path));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Routers.dat", "other-name.dat"}));
}

// However often saves are killed, one copy stands for the file; a copy
// never finished is never offered and goes; a save that ends takes the
// copy away.
TEST_F(RouterFileSave, CopiesOfKilledSavesNeverPileUp)
{
    TRouterList list = SmallList();
    ASSERT_TRUE(SaveRouterList(list, path));
    const std::string before = ReadBytes(path);
    std::filesystem::create_hard_link(path, dir / "other-name.dat");
    // Killed before it wrote a byte: the file is whole, nothing to offer.
    ASSERT_TRUE(KillSaveInPlaceMidway(path, ""));
    EXPECT_EQ(LoadRouterList(path, list).interruptedCopy, "");
    const std::string newBytes = std::string(4000, 'x');
    for (int kill = 0; kill < 3; ++kill)
        ASSERT_TRUE(KillSaveInPlaceMidway(path, newBytes));
    struct stat st {};
    ::stat(path.c_str(), &st);
    char unfinished[160];
    std::snprintf(unfinished, sizeof unfinished, "Routers.dat.bak-%llx-%llx-ffff-0123456789abcdef",
                  static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino));
    WriteBytes(dir / unfinished, "cut off");
    ::chmod((dir / unfinished).c_str(), 0600);
    EXPECT_EQ(dir.Entries().size(), 4u);
    const TLoadResult loaded = LoadRouterList(path, list);
    EXPECT_EQ(ReadBytes(loaded.interruptedCopy), before);

    ASSERT_TRUE(SaveRouterList(list, path));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Routers.dat", "other-name.dat"}));
}

// A save in place of another program, killed since the editor read the
// file, left it half written: the editor's change goes into the copy's
// bytes, whether the editor then writes in place too or renames.
TEST_F(RouterFileSave, EditorSaveAfterAnotherProgramsKilledSaveBuildsOnItsCopy)
{
    for (const bool inPlace : {true, false}) {
        TRouterList list = SmallList();
        list.Add("Alt", Entry("Alt"));
        ASSERT_TRUE(SaveRouterList(list, path));
        std::filesystem::create_hard_link(path, dir / "other-name.dat");
        TRoutersFile file(path);
        file.Load(list);
        ASSERT_TRUE(KillSaveInPlaceMidway(path, std::string(200, 'x')));
        if (!inPlace)
            std::filesystem::remove(dir / "other-name.dat");
        list.Add("Mein", Entry("Mein"));
        file.Note({"", *Entry("Mein")});
        ASSERT_TRUE(file.Save(list));
        EXPECT_NE(messages.texts.back().find("vollst\xE4ndigen Stand"), std::string::npos) << inPlace;
        EXPECT_EQ(Names(list), (std::vector<std::string>{"Alt", "Mein", "Neu"})) << inPlace;
        EXPECT_EQ(ReadBytes(path), SerializeRouterList(list)) << inPlace;
        std::filesystem::remove(dir / "other-name.dat");
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"}) << inPlace;
    }
}

// A copy no longer stands for the file once the file is shorter than the
// copy (a save that ended after all) or was made after it (a new file that
// got the number of the old one): it is not offered.
TEST_F(RouterFileSave, CopyThatNoLongerStandsForTheFileIsNotOffered)
{
    TRouterList list = SmallList();
    ASSERT_TRUE(SaveRouterList(list, path));
    const std::string other = dir / "other-name.dat";
    std::filesystem::create_hard_link(path, other);
    const std::size_t size = ReadBytes(path).size();
    ASSERT_TRUE(KillSaveInPlaceMidway(path, std::string(4 * size, 'x')));
    ASSERT_NE(LoadRouterList(path, list).interruptedCopy, "");
    std::filesystem::resize_file(path, size - 1);
    EXPECT_EQ(LoadRouterList(path, list).interruptedCopy, "");

    const std::uint64_t number = FileId(path);
    std::filesystem::remove(path);
    std::filesystem::remove(other);
    WriteBytes(path, std::string(2 * size, 'n'));
    if (FileId(path) != number)
        GTEST_SKIP() << "the file system gave the new file another number";
    EXPECT_EQ(LoadRouterList(path, list).interruptedCopy, "");
}

#endif
