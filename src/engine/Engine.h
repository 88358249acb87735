#pragma once
// The program without its windows: the settings and tables, the line driver, the queue
// and the scheduler, and when the data files are read and written. The main window
// wires its widgets to it; tests drive it with a fake clock and serial control.

#include "engine/AppSettings.h"
#include "engine/FrameHistory.h"
#include "engine/Persistence.h"
#include "base/Interfaces.h"
#include "base/Settings.h"
#include "remote/NamesFile.h"
#include "schedule/Planner.h"
#include "schedule/Scheduler.h"
#include "schedule/WeeklySchedule.h"
#include "sun/SunEvents.h"
#include "x10/MessageQueue.h"
#include "x10/Transmitter.h"

#include <filesystem>
#include <functional>
#include <string>

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

// What the status bar shows: the interface, the last frame, the frames waiting.
struct StatusTexts {
    std::string port;      // "COM 2 (/dev/ttyS1)", "...: not open (reason)", "Simulated interface"
    std::string lastFrame; // "17:51:00  C5 On  Porch Light  (schedule)"
    std::string waiting;   // "3 frames waiting"; empty when none
};

class Engine {
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
    // Every file read at start-up is written, and the last minute scanned is noted in the
    // settings file for whoever takes the folder over; gives the names of the data files
    // that could not be written.
    std::vector<std::string> SaveAll();
    // Letting the folder go: no more minutes are scanned, ticks only send what waits.
    void StopScanning() { scheduler_.StopScanning(); }
    int WaitingCount() const { return scheduler_.WaitingCount(); }
    // The last frame as history.txt has it, without the line end; empty before the first.
    const std::string& LastHistoryLine() const { return history_.LastLine(); }
    // Runs before every save, so that what is still being typed is in the tables.
    void SetBeforeSave(std::function<void()> before) { beforeSave_ = std::move(before); }
    // Runs after every frame, sent or lost, once it is in the history.
    void SetAfterFrame(std::function<void()> after) { afterFrame_ = std::move(after); }

    const AppSettings& appSettings() const { return appSettings_; }
    // Keeps the setting in the settings file, written only when it changes; false when it
    // could not be written (the setting holds for this run all the same).
    bool SetCatchUpAtStart(bool on);

    StatusTexts Status() const;
    // Every switching the scheduler will make in the next seven days, as things stand now.
    std::vector<PlannedSwitch> Upcoming() const;

    Settings& settings() { return settings_; }
    DeviceNameTable& names() { return names_; }
    WeeklyTable& weekly() { return weekly_; }
    SunEventTable& sunEvents() { return sunEvents_; }
    SunTimes& sunTimes() { return sunTimes_; }
    Transmitter& transmitter() { return transmitter_; }
    IClock& clock() { return clock_; }
    IRandom& random() { return random_; }

private:
    void Load(bool catchUp, bool takingOver);
    void RecordFrame(const FrameReport& frame);

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
    AppSettings appSettings_;
    std::function<void()> beforeSave_;
    std::function<void()> afterFrame_;
};

} // namespace tarnwick
