// The program without its windows, on a fake clock and a recording serial control, in a
// folder of its own: what it keeps on disk and what it sends at start.

#include "engine/Engine.h"
#include "base/RandomOffset.h"
#include "schedule/ScheduleFile.h"

#include "support/Fakes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace tarnwick;
using namespace tarnwick::testing;

namespace {

// The generator's next number, as the test sets it.
struct SetRandom : IRandom {
    double next = 0.5;
    double Next() override { return next; }
};

// An engine started in folder at the local time now, on New York's clock.
struct Started {
    Started(const TempFolder& folder, LocalSeconds now, bool catchUp = false, bool takingOver = false,
            double randomNext = 0.5)
        : clock(now, RealZone("America/New_York")),
          engine({&serial, &clock, nullptr, &random, folder.path()}) {
        random.next = randomNext;
        if (takingOver)
            engine.LoadTakingOver();
        else
            engine.Load(catchUp);
        engine.OpenPort();
    }
    void RunSeconds(double seconds) {
        for (double t = 0; t < seconds; t += 1.5) clock.AdvanceSeconds(1.5), engine.Tick();
    }
    FakeClock clock;
    RecordingSerialControl serial;
    SetRandom random;
    Engine engine;
};

} // namespace

// A name typed in the window is on disk a minute later, so a power cut loses at most that minute.
TEST(Engine, TheMinuteSaveKeepsANewName) {
    TempFolder folder;
    Started run(folder, LocalAt(2026, 12, 8, 7, 29, 10));
    run.engine.SetName(36, "Porch Light");
    run.RunSeconds(10);
    EXPECT_EQ(folder.Read("names.txt").find("Porch"), std::string::npos); // not before the minute is out
    run.RunSeconds(60);
    EXPECT_EQ(folder.Read("names.txt").substr(36 * 4, 15), "\"Porch Light\"\r\n");
}

// Catch Up at Start is kept in tarnwick.ini, written only when it changes, beside data files it
// leaves as they are; the next start sends each device's last switching of the week before,
// marked as a catch-up in the history.
TEST(Engine, CatchUpAtStartIsKeptInItsOwnFileAndSendsWhatFellDue) {
    TempFolder folder;
    {
        Started first(folder, LocalAt(2026, 12, 8, 7, 0, 0));   // a Tuesday
        first.engine.SetTime(36, 1, 0, true, TimeOfDay(18, 0)); // C5, Monday
        first.engine.SetTime(36, 1, 0, false, TimeOfDay(23, 0));
        first.engine.SetTime(37, 2, 0, true, TimeOfDay(6, 0)); // C6, Tuesday
        first.engine.SaveAll();
        const std::string schedule = folder.Read("schedule.txt");
        EXPECT_TRUE(first.engine.SetCatchUpAtStart(true));
        EXPECT_EQ(folder.Read("tarnwick.ini"),
                  "[schedule]\r\ncatch_up_at_start=true\r\n[handover]\r\nlast_scanned=2026-12-08T07:00\r\n");
        EXPECT_EQ(folder.Read("schedule.txt"), schedule);
        std::filesystem::remove(folder / "tarnwick.ini");
        const auto files = folder.Contents();
        EXPECT_TRUE(first.engine.SetCatchUpAtStart(true)); // no change, no write
        EXPECT_EQ(folder.Contents(), files);
        EXPECT_TRUE(first.engine.SetCatchUpAtStart(false));
        EXPECT_TRUE(first.engine.SetCatchUpAtStart(true));
    }
    Started second(folder, LocalAt(2026, 12, 8, 7, 29, 10));
    EXPECT_TRUE(second.engine.appSettings().catchUpAtStart);
    second.RunSeconds(3);
    EXPECT_EQ(second.serial.TakeFrames(), (std::vector<std::string>{"C5 Off", "C6 On"}));
    EXPECT_EQ(folder.Read("history.txt"), "2026-12-08T07:29:11-05:00\tC5 Off\t\tcatch-up\r\n"
                                          "2026-12-08T07:29:13-05:00\tC6 On\t\tcatch-up\r\n");
    EXPECT_EQ(second.engine.Status().lastFrame, "07:29:13  C6 On  (catch-up)");
}

// Times count to the minute. A time a hand edit gave seconds fires in its minute and is kept as
// written while the page sets the same minute again; a new minute replaces it.
TEST(Engine, AHandEditedTimeKeepsItsSecondsUntilItsMinuteChanges) {
    TempFolder folder;
    auto table = std::make_unique<WeeklyTable>();
    (*table)[36][2][0].on = {TimeOfDay(7, 30, 15), true, false, {}}; // C5, Tuesday
    folder.Write("schedule.txt", FormatSchedule(*table));
    const std::string edited = folder.Read("schedule.txt");
    Started run(folder, LocalAt(2026, 12, 8, 7, 29, 10));
    run.engine.SetTime(36, 2, 0, true, TimeOfDay(7, 30));
    run.RunSeconds(60);
    EXPECT_EQ(run.serial.TakeFrames(), std::vector<std::string>{"C5 On"});
    EXPECT_EQ(run.engine.Weekly()[36][2][0].on.time, TimeOfDay(7, 30, 15));
    run.engine.SaveAll();
    EXPECT_NE(folder.Read("schedule.txt").find("#07:30:15#\r\n#TRUE#"), std::string::npos);
    EXPECT_TRUE(folder.Read("schedule.txt") == edited) << "the file was written again";
    run.engine.SetTime(36, 2, 0, true, TimeOfDay(7, 31));
    run.engine.SaveAll();
    EXPECT_NE(folder.Read("schedule.txt").find("#07:31:00#\r\n#TRUE#\r\n0\r\n"), std::string::npos);
}

// Randomised times that went out and drew later shifts for the same day go out once, though the
// program ends and another run follows: a restart, one with a catch-up (which reaches back over
// last week's occurrences of the same entries), the service taking the folder back, or a start
// after a power cut (the switchings having gone out a minute before it). Two hundred of them,
// more than one line of tarnwick.ini holds. Those still waiting in the queue at an end have not
// gone out: the next run sends them at their new shifts.
TEST(Engine, RandomisedSwitchingsThatWentOutAreNotSentAgainByTheNextRun) {
    enum class End { Exit, CatchUp, Handover, PowerCut, WhileSending };
    for (const End end : {End::Exit, End::CatchUp, End::Handover, End::PowerCut, End::WhileSending}) {
        TempFolder folder;
        {
            Started first(folder, LocalAt(2026, 12, 8, 7, 20, 10)); // a Tuesday
            first.engine.SetRandomInterval(std::chrono::minutes{30});
            first.random.next = 0.4; // shifts of -2: 07:28
            for (int d = 0; d < 200; ++d) {
                first.engine.SetTime(d, 2, 0, true, TimeOfDay(7, 30));
                first.engine.SetRandomised(d, 2, 0, true, true);
            }
            first.random.next = 0.9; // the next ones +13: 07:43
            first.RunSeconds(end == End::WhileSending ? 8 * 60 - 3 : 18 * 60);
            EXPECT_EQ(first.serial.TakeFrames().size(), end == End::WhileSending ? 5u : 200u);
            if (end != End::PowerCut) first.engine.SaveAll();
        }
        // A shift drawn at the start (as a catch-up fires) is +13 again.
        Started second(folder, LocalAt(2026, 12, 8, 7, 39, 10), end == End::CatchUp, end == End::Handover,
                       0.9);
        second.RunSeconds(20 * 60);
        EXPECT_EQ(second.serial.TakeFrames().size(), end == End::WhileSending ? 195u : 0u)
            << "end " << static_cast<int>(end);
    }
}

// The night daylight time ends, a run scanned to 01:55 of the first 01:00 hour; the next one,
// started at 01:20 of the second, waits the scanned minutes out, as a running one does.
TEST(Engine, ARunStartedInTheRepeatedHourSendsNothingTwice) {
    TempFolder folder;
    {
        Started first(folder, LocalAt(2026, 11, 1, 0, 55, 10)); // a Sunday
        first.engine.SetTime(36, 0, 0, true, TimeOfDay(1, 30)); // C5
        first.RunSeconds(60 * 60);
        EXPECT_EQ(first.serial.TakeFrames(), std::vector<std::string>{"C5 On"});
        first.engine.SaveAll();
    }
    Started second(folder, LocalAt(2026, 11, 1, 1, 20, 10)); // the second 01:20
    second.RunSeconds(40 * 60);
    EXPECT_EQ(second.serial.TakeFrames(), std::vector<std::string>{});
}

// A table file damaged by a hand edit is read up to the damage; the user is told, and the file
// as it was is kept beside it before the next save writes the table.
TEST(Engine, ADamagedTableFileIsKeptAsItWasAndTheUserIsTold) {
    TempFolder folder;
    auto table = std::make_unique<WeeklyTable>();
    for (auto& device : *table) device[2][0].on = {TimeOfDay(7, 30), true, false, {}};
    std::string damaged = FormatSchedule(*table);
    // The second line of record 3000, its first enabled flag, loses its closing '#'.
    std::size_t at = 0;
    for (int line = 0; line < 3000 * 6 + 1; ++line) at = damaged.find("\r\n", at) + 2;
    damaged.replace(at, damaged.find("\r\n", at) - at, "#FALSE");
    folder.Write("schedule.txt", damaged);
    {
        Started run(folder, LocalAt(2026, 12, 8, 7, 0, 10));
        EXPECT_EQ(
            run.engine.LoadNotes(),
            std::vector<std::string>{"schedule.txt is damaged: only 3000 of its 7168 records could be read, "
                                     "the rest are left clear, and the file as it was is kept as "
                                     "schedule.txt.damaged."});
        EXPECT_TRUE(run.engine.Weekly()[106][2][0].on.enabled);  // record 2984, before the damage
        EXPECT_FALSE(run.engine.Weekly()[107][2][0].on.enabled); // record 3004, after it
        run.engine.SaveAll();
    }
    EXPECT_TRUE(folder.Read("schedule.txt.damaged") == damaged);
    EXPECT_NE(folder.Read("schedule.txt"), damaged);
    {
        Started again(folder, LocalAt(2026, 12, 8, 7, 5, 10));
        EXPECT_EQ(again.engine.LoadNotes(), std::vector<std::string>{});
    }
    // Damaged again: the first copy stays, for it may hold what the second has lost.
    folder.Write("schedule.txt", damaged.substr(0, damaged.size() / 2));
    Started third(folder, LocalAt(2026, 12, 8, 7, 10, 10));
    ASSERT_EQ(third.engine.LoadNotes().size(), 1u);
    EXPECT_NE(third.engine.LoadNotes()[0].find("kept as schedule.txt.damaged.2."), std::string::npos);
    EXPECT_TRUE(folder.Read("schedule.txt.damaged") == damaged);
}

// A file that is there but cannot be read, or not whole, is never written over: what it holds
// is not known. The user is told, and its changes are reported unsaved.
TEST(Engine, AFileThatCannotBeReadWholeIsNeverWrittenOver) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "schedule.txt"); // not a file at all
    const std::string ini =
        "[notes]\r\nlong=" + std::string(5000, 'x') + "\r\n[schedule]\r\ncatch_up_at_start=true\r\n";
    folder.Write("tarnwick.ini", ini);
    Started run(folder, LocalAt(2026, 12, 8, 7, 0, 10));
    EXPECT_EQ(
        run.engine.LoadNotes(),
        (std::vector<std::string>{
            "schedule.txt could not be read: it is left as it is, and changes to what it holds are not "
            "saved.",
            "tarnwick.ini could not be read whole: it is left as it is, and its settings are not saved."}));
    EXPECT_EQ(run.engine.SaveAll(), std::vector<std::string>{"tarnwick.ini"}); // its last minute scanned
    run.engine.SetTime(36, 2, 0, true, TimeOfDay(7, 30));
    EXPECT_FALSE(run.engine.SetCatchUpAtStart(true));
    EXPECT_EQ(run.engine.SaveAll(), (std::vector<std::string>{"schedule.txt", "tarnwick.ini"}));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "schedule.txt"));
    EXPECT_TRUE(folder.Read("tarnwick.ini") == ini);
}
