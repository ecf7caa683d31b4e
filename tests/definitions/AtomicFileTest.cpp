// The crash-safe writer against targets it must refuse, folders it cannot
// write, hard links, owners, leftovers of killed saves, long names and a
// full disk.

#include "AtomicFile.h"
#include "ChildProcess.h"
#include "FileMessages.h"
#include "RouterTestUtil.h"
#include "Utf16.h"

#include <cerrno>
#include <fstream>
#include <functional>

#ifndef _WIN32
#include <csignal>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace routertest;

namespace {

const std::string kOld = "the old bytes, never to be lost";
const std::string kNew = "the new bytes";

class AtomicFileTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        SetWriteFaultForTesting(TWriteStep::None, 0);
        SetWritePauseForTesting({});
    }

    TempDir dir;
    const std::string path = dir / "Routers.dat";
};

bool IsReadOnly(const std::string& path)
{
    using std::filesystem::perms;
    return (std::filesystem::status(FsPath(path)).permissions() & perms::owner_write) ==
           perms::none;
}

void SetPermissions(const std::string& path, unsigned mode)
{
    std::filesystem::permissions(FsPath(path), std::filesystem::perms(mode));
}

} // namespace

// The quick hash that tells a changed file: the same for any split into
// pieces, and changed by any one byte, the trailing ones of an incomplete
// word included.
TEST(QuickHash, PiecesAddUpAndEveryByteCounts)
{
    std::string bytes;
    for (int i = 0; i < 101; ++i)
        bytes += char(i * 97);
    const TQuickHash whole = QuickHashOf(bytes);
    for (std::size_t first = 0; first <= bytes.size(); ++first) {
        TQuickHash pieces;
        pieces.Add(std::string_view(bytes).substr(0, first));
        pieces.Add(std::string_view(bytes).substr(first, 37));
        pieces.Add(std::string_view(bytes).substr(std::min(bytes.size(), first + 37)));
        EXPECT_EQ(pieces, whole) << first;
        std::string changed = bytes;
        if (first < bytes.size()) {
            changed[first] ^= 1;
            EXPECT_FALSE(QuickHashOf(changed) == whole) << first;
        }
    }
}

TEST_F(AtomicFileTest, ReadOnlyTargetIsRefused)
{
    // On Windows both are the read-only attribute.
    for (const unsigned mode : {0444, 0000}) {
        SCOPED_TRACE(mode);
        WriteBytes(path, kOld);
        SetPermissions(path, mode);
        const TWriteResult result = WriteFileCrashSafe(path, kNew);
        EXPECT_EQ(result.failedStep, TWriteStep::Create);
        EXPECT_EQ(result.error, EACCES);
        EXPECT_TRUE(IsReadOnly(path));
        SetPermissions(path, 0644);
        EXPECT_EQ(ReadBytes(path), kOld);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"});
    }
    // The editor says it as its own creation message, with the reason.
    MessageRecorder messages;
    SetPermissions(path, 0444);
    TRouterList list;
    list.Add("x", Entry("x"));
    EXPECT_FALSE(SaveRouterList(list, path));
    SetPermissions(path, 0644);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Fehler beim Erstellen der Datei " + path +
                                                       "! " + Reason(EACCES)});
}

TEST_F(AtomicFileTest, HardLinkedFileIsWrittenInPlaceAfterABackup)
{
    WriteBytes(path, kOld);
    const std::string other = dir / "other-name.dat";
    std::filesystem::create_hard_link(FsPath(path), FsPath(other));
    ASSERT_TRUE(WriteFileCrashSafe(path, kNew).Ok());
    EXPECT_EQ(ReadBytes(other), kNew) << "the link still shares the file";
    EXPECT_TRUE(std::filesystem::equivalent(FsPath(path), FsPath(other)));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Routers.dat", "other-name.dat"}));

    // Kept on request, as for a damaged file.
    const TWriteResult kept = WriteFileCrashSafe(path, kOld, true);
    ASSERT_TRUE(kept.Ok());
    EXPECT_EQ(kept.backupPath, path + ".bak");
    EXPECT_EQ(ReadBytes(kept.backupPath), kNew);
    EXPECT_EQ(ReadBytes(other), kOld);
}

TEST_F(AtomicFileTest, FailedWriteInPlacePutsTheOldBytesBack)
{
    const std::string other = dir / "other-name.dat";
    struct Case {
        TWriteStep step;
        int error;
    };
    for (const Case c : {Case{TWriteStep::Write, ENOSPC}, Case{TWriteStep::Sync, EIO}}) {
        SCOPED_TRACE(int(c.step));
        WriteBytes(path, kOld);
        std::filesystem::remove(FsPath(other));
        std::filesystem::create_hard_link(FsPath(path), FsPath(other));
        SetWriteFaultForTesting(c.step, c.error);
        const std::string longer(3 * kOld.size(), 'n');
        const TWriteResult result = WriteFileCrashSafe(path, longer);
        EXPECT_EQ(result.failedStep, c.step);
        EXPECT_FALSE(result.targetChanged);
        EXPECT_EQ(ReadBytes(path), kOld);
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Routers.dat", "other-name.dat"}));
        EXPECT_NE(WriteFailureMessage(path, result)
                      .find("Die bisherige Datei ist unverändert geblieben."),
                  std::string::npos);
    }
    // Given up half way (an error while making the bytes): the same.
    {
        TAtomicFile file(path);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.WritesInPlace());
        ASSERT_TRUE(file.Write("xx"));
    }
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"Routers.dat", "other-name.dat"}));
}

TEST_F(AtomicFileTest, FolderWithoutRightsFallsBackToWritingInPlace)
{
    // As a save that may not create files in the folder sees it.
    WriteBytes(path, kOld);
    SetWriteFaultForTesting(TWriteStep::Create, EACCES);
    TAtomicFile file(path);
    ASSERT_TRUE(file.Open());
    EXPECT_TRUE(file.WritesInPlace());
    ASSERT_TRUE(file.Write(kNew));
    ASSERT_TRUE(file.Commit(false));
    EXPECT_EQ(ReadBytes(path), kNew);

    // A new file cannot be written in place.
    SetWriteFaultForTesting(TWriteStep::Create, EACCES);
    const TWriteResult result = WriteFileCrashSafe(dir / "new.dat", kNew);
    EXPECT_EQ(result.failedStep, TWriteStep::Create);
    EXPECT_FALSE(Exists(dir / "new.dat"));
}

TEST_F(AtomicFileTest, LeftoversOfKilledSavesAreRemoved)
{
    WriteBytes(path, kOld);
    // A process id that no process has any more.
    const TEndedProcess ended;
    const long gone = ended.Id();
    ASSERT_NE(gone, 0);
    const std::string dead = "Routers.dat.tmp-" + std::to_string(gone) + "-1a2b3c";
    const std::string mine = "Routers.dat.tmp-" + std::to_string(CurrentProcessId()) + "-1a2b3c";
    const std::string notOurs = "Routers.dat.tmp-notes";
    const std::string otherFile = "Other.dat.tmp-" + std::to_string(gone) + "-1a2b3c";
    for (const std::string& name : {dead, mine, notOurs, otherFile})
        WriteBytes(dir / name, "leftover");
    // A save in another process whose id is unknown here holds its lock.
    const std::string locked = "Routers.dat.tmp-" + std::to_string(gone) + "-4d5e6f";
    WriteBytes(dir / locked, "in use");
    TFileHandle holder;
    ASSERT_EQ(OpenForReading(dir / locked, holder), 0);
    ASSERT_EQ(TryLockExclusive(holder), 0);

    TRoutersFile file(path);
    TRouterList list;
    file.Load(list);
    holder.Close();
    std::vector<std::string> kept = {otherFile, "Routers.dat", locked, mine, notOurs};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(dir.Entries(), kept);
    // A save cleans up as well.
    ASSERT_TRUE(WriteFileCrashSafe(path, kNew).Ok());
    EXPECT_FALSE(Exists(dir / locked));
}

TEST_F(AtomicFileTest, LongNamesFitTheNameLimit)
{
    // The names of the temporary file and the backup are cut between
    // characters, never inside one.
    std::string umlauts;
    for (int i = 0; i < 125; ++i)
        umlauts += "\xC3\xA4";
    for (const std::string& name : {std::string(250, 'n'), umlauts}) {
        const std::string target = dir / name;
        ASSERT_TRUE(WriteFileCrashSafe(target, kOld).Ok());
        ASSERT_TRUE(WriteFileCrashSafe(target, kNew, true).Ok());
        EXPECT_EQ(ReadBytes(target), kNew);
        std::vector<std::string> entries = dir.Entries();
        ASSERT_EQ(entries.size(), 2u);
        const std::string& backup = entries[0] == name ? entries[1] : entries[0];
        EXPECT_EQ(ReadBytes(dir / backup), kOld);
        EXPECT_LE(backup.size(), 255u);
        EXPECT_EQ(Utf8ToUtf16(backup).find(u'\xC3'), std::u16string::npos)
            << "a character cut in two";
        std::filesystem::remove(FsPath(target));
        std::filesystem::remove(FsPath(dir / backup));
    }
}

TEST_F(AtomicFileTest, EmptyPathCannotBeCreated)
{
    const auto entriesHere = [] {
        return std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator());
    };
    const auto before = entriesHere();
    const TWriteResult result = WriteFileCrashSafe("", kNew);
    EXPECT_EQ(result.failedStep, TWriteStep::Create);
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_EQ(WriteFailureMessage("", result).rfind("Datei \"\" kann nicht erstellt werden. ", 0), 0u);
    EXPECT_EQ(entriesHere(), before) << "temporary file left";
}

// ------------------------------------------------------------------------
// What only POSIX systems have: FIFOs, device nodes, symbolic links, owners
// and modes, users without root's rights, limits of a process.
#ifndef _WIN32

namespace {

struct stat StatOf(const std::string& path) {
    struct stat st{};
    ::lstat(path.c_str(), &st);
    return st;
}

pid_t StartChild(const std::function<int()>& action)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(action());
    return child;
}

// The exit status of the child, or -1 when it died of a signal.
int WaitForChild(pid_t child)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs `action` in a child process and returns its exit status.
int InChild(const std::function<int()>& action)
{
    return WaitForChild(StartChild(action));
}

// The names in the folder that begin with the prefix.
std::vector<std::string> NamesStartingWith(const TempDir& dir, const std::string& prefix)
{
    std::vector<std::string> names;
    for (const std::string& name : dir.Entries()) {
        if (name.rfind(prefix, 0) == 0)
            names.push_back(name);
    }
    return names;
}

// The unprivileged user that the tests run as where they run as root.
const passwd* Nobody()
{
    return ::getpwnam("nobody");
}

constexpr int kCannotDropRights = 77;

// Runs `action` in a child process without the rights of root: as nobody,
// with `groups` as its further groups, when the tests run as root, else as
// the user itself.
int WithoutRootRights(const std::function<int()>& action, const std::vector<gid_t>& groups = {})
{
    return InChild([&] {
        if (::geteuid() == 0) {
            const passwd* nobody = Nobody();
            if (!nobody || ::setgroups(groups.size(), groups.data()) != 0 ||
                ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                return kCannotDropRights;
        }
        return action();
    });
}

// Gives the files to the user that WithoutRootRights runs as.
void HandOver(const std::vector<std::string>& files)
{
    if (::geteuid() != 0)
        return;
    const passwd* nobody = Nobody();
    ASSERT_TRUE(nobody);
    for (const std::string& file : files)
        ASSERT_EQ(::chown(file.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
}

} // namespace

TEST_F(AtomicFileTest, OnlyRegularFilesAreReplaced)
{
    const std::string fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string dangling = dir / "dangling";
    ASSERT_EQ(::symlink((dir / "nowhere/Routers.dat").c_str(), dangling.c_str()), 0);
    const std::string folder = dir / "folder";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);

    const TWriteResult toFifo = WriteFileCrashSafe(fifo, kNew);
    EXPECT_EQ(toFifo.failedStep, TWriteStep::Target);
    EXPECT_TRUE(S_ISFIFO(StatOf(fifo).st_mode));
    EXPECT_EQ(WriteFailureMessage(fifo, toFifo),
              "Datei \"" + fifo + "\" kann nicht erstellt werden. Sie ist eine benannte Pipe (FIFO), keine "
              "gewöhnliche Datei.");

    const TWriteResult toDangling = WriteFileCrashSafe(dangling, kNew);
    EXPECT_EQ(toDangling.failedStep, TWriteStep::Target);
    EXPECT_TRUE(S_ISLNK(StatOf(dangling).st_mode));
    EXPECT_NE(WriteFailureMessage(dangling, toDangling).find("Verknüpfung auf eine Datei, die es nicht gibt"),
              std::string::npos);

    EXPECT_EQ(WriteFileCrashSafe(folder, kNew).failedStep, TWriteStep::Target);
    EXPECT_TRUE(S_ISDIR(StatOf(folder).st_mode));

    // A device node of our own, where this user may make one (as /dev/null).
    const std::string device = dir / "null";
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        const TWriteResult toDevice = WriteFileCrashSafe(device, kNew);
        EXPECT_EQ(toDevice.failedStep, TWriteStep::Target);
        EXPECT_EQ(toDevice.targetKind, TFileKind::Device);
        EXPECT_TRUE(S_ISCHR(StatOf(device).st_mode));
    }
    EXPECT_EQ(dir.Entries().size(), ::access(device.c_str(), F_OK) == 0 ? 4u : 3u) << "temporary file left";
}

TEST_F(AtomicFileTest, ReadOnlyFolderIsWrittenInPlace)
{
    WriteBytes(path, kOld);
    TempDir state;
    HandOver({path, state.Path()});
    const ino_t inode = StatOf(path).st_ino;
    ::chmod(dir.Path().c_str(), 0555);
    const int status = WithoutRootRights([&] {
        ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
        TAtomicFile file(path);
        return file.Open() && file.WritesInPlace() && file.Write(kNew) && file.Commit(false) ? 0 : 1;
    });
    ::chmod(dir.Path().c_str(), 0755);
    if (status == kCannotDropRights)
        GTEST_SKIP() << "cannot drop root's rights here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(path), kNew);
    EXPECT_EQ(StatOf(path).st_ino, inode);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"});
    // The backup copy went to the state folder and is gone once the new
    // bytes are safe.
    EXPECT_EQ(state.Entries(), std::vector<std::string>{"tarvelo-editor"});
    EXPECT_TRUE(std::filesystem::is_empty(state / "tarvelo-editor"));

    // Where the state folder takes none either, the message names both.
    TempDir closed;
    ::chmod(closed.Path().c_str(), 0555);
    ::chmod(dir.Path().c_str(), 0555);
    const std::string expected = "weder in \"" + dir.Path() + "\" noch in \"" + (closed / "tarvelo-editor") + "\"";
    EXPECT_EQ(WithoutRootRights([&] {
        ::setenv("XDG_STATE_HOME", closed.Path().c_str(), 1);
        const TWriteResult result = WriteFileCrashSafe(path, kOld);
        return result.failedStep == TWriteStep::Backup &&
                       WriteFailureMessage(path, result).find(expected) != std::string::npos
                   ? 0
                   : 1;
    }), 0);
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(ReadBytes(path), kNew);
}

TEST_F(AtomicFileTest, OwnerGroupAndModeAreKept)
{
    WriteBytes(path, kOld);
    ::chmod(path.c_str(), 0640);
    const passwd* nobody = Nobody();
    const bool root = ::geteuid() == 0 && nobody;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    }
    const struct stat before = StatOf(path);
    ASSERT_TRUE(WriteFileCrashSafe(path, kNew).Ok());
    const struct stat after = StatOf(path);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);

    // A mode that would lock the owner out of reading it at the next start
    // is not kept.
    ::chmod(path.c_str(), 0200);
    ASSERT_TRUE(WriteFileCrashSafe(path, kOld).Ok());
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0600u);
}

TEST_F(AtomicFileTest, FileOfAnotherOwnerKeepsItsOwner)
{
    // Root owns the file, the group may write it: the group's member saves.
    WriteBytes(path, kOld);
    const passwd* nobody = Nobody();
    if (::geteuid() != 0 || !nobody)
        GTEST_SKIP() << "needs root to set up two users";
    ASSERT_EQ(::chown(path.c_str(), 0, nobody->pw_gid), 0);
    ::chmod(path.c_str(), 0664);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    const int status = WithoutRootRights([&] { return WriteFileCrashSafe(path, kNew).Ok() ? 0 : 1; });
    if (status == kCannotDropRights)
        GTEST_SKIP() << "cannot drop root's rights here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(path), kNew);
    EXPECT_EQ(StatOf(path).st_uid, 0u);
    EXPECT_EQ(StatOf(path).st_gid, nobody->pw_gid);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"});
}

TEST_F(AtomicFileTest, GroupIsKeptByItsMembersAndByWritingInPlace)
{
    // The user's own file belongs to a group other than the user's own.
    const passwd* nobody = Nobody();
    if (::geteuid() != 0 || !nobody)
        GTEST_SKIP() << "needs root to set up a user in a further group";
    const gid_t shared = nobody->pw_gid + 4242;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    const auto prepare = [&] {
        WriteBytes(path, kOld);
        ::chmod(path.c_str(), 0664);
        EXPECT_EQ(::chown(path.c_str(), nobody->pw_uid, shared), 0);
        return StatOf(path).st_ino;
    };
    const auto saveAsNobody = [&](const std::vector<gid_t>& groups) {
        return WithoutRootRights([&] { return WriteFileCrashSafe(path, kNew).Ok() ? 0 : 1; }, groups);
    };

    // A member gives the new file the group, so it replaces the old one.
    ino_t inode = prepare();
    const int status = saveAsNobody({shared});
    if (status == kCannotDropRights)
        GTEST_SKIP() << "cannot drop root's rights here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(path), kNew);
    EXPECT_NE(StatOf(path).st_ino, inode);
    EXPECT_EQ(StatOf(path).st_uid, nobody->pw_uid);
    EXPECT_EQ(StatOf(path).st_gid, shared);
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0664u);

    // Who is no member cannot, so the file is written in place.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    inode = prepare();
    EXPECT_EQ(saveAsNobody({}), 0);
    EXPECT_EQ(ReadBytes(path), kNew);
    EXPECT_EQ(StatOf(path).st_ino, inode);
    EXPECT_EQ(StatOf(path).st_gid, shared);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"});
}

TEST_F(AtomicFileTest, FullDiskKeepsTheOldFileAndSaysWhy)
{
    WriteBytes(path, kOld);
    // The file size limit makes the disk full for the child at 4 KiB.
    const int status = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const TWriteResult result = WriteFileCrashSafe(path, std::string(100000, 'x'));
        return result.failedStep == TWriteStep::Write && result.error == EFBIG ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"Routers.dat"});
}


TEST_F(AtomicFileTest, FailedWriteInPlacePutsTheBytesBackOnlyIntoTheFileOpened)
{
    // Someone who may write the folder moves another file over the name
    // before the old bytes go back; and the copy is changed meanwhile.
    const std::string other = dir / "other-name.dat";
    const std::string moved = dir / "moved.dat";
    for (const bool copyChanged : {false, true}) {
        SCOPED_TRACE(copyChanged);
        WriteBytes(path, kOld);
        std::filesystem::remove(FsPath(other));
        std::filesystem::create_hard_link(FsPath(path), FsPath(other));
        HandOver({path});
        WriteBytes(moved, "moved over the name");
        std::string copy;
        SetWritePauseForTesting([&](TWritePause moment) {
            if (moment == TWritePause::BeforeWrite) {
                // The copy is not handed to the file's owner while in use.
                ASSERT_EQ(NamesStartingWith(dir, "Routers.dat.bak-").size(), 1u);
                copy = dir / NamesStartingWith(dir, "Routers.dat.bak-")[0];
                EXPECT_EQ(StatOf(copy).st_uid, ::geteuid());
                EXPECT_EQ(StatOf(copy).st_mode & 07777, 0600u);
            } else if (moment == TWritePause::BeforeRestore) {
                std::filesystem::rename(FsPath(moved), FsPath(path));
                if (copyChanged)
                    WriteBytes(copy, "forged");
            }
        });
        SetWriteFaultForTesting(TWriteStep::Write, ENOSPC);
        const TWriteResult result = WriteFileCrashSafe(path, std::string(3 * kOld.size(), 'n'));
        EXPECT_EQ(result.failedStep, TWriteStep::Write);
        EXPECT_EQ(ReadBytes(path), "moved over the name");
        EXPECT_EQ(ReadBytes(other) == kOld, !copyChanged);
        EXPECT_EQ(ReadBytes(other).find("forged"), std::string::npos);
        EXPECT_EQ(result.targetChanged, copyChanged);
        EXPECT_EQ(result.backupPath, copyChanged ? copy : "");
        EXPECT_EQ(Exists(copy), copyChanged);
        std::filesystem::remove(FsPath(copy));
    }
}

TEST_F(AtomicFileTest, NameThatNamesAnotherFileByNowIsNeverWrittenThrough)
{
    const std::string other = dir / "other-name.dat";
    const std::string moved = dir / "moved.dat";
    // Moved over the name right before the rename, or before the first
    // byte of a write in place: refused.
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace);
        WriteBytes(path, kOld);
        WriteBytes(moved, "moved over the name");
        std::filesystem::remove(FsPath(other));
        if (inPlace)
            std::filesystem::create_hard_link(FsPath(path), FsPath(other));
        SetWritePauseForTesting([&](TWritePause moment) {
            if (moment == (inPlace ? TWritePause::BeforeWrite : TWritePause::BeforeRename))
                std::filesystem::rename(FsPath(moved), FsPath(path));
        });
        const TWriteResult result = WriteFileCrashSafe(path, kNew);
        EXPECT_EQ(result.error, kErrorNameChanged);
        EXPECT_EQ(ReadBytes(path), "moved over the name");
        if (inPlace) {
            EXPECT_EQ(ReadBytes(other), kOld);
        }
        EXPECT_NE(WriteFailureMessage(path, result).find("bezeichnet inzwischen eine andere Datei"),
                  std::string::npos);
    }
    // A link turned elsewhere once the file is open changes nothing: the
    // file opened through it is saved.
    const std::string link = dir / "link.dat";
    WriteBytes(path, kOld);
    WriteBytes(moved, "elsewhere");
    std::filesystem::create_symlink(FsPath(path), FsPath(link));
    SetWritePauseForTesting([&](TWritePause moment) {
        if (moment == TWritePause::Locked) {
            std::filesystem::remove(FsPath(link));
            std::filesystem::create_symlink(FsPath(moved), FsPath(link));
        }
    });
    EXPECT_TRUE(WriteFileCrashSafe(link, kNew).Ok());
    EXPECT_EQ(ReadBytes(path), kNew);
    EXPECT_EQ(ReadBytes(moved), "elsewhere");
}

TEST_F(AtomicFileTest, LinksOfOtherUsersInSharedFoldersFollowTheSystemsRules)
{
    std::ifstream rule("/proc/sys/fs/protected_symlinks");
    int protectedLinks = 0;
    if (::geteuid() != 0 || !(rule >> protectedLinks) || protectedLinks != 1)
        GTEST_SKIP() << "needs root and fs.protected_symlinks=1";
    // Another user's link in a sticky folder open to all, as in /tmp.
    const std::string shared = dir / "shared";
    ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    WriteBytes(path, kOld);
    const std::string link = shared + "/out.dat";
    const int status = WithoutRootRights([&] { return ::symlink(path.c_str(), link.c_str()) == 0 ? 0 : 1; });
    if (status == kCannotDropRights)
        GTEST_SKIP() << "cannot drop root's rights here";
    ASSERT_EQ(status, 0);
    const TWriteResult result = WriteFileCrashSafe(link, kNew);
    EXPECT_FALSE(result.Ok());
    EXPECT_EQ(result.error, EACCES);
    EXPECT_EQ(ReadBytes(path), kOld);
}

TEST_F(AtomicFileTest, FullDiskInPlaceKeepsTheOldBytes)
{
    // A file system of 16 pages, in a mount namespace of the child alone.
    constexpr int kCannotMount = 78;
    const int status = InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=64k") != 0)
            return kCannotMount;
        const std::string other = dir / "other-name.dat";
        int failures = 0;
        // The copy fits, the longer new bytes do not; then not even the copy.
        for (const std::size_t oldSize : {20000, 40000}) {
            const std::string old(oldSize, 'o');
            WriteBytes(path, old);
            std::filesystem::remove(FsPath(other));
            std::filesystem::create_hard_link(FsPath(path), FsPath(other));
            const TWriteResult result = WriteFileCrashSafe(path, std::string(60000, 'n'));
            const TWriteStep expected = oldSize == 20000 ? TWriteStep::Write : TWriteStep::Backup;
            failures += result.failedStep != expected || result.error != ENOSPC || ReadBytes(path) != old ||
                        dir.Entries() != std::vector<std::string>{"Routers.dat", "other-name.dat"};
        }
        return failures;
    });
    if (status == kCannotMount)
        GTEST_SKIP() << "cannot mount a file system here";
    EXPECT_EQ(status, 0);
}

TEST_F(AtomicFileTest, SavesWaitForEachOtherFromReadingToWriting)
{
    // Each save reads the file and writes it back with one letter more,
    // taking its time between reading and writing.
    WriteBytes(path, "");
    const auto addLetter = [&](char letter) {
        return StartChild([&, letter] {
            SetWritePauseForTesting([](TWritePause moment) {
                if (moment == TWritePause::BeforeWrite)
                    ::usleep(300000);
            });
            TAtomicFile file(path);
            std::string bytes;
            if (!file.Open() || file.ReadCurrent(bytes, 100) != 0)
                return 1;
            return file.Write(bytes + letter) && file.Commit(false) ? 0 : 1;
        });
    };
    const pid_t first = addLetter('a');
    const pid_t second = addLetter('b');
    EXPECT_EQ(WaitForChild(first), 0);
    EXPECT_EQ(WaitForChild(second), 0);
    const std::string letters = ReadBytes(path);
    EXPECT_TRUE(letters == "ab" || letters == "ba") << letters;
}

TEST_F(AtomicFileTest, NameOfTheCopyTakenByAnotherUserSendsItToTheStateFolder)
{
    // A FIFO at the name that the copy of this file's bytes would get.
    WriteBytes(path, kOld);
    std::filesystem::create_hard_link(FsPath(path), FsPath(dir / "other-name.dat"));
    const struct stat st = StatOf(path);
    char name[160];
    std::snprintf(name, sizeof name, "Routers.dat.bak-%llx-%llx-%zx-%016llx", (unsigned long long)st.st_dev,
                  (unsigned long long)st.st_ino, kOld.size(), (unsigned long long)HashOf(kOld).Value());
    ASSERT_EQ(::mkfifo((dir / name).c_str(), 0644), 0);
    TempDir state;
    EXPECT_EQ(InChild([&] {
        ::setenv("XDG_STATE_HOME", state.Path().c_str(), 1);
        return WriteFileCrashSafe(path, kNew).Ok() ? 0 : 1;
    }), 0);
    EXPECT_EQ(ReadBytes(path), kNew);
    EXPECT_TRUE(S_ISFIFO(StatOf(dir / name).st_mode));
}

#endif
