// A save killed half-way leaves its temporary file behind; the next write in that folder
// removes such files of dead writers, and nothing else.
#include "TestFiles.h"
#include "TestProcesses.h"
#include "core/io/AtomicFile.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
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
