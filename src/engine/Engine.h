#pragma once
// The program without its windows: the settings and tables, the line driver, the queue
// and the scheduler, and when the data files are read and written. The main window
// wires its widgets to it; tests drive it with a fake clock and serial control.

#include "base/FileAccess.h"
#include "base/Interfaces.h"
#include "base/Settings.h"
#include "engine/AppSettings.h"
#include "engine/FrameHistory.h"
#include "engine/Persistence.h"
#include "remote/NamesFile.h"
#include "remote/RemoteCommands.h"
#include "schedule/Planner.h"
#include "schedule/Scheduler.h"
#include "schedule/TimetableCommands.h"
#include "schedule/WeeklySchedule.h"
#include "sun/SunCommands.h"
#include "sun/SunEvents.h"
#include "x10/MessageQueue.h"
#include "x10/Transmitter.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick {

// What the outside world hands the program: the serial control, the clocks, the
// random sequence and the folder of the data files (empty: the current folder).
struct Platform {
    ISerialControl* serial = nullptr;
    IClock* clock = nullptr;
    ISteadyClock* steady = nullptr; // may be null: no minimum half-step length
    IRandom* random = nullptr;
    std::filesystem::path folder;
};

// What changed, told to those who follow the engine in one notice after each change.
enum class Change : unsigned {
    Names = 1 << 0,
    Timetable = 1 << 1, // the weekly entries, their shifts included
    SunEvents = 1 << 2, // the sun events, their shifts included
    Settings = 1 << 3,  // port, CPU, clock rate, randomize interval, catch-up at start
    Location = 1 << 4,  // the place, and with it the sun times
    Frame = 1 << 5,     // a frame ended, sent or not (LastFrame)
    Minute = 1 << 6,    // a new minute was scanned
    Queue = 1 << 7,     // the frames waiting changed
};
class Changes {
public:
    constexpr Changes() = default;
    constexpr Changes(Change c) : bits_(static_cast<unsigned>(c)) {}
    constexpr Changes operator|(Changes o) const { return Changes(bits_ | o.bits_); }
    constexpr bool Has(Change c) const { return (bits_ & static_cast<unsigned>(c)) != 0; }
    constexpr bool Any() const { return bits_ != 0; }
    bool operator==(const Changes&) const = default;

private:
    constexpr explicit Changes(unsigned bits) : bits_(bits) {}
    unsigned bits_ = 0;
};
constexpr Changes operator|(Change a, Change b) {
    return Changes(a) | Changes(b);
}

// The last frame, as the history has it.
struct FrameRecord {
    FrameReport report;
    int device = -1;         // -1 for Bright and Dim of a house
    std::string time;        // local, "2026-12-08T07:30:02"
    std::string historyLine; // history.txt's line, without its end
};

// What the status bar shows: the interface, the last frame, the frames waiting.
struct StatusTexts {
    std::string port;      // "COM 2 (/dev/ttyS1)", "...: not open (reason)", "Simulated interface"
    std::string lastFrame; // "17:51:00  C5 On  Porch Light  (schedule)"
    std::string waiting;   // "3 frames waiting"; empty when none
};

class Engine final : public IRemoteCommands, public ITimetableCommands, public ISunCommands {
public:
    explicit Engine(const Platform& platform);

    // Start-up: reads the four files and the settings file and computes today's sun times;
    // the minute it starts in is never scanned. A catch-up (asked for here, or kept in the
    // settings) queues each device's last switching due in the week before.
    void Load(bool catchUp = false);
    // Start-up taking the folder over from the other front (the service or the window): the
    // minutes after the last one it scanned are scanned, none twice.
    void LoadTakingOver();
    // Opens the chosen port; false when it will not open. After the first try a port that
    // is lost or would not open is looked for again, quietly, by the frames and the ticks.
    bool OpenPort();
    // Closes the port open now and opens port n instead; false when it will not open.
    bool SelectPort(int port);

    // One timer tick; true when it scanned a new minute (and saved what changed).
    bool Tick();
    // Milliseconds until the next tick, on the grid of the minute.
    int NextTickDelayMs();
    // Every file read at start-up is written, and the last minute scanned and the switchings
    // sent are noted in the settings file for whoever takes the folder over; gives the names
    // of the files that could not be written.
    std::vector<std::string> SaveAll();
    // Letting the folder go: no more minutes are scanned, ticks only send what waits.
    void StopScanning() { scheduler_.StopScanning(); }
    int WaitingCount() const { return scheduler_.WaitingCount(); }
    // Runs before every save, so that what is still being typed is in the tables.
    void SetBeforeSave(std::function<void()> before) { beforeSave_ = std::move(before); }
    // Every change is told to each follower once it is made; the handle stops it.
    using Follower = std::function<void(Changes)>;
    int Follow(Follower follower);
    void Unfollow(int handle);

    // Commands, named by what the user does; each keeps the tables whole and tells the change.
    void SetName(int device, std::string name) override;
    // A time for one half of a pair, or none to switch it off (its time then reads 00:00).
    void SetTime(int device, int weekday, int pair, bool on, std::optional<TimeOfDay> time) override;
    // A randomised half draws its shift here, from the randomize interval.
    void SetRandomised(int device, int weekday, int pair, bool on, bool randomised) override;
    void SetSunEvent(int device, int slot, SunWhen when, std::chrono::seconds offset,
                     SunAction action) override;
    void SetSunRandomised(int device, int slot, bool randomised) override;
    // The sun times follow the place.
    void SetLocation(const Location& place) override;
    void SetRandomInterval(std::chrono::minutes interval) override;
    void SetCpuFactor(std::int16_t factor);
    void SetClockFactor(std::int16_t factor);
    // A command given by hand: goes out now, the thread waiting for the frame.
    void SendManual(std::int32_t message) override;
    // A command from outside (the broker): at once when the line is free (no frame going out,
    // nothing waiting, 1.5 s since the last frame began), else queued.
    void SendWhenFree(std::int32_t message, FrameSource source);
    // How many wait in the queue from this source.
    int WaitingFrom(FrameSource source) const { return queue_.WaitingFrom(source); }

    // The state, read only.
    const Settings& CurrentSettings() const { return settings_; }
    const DeviceNameTable& Names() const override { return names_; }
    const WeeklyTable& Weekly() const override { return weekly_; }
    const SunEventTable& SunEvents() const override { return sunEvents_; }
    const SunTimes& TodaysSunTimes() const override { return sunTimes_; }
    const Location& CurrentLocation() const override { return settings_.location; }
    std::chrono::minutes RandomInterval() const override { return settings_.randomInterval; }
    const FrameRecord& LastFrame() const { return lastFrame_; }
    bool LineBusy() const override { return transmitter_.Busy(); }
    bool PortOpen() const { return transmitter_.IsPortOpen(); }
    IClock& Clock() const { return clock_; }

    const AppSettings& appSettings() const { return appSettings_; }
    // Keeps the setting in the settings file, written only when it changes; false when it
    // could not be written (the setting holds for this run all the same).
    bool SetCatchUpAtStart(bool on);
    // tarnwick.ini as read at start and changed since, for the settings of the parts outside
    // the engine (the broker's); an edit is written at once, the owner's alone when asked.
    const IniFile& SettingsFile() const { return settingsFile_; }
    bool EditSettingsFile(const std::function<void(IniFile&)>& edit,
                          FileProtection protection = FileProtection::Keep);

    StatusTexts Status() const;
    // What start-up could not read whole, a line a file; empty when all was read.
    const std::vector<std::string>& LoadNotes() const { return loadNotes_; }
    // Every switching the scheduler will make in the next seven days, as things stand now.
    std::vector<PlannedSwitch> Upcoming() const;

private:
    // Notes in tarnwick.ini what the next run must know of this one; false when it could not.
    bool SaveRunState(bool withLastScanned);
    void Load(bool catchUp, bool takingOver);
    void RecordFrame(const FrameReport& frame);
    void Tell(Changes changes);
    SchedulePair& PairOf(int device, int weekday, int pair);

    ISerialControl& serial_;
    IClock& clock_;
    ISteadyClock* steady_;
    IRandom& random_;
    Settings settings_;
    DeviceNameTable names_;
    WeeklyTable weekly_{};
    SunEventTable sunEvents_{};
    SunTimes sunTimes_;
    MessageQueue queue_;
    Transmitter transmitter_;
    Scheduler scheduler_;
    Persistence persistence_;
    FrameHistory history_;
    IniFile settingsFile_;
    bool runStateChanged_ = false;     // what SaveRunState notes may have changed since it last did
    bool settingsFileWritable_ = true; // false when it is there but could not be read whole
    std::vector<std::string> loadNotes_;
    AppSettings appSettings_;
    std::function<void()> beforeSave_;
    std::vector<std::pair<int, Follower>> followers_;
    int nextFollower_ = 0;
    FrameRecord lastFrame_;
};

} // namespace tarnwick
