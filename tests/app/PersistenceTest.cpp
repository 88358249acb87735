#include "app/Persistence.h"

#include "app/ConfigFile.h"
#include "support/FileTesting.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tarnwick;
using tarnwick::testing::TempFolder;

namespace {

class PersistenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ApplyConfigDefaults(*state);
        saver.Loaded(*state);
        saver.SaveAll(*state);
    }
    bool Exists(const char* name) const { return std::filesystem::exists(folder / name); }

    TempFolder folder;
    FileTable files{folder.path()};
    Persistence saver{files};
    std::unique_ptr<AppState> state = std::make_unique<AppState>();
};

TEST_F(PersistenceTest, ExitWritesAllFourFiles) {
    for (const char* name : {"config.txt", "schedule.txt", "Sunrise.txt", "names.txt"})
        EXPECT_TRUE(Exists(name));
    EXPECT_EQ(std::filesystem::file_size(folder / "schedule.txt"), 344064u);
}

TEST_F(PersistenceTest, MinuteSaveWritesOnlyWhatChanged) {
    // A file that is gone from disk shows whether the save touched it.
    for (const char* name : {"config.txt", "schedule.txt", "Sunrise.txt", "names.txt"})
        std::filesystem::remove(folder / name);
    saver.SaveChanged(*state);
    EXPECT_FALSE(Exists("config.txt"));

    state->WeeklySchedule[18][3][1] = {MakeTime(8, 30), kTrue, -7, 0, kFalse, 0};
    state->DeviceNames[1][2] = "Den Lamp";
    saver.SaveChanged(*state);
    EXPECT_TRUE(Exists("schedule.txt"));
    EXPECT_TRUE(Exists("names.txt"));
    EXPECT_FALSE(Exists("config.txt"));
    EXPECT_FALSE(Exists("Sunrise.txt"));
    EXPECT_NE(folder.Read("schedule.txt").find("#08:30:00#\r\n#TRUE#\r\n-7\r\n"), std::string::npos);

    std::filesystem::remove(folder / "schedule.txt");
    saver.SaveChanged(*state); // nothing new since
    EXPECT_FALSE(Exists("schedule.txt"));
}

TEST_F(PersistenceTest, AFailedSaveIsTriedAgainAtTheNextMinute) {
    const std::string before = folder.Read("Sunrise.txt");
    std::filesystem::permissions(folder / "Sunrise.txt", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    state->SunriseSchedule[0][2] = {2, MakeTime(0, 30), 1, -3};
    saver.SaveChanged(*state);
    EXPECT_EQ(folder.Read("Sunrise.txt"), before); // the user protected it
    std::filesystem::permissions(folder / "Sunrise.txt", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    saver.SaveChanged(*state);
    EXPECT_NE(folder.Read("Sunrise.txt"), before);
}

TEST_F(PersistenceTest, LoadedTextIsNotWrittenAgain) {
    state->CommPortNumber = 3;
    saver.Loaded(*state);
    std::filesystem::remove(folder / "config.txt");
    saver.SaveChanged(*state);
    EXPECT_FALSE(Exists("config.txt"));
}

} // namespace
