#include "base/DataFiles.h"

#include "support/FileTesting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifdef __linux__
#include <csignal>
#include <sys/resource.h>
#endif

using namespace tarnwick;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

class DataFilesTest : public ::testing::Test {
protected:
    tarnwick::testing::TempFolder folder;
    FileTable files{folder.path()};
};

TEST_F(DataFilesTest, NumbersAreSmallReusedAndLimited) {
    folder.Write("a.txt", "a");
    EXPECT_EQ(files.Open_File_Input("missing.txt"), 0);
    fs::create_directory(folder / "dir");
    EXPECT_EQ(files.Open_File_Input("dir"), 0);
    EXPECT_EQ(files.Open_File_Input("a.txt"), 1);
    EXPECT_EQ(files.Open_File_Output("b.txt"), 2);
    EXPECT_TRUE(files.Close(1));
    EXPECT_EQ(files.Open_File_Input("a.txt"), 1);
    for (int n = 3; n <= FileTable::kMaxOpenFiles; ++n) ASSERT_EQ(files.Open_File_Input("a.txt"), n);
    EXPECT_EQ(files.Open_File_Input("a.txt"), 0);
    EXPECT_EQ(files.Open_File_Output("c.txt"), 0);
    // The wrong kind of file or a number not in use fails quietly.
    EXPECT_FALSE(files.Write(1, "x"));
    EXPECT_EQ(files.Read(2, 10), "");
    EXPECT_FALSE(files.Write(0, "x"));
    EXPECT_FALSE(files.Close(300));
    files.CloseAll();
    EXPECT_EQ(folder.Read("b.txt"), "");
}

TEST_F(DataFilesTest, ReadsSequentiallyUpToTheCap) {
    folder.Write("a.txt", "0123456789");
    const auto n = files.Open_File_Input("a.txt");
    EXPECT_EQ(files.Read(n, 4), "0123");
    EXPECT_EQ(files.Read(n, 100), "456789");
    EXPECT_EQ(files.Read(n, 100), "");
    EXPECT_EQ(files.ReadFile("a.txt", 3), "012");
    EXPECT_EQ(files.ReadFile("missing.txt", 3), std::nullopt);
}

TEST_F(DataFilesTest, OutputReplacesTheFileOnlyWhenClosed) {
    folder.Write("config.txt", "old");
    auto n = files.Open_File_Output("config.txt");
    EXPECT_TRUE(files.Write(n, "new "));
    EXPECT_TRUE(files.Write(n, "text"));
    EXPECT_EQ(files.Open_File_Output("config.txt"), 0) << "already being written";
    EXPECT_EQ(folder.Read("config.txt"), "old");
    EXPECT_TRUE(files.Close(n));
    EXPECT_EQ(folder.Read("config.txt"), "new text");

    n = files.Open_File_Output("config.txt");
    files.Write(n, "abandoned");
    files.Abandon(n);
    {
        FileTable dropped(folder.path());
        dropped.Write(dropped.Open_File_Output("config.txt"), "never closed");
    }
    EXPECT_EQ(folder.Read("config.txt"), "new text");
    EXPECT_EQ(folder.Contents(), Names{"config.txt"});
}

TEST_F(DataFilesTest, AStaleTemporaryFileDoesNotStopAWrite) {
    folder.Write("config.txt.tarnwick-tmp", "left by a crash");
    EXPECT_TRUE(files.WriteFile("config.txt", "fresh"));
    EXPECT_EQ(folder.Contents(), Names{"config.txt"});
}

TEST_F(DataFilesTest, AFolderOfTheSameNameIsNotReplaced) {
    fs::create_directory(folder / "config.txt");
    EXPECT_FALSE(files.WriteFile("config.txt", "x"));
    EXPECT_TRUE(fs::is_directory(folder / "config.txt"));
}

#ifndef _WIN32
// Tests may run as root, which writes anywhere: what counts is the mode the user set.
TEST_F(DataFilesTest, AReadOnlyFileOrFolderIsLeftUntouched) {
    folder.Write("config.txt", "protected");
    fs::permissions(folder / "config.txt", fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(files.Open_File_Output("config.txt"), 0);
    EXPECT_EQ(folder.Read("config.txt"), "protected");

    fs::permissions(folder / "config.txt", fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(files.WriteFile("config.txt", "x"));
    EXPECT_FALSE(files.WriteFile("names.txt", "x"));
    fs::permissions(folder.path(), fs::perms::owner_all);
    EXPECT_EQ(folder.Read("config.txt"), "protected");
    EXPECT_EQ(folder.Contents(), Names{"config.txt"});
}

TEST_F(DataFilesTest, TheNewFileKeepsTheModeAndLinkOfTheOld) {
    fs::create_directory(folder / "real");
    folder.Write("real/config.txt", "old");
    fs::permissions(folder / "real/config.txt", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(folder / "real/config.txt", folder / "config.txt");
    EXPECT_TRUE(files.WriteFile("config.txt", "new"));
    EXPECT_TRUE(fs::is_symlink(folder / "config.txt"));
    EXPECT_EQ(folder.Read("real/config.txt"), "new");
    EXPECT_EQ(fs::status(folder / "real/config.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}
#endif

#ifdef __linux__
// A file-size limit makes the write fail the way a full disk does.
TEST_F(DataFilesTest, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    folder.Write("schedule.txt", "the old schedule");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = files.WriteFile("schedule.txt", std::string(1 << 20, 'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(folder.Read("schedule.txt"), "the old schedule");
    EXPECT_EQ(folder.Contents(), Names{"schedule.txt"});
}
#endif

TEST_F(DataFilesTest, BareNamesResolveAgainstTheWorkingDirectory) {
    const fs::path saved = fs::current_path();
    fs::current_path(folder.path());
    FileTable here;
    const bool written = here.WriteFile("names.txt", "\"\"\r\n");
    const auto back = here.ReadFile("names.txt", 100);
    fs::current_path(saved);
    EXPECT_TRUE(written);
    EXPECT_EQ(back, "\"\"\r\n");
    EXPECT_EQ(folder.Contents(), Names{"names.txt"});
}

} // namespace
