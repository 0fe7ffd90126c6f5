// A save killed half-way leaves its temporary file behind; the next write in that folder
// removes such files of dead writers, and nothing else.
#include "TestFiles.h"
#include "TestProcesses.h"
#include "core/io/AtomicFile.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace shopkeeper;
using test::readFile;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

namespace {

// A child that starts writing target's temporary file the way a save does, reports the file's
// name through the pipe and then hangs until it is killed.
pid_t startHangingWriter(const fs::path& target, fs::path& temp)
{
    int names[2];
    if (::pipe(names) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto path = io::temporaryFileFor(target);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fputs("half a shop", file);
        std::fflush(file);
        const auto name = path.filename().string();
        (void)!::write(names[1], name.data(), name.size());
        ::close(names[1]);
        while (true)
            ::pause();
    }
    ::close(names[1]);
    char buffer[256];
    const auto got = ::read(names[0], buffer, sizeof buffer);
    ::close(names[0]);
    if (got <= 0)
        return -1;
    temp = target.parent_path() / std::string(buffer, static_cast<std::size_t>(got));
    return pid;
}

} // namespace

TEST(StaleTempFiles, OurNamingCarriesTheWritersProcessId)
{
    const auto temp = io::temporaryFileFor("/x/a.shp");
    EXPECT_EQ(io::temporaryFileWriter(temp.filename().string()), io::currentProcessId());
    EXPECT_TRUE(temp.filename().string().starts_with(".a.shp."));
    for (const char* foreign : {"a.shp", ".a.shp.123.tmp", ".a.shp.shopkeeper-12-x.tmp", "notes.tmp",
                                ".shopkeeper-12-3.tmp", ".a.shp.shopkeeper--3.tmp"})
        EXPECT_EQ(io::temporaryFileWriter(foreign), std::nullopt) << foreign;
}

TEST(StaleTempFiles, TheNextSaveInTheFolderRemovesOnlyFilesOfDeadWriters)
{
    TempDir dir;
    const auto target = dir / "a.shp";
    writeFile(target, "old");

    fs::path killedTemp;
    const pid_t killed = startHangingWriter(target, killedTemp);
    ASSERT_GT(killed, 0);
    ASSERT_TRUE(fs::exists(killedTemp));
    ::kill(killed, SIGKILL);
    ::waitpid(killed, nullptr, 0);

    fs::path liveTemp;
    const pid_t live = startHangingWriter(dir / "b.shp", liveTemp);
    ASSERT_GT(live, 0);
    const auto ownTemp = io::temporaryFileFor(dir / "c.shp");
    writeFile(ownTemp, "being written by this process");
    const auto foreign = dir / ".a.shp.123456.tmp";
    writeFile(foreign, "someone else's");
    writeFile(dir / "notes.tmp", "a user's file");
    fs::create_directory(dir / (".d.shp.shopkeeper-" + std::to_string(killed) + "-1.tmp"));

    io::AtomicFileWriter disk;
    ASSERT_TRUE(disk.write(target, "new").has_value());
    EXPECT_EQ(readFile(target), "new");
    EXPECT_FALSE(fs::exists(killedTemp)) << "the killed writer's file stays behind";
    EXPECT_TRUE(fs::exists(liveTemp)) << "a running writer's file was removed";
    EXPECT_TRUE(fs::exists(ownTemp));
    EXPECT_TRUE(fs::exists(foreign));
    EXPECT_TRUE(fs::exists(dir / "notes.tmp"));
    EXPECT_TRUE(fs::is_directory(dir / (".d.shp.shopkeeper-" + std::to_string(killed) + "-1.tmp")));

    ::kill(live, SIGKILL);
    ::waitpid(live, nullptr, 0);
}

// Anyone who may write into itemshop/ could plant links under the names a save may pick: the
// temporary file is created new, never through a link, and only its owner may open it.
TEST(AtomicWrite, TheTemporaryFileIsNewOwnedAndNeverALinkSomeoneLeft)
{
    TempDir dir;
    const auto victim = dir / "victim.txt";
    writeFile(victim, "not the editor's");
    const auto planted = io::temporaryFileFor(dir / "a.shp");
    fs::create_symlink(victim, planted);
    const auto occupied = io::temporaryFileFor(dir / "a.shp");
    writeFile(occupied, "someone's");
    for (const auto& taken : {planted, occupied})
        EXPECT_FALSE(io::TemporaryFile::createAt(taken)) << taken;
    EXPECT_EQ(readFile(victim), "not the editor's");
    EXPECT_TRUE(fs::is_symlink(planted));
    EXPECT_EQ(readFile(occupied), "someone's");

    fs::path made;
    {
        auto temp = io::TemporaryFile::createFor(dir / "a.shp");
        ASSERT_TRUE(temp);
        made = temp->path();
        EXPECT_NE(made, planted);
        EXPECT_EQ(fs::status(made).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
        // Names differ in far more than a million ways.
        const auto name = made.filename().string();
        EXPECT_GT(name.size() - name.rfind('-'), 8u) << name;
        ASSERT_TRUE(temp->write("half"));
    }
    EXPECT_FALSE(fs::exists(made)) << "a temporary file that replaced nothing stays behind";
}

// A save keeps whose file it is; a file its user could not write in place is not replaced
// through the folder's permissions either.
TEST(AtomicWrite, KeepsOwnerGroupAndModeAndRefusesAFileTheUserCannotWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    TempDir dir;
    io::AtomicFileWriter disk;
    const auto theirs = dir / "theirs.shp";
    writeFile(theirs, "old");
    ASSERT_EQ(::chown(theirs.c_str(), test::kNobody, test::kNobody), 0);
    fs::permissions(theirs, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(disk.write(theirs, "new"));
    struct stat after
    {
    };
    ASSERT_EQ(::stat(theirs.c_str(), &after), 0);
    EXPECT_EQ(readFile(theirs), "new");
    EXPECT_EQ(after.st_uid, test::kNobody);
    EXPECT_EQ(after.st_gid, test::kNobody);
    EXPECT_EQ(after.st_mode & 07777, 0640u);

    // A new file gets the mode any new file of the process gets, not the temporary file's 0600.
    const mode_t old = ::umask(022);
    ASSERT_TRUE(disk.write(dir / "new.shp", "x"));
    ::umask(old);
    EXPECT_EQ(fs::status(dir / "new.shp").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);

    // The user nobody may write the folder but not root's file in it, nor a read-only file of its own.
    const auto folder = dir / "shared";
    fs::create_directory(folder);
    ASSERT_EQ(::chown(folder.c_str(), test::kNobody, test::kNobody), 0);
    writeFile(folder / "root.shp", "root's");
    writeFile(folder / "own.shp", "nobody's");
    ASSERT_EQ(::chown((folder / "own.shp").c_str(), test::kNobody, test::kNobody), 0);
    fs::permissions(folder / "own.shp",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int code = test::runInChild(
        [&] {
            io::AtomicFileWriter writer;
            const auto root = writer.write(folder / "root.shp", "replaced");
            const auto own = writer.write(folder / "own.shp", "replaced");
            if (root || own)
                return 1;
            return root.error().message.find("没有写入该文件的权限") == std::string::npos ? 2 : 0;
        },
        true);
    ASSERT_NE(code, test::kCannotDropPrivileges);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(folder / "root.shp"), "root's");
    EXPECT_EQ(readFile(folder / "own.shp"), "nobody's");
    EXPECT_TRUE(io::temporaryFilesIn(folder).empty());
}
