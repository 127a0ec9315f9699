#include "framework/FolderItem.h"
#include "framework/SaveFile.h"
#include "framework/TextInputStream.h"
#include "tests/support/FileFaults.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tockamo::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOld = "old line one\nold line two\nold line three\n";
const std::vector<std::string> kNew = { "#Window1Position 1,2", "#MySetMin 3" };
constexpr const char* kSaved = "#Window1Position 1,2\n#MySetMin 3\n";
// Someone else on a shared machine.
constexpr uid_t kOtherUser = 54321;

// A folder of the test's own holding the file to save, "settings.txt", and a
// second folder for the far end of links, on another file system where one
// is to be had (/dev/shm).
class Scratch {
public:
    Scratch()
    {
        m_root = MakeTemporary(fs::temp_directory_path().string());
        struct stat root, shm;
        bool apart = ::stat(m_root.c_str(), &root) == 0 && ::stat("/dev/shm", &shm) == 0 && root.st_dev != shm.st_dev;
        m_elsewhere = apart ? MakeTemporary("/dev/shm") : m_root + "/elsewhere";
        fs::create_directories(Folder());
        fs::create_directories(m_elsewhere);
    }
    ~Scratch()
    {
        std::error_code ignored;
        for (const std::string& top : { m_root, m_elsewhere }) {
            fs::permissions(top, fs::perms::owner_all, fs::perm_options::add, ignored);
            fs::remove_all(top, ignored);
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::string& Root() const { return m_root; }
    std::string Folder() const { return m_root + "/folder"; }
    std::string File() const { return Folder() + "/settings.txt"; }
    // The first name a save of this process gives its temporary file.
    std::string FirstTemporary() const { return File() + ".tmp-" + std::to_string(::getpid()); }
    const std::string& Elsewhere() const { return m_elsewhere; }
    // The file's inode before the save, to tell a file written in place from
    // a replacement.
    ino_t inodeBefore = 0;

    static std::vector<std::string> Entries(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    static std::string MakeTemporary(const std::string& in)
    {
        std::string pattern = in + "/tockamo-savefile-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a folder in " + in);
        return pattern;
    }

    std::string m_root;
    std::string m_elsewhere;
};

const std::vector<std::string> kJustTheFile = { "settings.txt" };

unsigned ModeOf(const std::string& path)
{
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

ino_t InodeOf(const std::string& path)
{
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_ino;
}

// The lines of `trace` that begin with `call`, in order.
std::vector<std::string> Calls(const std::vector<std::string>& trace, const std::string& call)
{
    std::vector<std::string> lines;
    std::copy_if(trace.begin(), trace.end(), std::back_inserter(lines), [&](const std::string& line) { return line.starts_with(call + " "); });
    return lines;
}

void MakePipe(const std::string& path)
{
    if (::mkfifo(path.c_str(), 0600) != 0)
        throw std::runtime_error("cannot make a pipe at " + path);
}

// `count` links in a row from the file to "end.txt" in the folder, each
// leading to the next.
void ChainOfLinks(const Scratch& s, int count)
{
    WriteFile(s.Folder() + "/end.txt", kOld);
    std::string next = "end.txt";
    for (int link = count - 1; link >= 0; --link) {
        std::string name = link == 0 ? s.File() : s.Folder() + "/link" + std::to_string(link);
        fs::create_symlink(next, name);
        next = "link" + std::to_string(link);
    }
}

// The file as a link to the user's notes, the link and the folder owned as
// given; the folder, when `shared`, one that everyone may write and that is
// sticky.
void PlantedLink(const Scratch& s, uid_t linkOwner, uid_t folderOwner, bool shared = true)
{
    WriteFile(s.Root() + "/notes.txt", "my notes\n");
    fs::create_symlink(s.Root() + "/notes.txt", s.File());
    if (::lchown(s.File().c_str(), linkOwner, linkOwner) != 0 || ::chown(s.Folder().c_str(), folderOwner, folderOwner) != 0)
        throw std::runtime_error("cannot give the link or the folder away");
    if (shared)
        fs::permissions(s.Folder(), fs::perms(01777));
}

// The descriptor by which a save under way holds its temporary's lock.
int s_underWay = -1;

struct Fault {
    FileFault kind;
    int error = 0;
};

struct SaveCase {
    const char* name;
    void (*prepare)(const Scratch&);
    std::vector<Fault> faults;
    // Words of the reason a failed save gives; nullptr for a save that is made.
    const char* failure;
    void (*check)(const Scratch&, const std::vector<std::string>& trace) = nullptr;
    // Links of another owner can only be made by root.
    bool needsRoot = false;
    mode_t umask = 022;
};

const SaveCase kCases[] = {
    // What every save promises.
    {
        "ANewFileGets0644LessTheUmask", [](const Scratch&) {}, {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.File()), std::optional<std::string>(kSaved));
            EXPECT_EQ(ModeOf(s.File()), 0640u);
        },
        false, 027,
    },
    {
        "TheFileKeepsItsPermissionBits",
        [](const Scratch& s) {
            WriteFile(s.File(), kOld);
            fs::permissions(s.File(), fs::perms(0604));
        },
        {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.File()), std::optional<std::string>(kSaved));
            EXPECT_EQ(ModeOf(s.File()), 0604u);
        },
    },
    {
        "TheNewContentsArePrivateUntilTheyTakeTheFilesBits", [](const Scratch& s) { WriteFile(s.File(), kOld); }, {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>& trace) {
            std::vector<std::string> writes = Calls(trace, "write");
            ASSERT_FALSE(writes.empty());
            for (const std::string& write : writes)
                EXPECT_TRUE(write.ends_with(" 0600")) << write;
            EXPECT_EQ(ModeOf(s.File()), 0644u);
        },
    },
    {
        "NeverThroughALinkUnderTheTemporaryName",
        [](const Scratch& s) {
            WriteFile(s.File(), kOld);
            WriteFile(s.Root() + "/victim.txt", "victim\n");
            fs::create_symlink(s.Root() + "/victim.txt", s.FirstTemporary());
        },
        {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.Root() + "/victim.txt"), std::optional<std::string>("victim\n"));
            EXPECT_TRUE(fs::is_symlink(s.FirstTemporary()));
            EXPECT_EQ(ReadFile(s.File()), std::optional<std::string>(kSaved));
        },
    },
    {
        "NeverIntoAPipeUnderTheTemporaryName",
        [](const Scratch& s) {
            WriteFile(s.File(), kOld);
            MakePipe(s.FirstTemporary());
        },
        {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_TRUE(fs::is_fifo(s.FirstTemporary()));
            EXPECT_EQ(ReadFile(s.File()), std::optional<std::string>(kSaved));
        },
    },
    {
        "APipeInTheFilesPlaceIsNeverReplaced", [](const Scratch& s) { MakePipe(s.File()); }, {}, "not a regular file",
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_TRUE(fs::is_fifo(s.File()));
            EXPECT_EQ(Scratch::Entries(s.Folder()), kJustTheFile);
        },
    },
    {
        // A dotfiles folder on another file system, which no rename from the
        // link's own folder can reach.
        "ALinkIntoAnotherFileSystemIsSavedAtItsEndAndStays",
        [](const Scratch& s) {
            WriteFile(s.Elsewhere() + "/settings.txt", kOld);
            fs::create_symlink(s.Elsewhere() + "/settings.txt", s.File());
        },
        {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(fs::read_symlink(s.File()), s.Elsewhere() + "/settings.txt");
            EXPECT_EQ(ReadFile(s.Elsewhere() + "/settings.txt"), std::optional<std::string>(kSaved));
            EXPECT_EQ(Scratch::Entries(s.Folder()), kJustTheFile);
            EXPECT_EQ(Scratch::Entries(s.Elsewhere()), kJustTheFile);
        },
    },
    {
        // Each relative link is read from its own folder, not the first's.
        "ATwoLinkRelativeChain",
        [](const Scratch& s) {
            fs::create_directories(s.Root() + "/a/deeper");
            fs::create_directories(s.Root() + "/b");
            WriteFile(s.Root() + "/b/real.txt", kOld);
            fs::create_symlink("../../b/real.txt", s.Root() + "/a/deeper/link.txt");
            fs::create_symlink("../a/deeper/link.txt", s.File());
        },
        {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.Root() + "/b/real.txt"), std::optional<std::string>(kSaved));
            EXPECT_EQ(fs::read_symlink(s.File()), "../a/deeper/link.txt");
            EXPECT_EQ(fs::read_symlink(s.Root() + "/a/deeper/link.txt"), "../../b/real.txt");
        },
    },
    {
        "TheFolderIsSyncedAfterTheRename", [](const Scratch& s) { WriteFile(s.File(), kOld); }, {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>& trace) {
            auto renamed = std::find_if(trace.begin(), trace.end(), [](const std::string& line) { return line.starts_with("rename "); });
            ASSERT_NE(renamed, trace.end());
            EXPECT_NE(std::find(renamed, trace.end(), "fsync " + s.Folder()), trace.end());
        },
    },
    // Every failure leaves the old file as it was and no temporary behind.
    { "NoNewFileOnAReadOnlyFileSystem", [](const Scratch& s) { WriteFile(s.File(), kOld); }, { { FileFault::Create } }, "no new file can be made in" },
    { "AFullDisk", [](const Scratch& s) { WriteFile(s.File(), kOld); }, { { FileFault::Write } }, "cannot be written (No space left on device)" },
    { "TheSyncToDiskFails", [](const Scratch& s) { WriteFile(s.File(), kOld); }, { { FileFault::Sync } }, "cannot be synced to disk" },
    { "TheRenameFails", [](const Scratch& s) { WriteFile(s.File(), kOld); }, { { FileFault::Rename } }, "cannot take its place" },
    // Links in a folder that everyone may write and that is sticky.
    {
        "AnotherUsersLinkInASharedFolderIsNotFollowed", [](const Scratch& s) { PlantedLink(s, kOtherUser, ::geteuid()); }, {},
        "another user's symbolic link",
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.Root() + "/notes.txt"), std::optional<std::string>("my notes\n"));
            EXPECT_TRUE(fs::is_symlink(s.File()));
            EXPECT_TRUE(fw::TextInputStream::Open(s.File()).IsNil()) << "read through the link";
        },
        true,
    },
    {
        "AnotherUsersLinkInTheUsersOwnFolderIsFollowed", [](const Scratch& s) { PlantedLink(s, kOtherUser, ::geteuid(), false); }, {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) { EXPECT_EQ(ReadFile(s.Root() + "/notes.txt"), std::optional<std::string>(kSaved)); },
        true,
    },
    {
        "TheUsersOwnLinkInASharedFolderIsFollowed", [](const Scratch& s) { PlantedLink(s, ::geteuid(), kOtherUser); }, {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) { EXPECT_EQ(ReadFile(s.Root() + "/notes.txt"), std::optional<std::string>(kSaved)); },
        true,
    },
    {
        "TheFolderOwnersLinkInASharedFolderIsFollowed", [](const Scratch& s) { PlantedLink(s, kOtherUser, kOtherUser); }, {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) { EXPECT_EQ(ReadFile(s.Root() + "/notes.txt"), std::optional<std::string>(kSaved)); },
        true,
    },
    // As many links as the kernel follows, and one more.
    {
        "FortyLinks", [](const Scratch& s) { ChainOfLinks(s, 40); }, {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.Folder() + "/end.txt"), std::optional<std::string>(kSaved));
            EXPECT_TRUE(fs::is_symlink(s.File()));
        },
    },
    {
        "FortyOneLinks", [](const Scratch& s) { ChainOfLinks(s, 41); }, {}, "more than 40 symbolic links",
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.Folder() + "/end.txt"), std::optional<std::string>(kOld));
            EXPECT_TRUE(fs::is_symlink(s.File()));
        },
    },
    {
        // 251 bytes, the name cut for the temporary's falling inside an "é".
        "ATargetWithALongName",
        [](const Scratch& s) {
            const std::string name = std::string(229, 'a') + "\xC3\xA9" + std::string(20, 'b');
            WriteFile(s.Folder() + "/" + name, kOld);
            fs::create_symlink(name, s.File());
        },
        {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>& trace) {
            const std::string name = std::string(229, 'a') + "\xC3\xA9" + std::string(20, 'b');
            EXPECT_EQ(ReadFile(s.Folder() + "/" + name), std::optional<std::string>(kSaved));
            std::vector<std::string> made = Calls(trace, "open");
            ASSERT_EQ(made.size(), 1u);
            EXPECT_TRUE(made[0].starts_with("open " + s.Folder() + "/" + std::string(229, 'a') + ".tmp-")) << made[0];
        },
    },
    // A file that can be written but not replaced is written where it stands.
    {
        "AFolderThatTakesNoNewFile", [](const Scratch& s) { WriteFile(s.File(), kOld); }, { { FileFault::Create, EACCES } }, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.File()), std::optional<std::string>(kSaved));
            EXPECT_EQ(InodeOf(s.File()), s.inodeBefore) << "not written in place";
            EXPECT_EQ(Scratch::Entries(s.Folder()), kJustTheFile);
        },
    },
    {
        // A container's settings file, mounted on its own.
        "ANameThatIsAMountPoint", [](const Scratch& s) { WriteFile(s.File(), kOld); }, { { FileFault::Rename, EBUSY } }, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.File()), std::optional<std::string>(kSaved));
            EXPECT_EQ(InodeOf(s.File()), s.inodeBefore) << "not written in place";
            EXPECT_EQ(Scratch::Entries(s.Folder()), kJustTheFile);
        },
    },
    {
        "AWriteInPlaceThatFailsPutsBackWhatItOverwrote", [](const Scratch& s) { WriteFile(s.File(), kOld); },
        { { FileFault::Create, EACCES }, { FileFault::Write } }, "writing it where it stands failed (No space left on device)",
    },
    {
        "NothingIsWrittenInPlaceWhereNoFileStands", [](const Scratch&) {}, { { FileFault::Create, EACCES } }, "no new file can be made in",
        [](const Scratch& s, const std::vector<std::string>&) { EXPECT_TRUE(Scratch::Entries(s.Folder()).empty()); },
    },
    // The lock, and the tidy-up it keeps from saves still under way.
    {
        "AFileSystemWithoutLocks", [](const Scratch& s) { WriteFile(s.File(), kOld); }, { { FileFault::NoLocks } }, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) { EXPECT_EQ(ReadFile(s.File()), std::optional<std::string>(kSaved)); },
    },
    {
        "AnotherProcesssTidyUpTakesTheNewFile", [](const Scratch& s) { WriteFile(s.File(), kOld); }, { { FileFault::TidyUpRace } }, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.File()), std::optional<std::string>(kSaved));
            EXPECT_EQ(Scratch::Entries(s.Folder()), kJustTheFile);
        },
    },
    {
        // One left by a killed save, and one that a save under way holds.
        "LeftoversGoAndSavesUnderWayStay",
        [](const Scratch& s) {
            WriteFile(s.File(), kOld);
            WriteFile(s.File() + ".tmp-999999", "left over\n");
            WriteFile(s.File() + ".tmp-999998-3", "under way\n");
            s_underWay = ::open((s.File() + ".tmp-999998-3").c_str(), O_RDONLY | O_CLOEXEC);
            ::flock(s_underWay, LOCK_EX);
        },
        {}, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(Scratch::Entries(s.Folder()), (std::vector<std::string> { "settings.txt", "settings.txt.tmp-999998-3" }));
            ::close(s_underWay);
        },
    },
    // A save never waits on another process.
    {
        "ATidyUpStoppedHoldingTheNewFilesLock", [](const Scratch& s) { WriteFile(s.File(), kOld); }, { { FileFault::StuckTidyUp } }, nullptr,
        [](const Scratch& s, const std::vector<std::string>&) {
            EXPECT_EQ(ReadFile(s.File()), std::optional<std::string>(kSaved));
            EXPECT_EQ(Scratch::Entries(s.Folder()), kJustTheFile);
        },
    },
};

void PrintTo(const SaveCase& c, std::ostream* os)
{
    *os << c.name;
}

class SaveFileTest : public ::testing::TestWithParam<SaveCase> { };

TEST_P(SaveFileTest, KeepsEachPromise)
{
    const SaveCase& c = GetParam();
    if (c.needsRoot && ::geteuid() != 0)
        GTEST_SKIP() << "only root can make a link of another user's";
    Scratch s;
    c.prepare(s);
    const std::optional<std::string> before = ReadFile(s.File());
    s.inodeBefore = InodeOf(s.File());

    std::optional<std::string> failure;
    std::vector<std::string> trace;
    {
        FileFaults traced(FileFault::None, s.Root());
        FileFaults tracedElsewhere(FileFault::None, s.Elsewhere());
        std::vector<std::unique_ptr<FileFaults>> faults;
        for (const Fault& fault : c.faults)
            faults.push_back(std::make_unique<FileFaults>(fault.kind, s.Root(), fault.error));
        mode_t umask = ::umask(c.umask);
        failure = fw::SaveFile::Replace(*fw::FolderItem::Create(s.File()), kNew);
        ::umask(umask);
        for (const auto& fault : faults)
            EXPECT_GT(fault->Hits(), 0) << "the save never reached the failing step";
        trace = traced.Trace();
        std::vector<std::string> elsewhere = tracedElsewhere.Trace();
        trace.insert(trace.end(), elsewhere.begin(), elsewhere.end());
    }

    if (c.failure) {
        ASSERT_TRUE(failure.has_value());
        EXPECT_NE(failure->find(c.failure), std::string::npos) << *failure;
        EXPECT_EQ(ReadFile(s.File()), before) << "the old file was touched";
        if (before) {
            EXPECT_EQ(Scratch::Entries(s.Folder()), kJustTheFile) << "a temporary was left";
        }
    } else {
        EXPECT_EQ(failure, std::nullopt) << *failure;
    }
    // What is saved is read back line for line, and a save where the file
    // could not be replaced wrote the very file that stood there.
    if (!failure && ReadFile(s.File()) == std::optional<std::string>(kSaved)) {
        fw::RefPtr<fw::TextInputStream> in = fw::TextInputStream::Open(s.File());
        ASSERT_TRUE(in);
        EXPECT_EQ(in->ReadLine(), kNew[0]);
        EXPECT_EQ(in->ReadLine(), kNew[1]);
        EXPECT_TRUE(in->IsEOF());
    }
    if (c.check)
        c.check(s, trace);
}

INSTANTIATE_TEST_SUITE_P(Rows, SaveFileTest, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

}
}
