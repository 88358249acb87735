#include "engine/Engine.h"

#include "base/FileAccess.h"
#include "base/RandomOffset.h"
#include "schedule/TickPacing.h"
#include "sun/Solar.h"
#include "x10/CodeTable.h"

namespace tarnwick {

Engine::Engine(const Platform& platform)
    : serial_(*platform.serial), clock_(*platform.clock), steady_(platform.steady), random_(*platform.random),
      transmitter_(settings_, *platform.serial, platform.steady),
      scheduler_(weekly_, sunEvents_, sunTimes_, settings_, queue_, random_, transmitter_),
      persistence_(platform.folder, {settings_, weekly_, sunEvents_, names_}), history_(platform.folder) {
    transmitter_.SetFrameObserver([this](const FrameReport& frame) { RecordFrame(frame); });
}

void Engine::RecordFrame(const FrameReport& frame) {
    const int device = DeviceOfMessage(frame.message);
    const auto now = clock_.NowUtc();
    history_.Record(now, clock_.UtcOffset(now), frame,
                    device < 0 ? std::string_view() : NameOf(names_, device));
    lastFrame_ = {frame, device, history_.LastLine().substr(0, 19), history_.LastLine()};
    Tell(Change::Frame | Change::Queue);
}

int Engine::Follow(Follower follower) {
    followers_.emplace_back(++nextFollower_, std::move(follower));
    return nextFollower_;
}

void Engine::Unfollow(int handle) {
    std::erase_if(followers_, [handle](const auto& f) { return f.first == handle; });
}

void Engine::Tell(Changes changes) {
    if (changes.Has(Change::Names)) persistence_.MarkChanged(Persistence::kNames);
    if (changes.Has(Change::Timetable)) persistence_.MarkChanged(Persistence::kSchedule);
    if (changes.Has(Change::SunEvents)) persistence_.MarkChanged(Persistence::kSunrise);
    if (changes.Has(Change::Settings) || changes.Has(Change::Location))
        persistence_.MarkChanged(Persistence::kConfig);
    // What went out is told by the shifts drawn as it was queued and the queue as it empties.
    if (changes.Has(Change::Timetable) || changes.Has(Change::SunEvents) || changes.Has(Change::Queue))
        runStateChanged_ = true;
    // A follower may stop following while told: tell a copy.
    const auto followers = followers_;
    for (const auto& [handle, follower] : followers) follower(changes);
}

SchedulePair& Engine::PairOf(int device, int weekday, int pair) {
    return weekly_.at(static_cast<std::size_t>(device))
        .at(static_cast<std::size_t>(weekday))
        .at(static_cast<std::size_t>(pair));
}

void Engine::SetName(int device, std::string name) {
    std::string& stored = names_.at(static_cast<std::size_t>(device / kUnitCount))
                              .at(static_cast<std::size_t>(device % kUnitCount));
    if (stored == name) return;
    stored = std::move(name);
    Tell(Change::Names);
}

void Engine::SetTime(int device, int weekday, int pair, bool on, std::optional<TimeOfDay> time) {
    ScheduleTime& half = PairOf(device, weekday, pair).Half(on);
    // A time taken away reads 00:00, as the file keeps it.
    const TimeOfDay newTime = time.value_or(TimeOfDay{});
    // Times count to the minute: the seconds a hand-edited file gave stay until the minute changes.
    if (half.time.Minute() == newTime.Minute() && half.enabled == time.has_value()) return;
    half.time = newTime;
    half.enabled = time.has_value();
    Tell(Change::Timetable);
}

void Engine::SetRandomised(int device, int weekday, int pair, bool on, bool randomised) {
    ScheduleTime& half = PairOf(device, weekday, pair).Half(on);
    if (half.randomised == randomised) return;
    half.randomised = randomised;
    half.shift = randomised ? DrawRandomOffset(settings_.randomInterval, random_) : std::chrono::minutes{0};
    Tell(Change::Timetable);
}

void Engine::SetSunEvent(int device, int slot, SunWhen when, std::chrono::seconds offset, SunAction action) {
    SunEvent& e = sunEvents_.at(static_cast<std::size_t>(device)).at(static_cast<std::size_t>(slot));
    if (e.when == when && e.action == action &&
        std::chrono::floor<std::chrono::minutes>(e.offset) ==
            std::chrono::floor<std::chrono::minutes>(offset))
        return;
    e.when = when;
    if (std::chrono::floor<std::chrono::minutes>(e.offset) !=
        std::chrono::floor<std::chrono::minutes>(offset))
        e.offset = offset;
    e.action = action;
    Tell(Change::SunEvents);
}

void Engine::SetSunRandomised(int device, int slot, bool randomised) {
    SunEvent& e = sunEvents_.at(static_cast<std::size_t>(device)).at(static_cast<std::size_t>(slot));
    if (e.randomised == randomised) return;
    e.randomised = randomised;
    e.shift = randomised ? DrawRandomOffset(settings_.randomInterval, random_) : std::chrono::minutes{0};
    Tell(Change::SunEvents);
}

void Engine::SetLocation(const Location& place) {
    if (settings_.location == place) return;
    settings_.location = place;
    CalculateSunTimes(settings_.location, std::chrono::floor<std::chrono::days>(clock_.NowLocal()),
                      sunTimes_);
    Tell(Change::Location);
}

void Engine::SetRandomInterval(std::chrono::minutes interval) {
    if (settings_.randomInterval == interval) return;
    settings_.randomInterval = interval;
    Tell(Change::Settings);
}

void Engine::SetCpuFactor(std::int16_t factor) {
    if (settings_.cpuFactor == factor) return;
    settings_.cpuFactor = factor;
    Tell(Change::Settings);
}

void Engine::SetClockFactor(std::int16_t factor) {
    if (settings_.clockFactor == factor) return;
    settings_.clockFactor = factor;
    Tell(Change::Settings);
}

void Engine::SendManual(std::int32_t message) {
    transmitter_.Send(message, FrameSource::Manual);
}

void Engine::SendWhenFree(std::int32_t message, FrameSource source) {
    std::optional<std::int64_t> sinceFrameMs;
    if (steady_)
        if (const auto start = transmitter_.LastFrameStartNs())
            sinceFrameMs = (steady_->NowNanoseconds() - *start) / 1'000'000;
    const bool free =
        !transmitter_.Busy() && queue_.WaitingCount() == 0 && (!sinceFrameMs || *sinceFrameMs >= 1500);
    if (free) {
        transmitter_.Send(message, source);
        return;
    }
    queue_.Queue(static_cast<std::int16_t>(message), source);
    Tell(Change::Queue);
}

std::vector<PlannedSwitch> Engine::Upcoming() const {
    return PlanSwitchings(scheduler_.Tables(), scheduler_.Marks(), scheduler_.LastScanned(), clock_,
                          clock_.NowUtc());
}

StatusTexts Engine::Status() const {
    StatusTexts status;
    const int port = settings_.commPort;
    const std::string device = serial_.DeviceName(port);
    if (device.empty()) {
        status.port = "Simulated interface";
    } else {
        status.port = "COM " + std::to_string(port) + " (" + device + ")";
        if (!serial_.IsOpen()) {
            status.port += ": not open";
            if (const std::string reason = serial_.FailureReason(); !reason.empty())
                status.port += " (" + reason + ")";
        }
    }
    status.lastFrame = history_.LastFrameText();
    if (const int waiting = queue_.WaitingCount(); waiting > 0)
        status.waiting = std::to_string(waiting) + (waiting == 1 ? " frame waiting" : " frames waiting");
    return status;
}

void Engine::Load(bool catchUp) {
    Load(catchUp, false);
}

void Engine::LoadTakingOver() {
    Load(false, true);
}

void Engine::Load(bool catchUp, bool takingOver) {
    const LocalSeconds now = clock_.NowLocal();
    persistence_.Load();
    loadNotes_ = persistence_.DamageNotes();
    const std::filesystem::path iniPath = persistence_.PathOf(kAppSettingsFileName);
    const auto bytes = ReadFile(iniPath, kAppSettingsBound);
    std::error_code error;
    const bool there = std::filesystem::exists(iniPath, error) || error;
    // Written back whole from what was read, it must have been read whole.
    settingsFileWritable_ =
        !there || (bytes && bytes->size() == std::filesystem::file_size(iniPath, error) && !error);
    if (bytes && settingsFileWritable_) {
        settingsFile_ = IniFile::Parse(*bytes);
        appSettings_ = ReadAppSettings(settingsFile_);
    }
    if (!settingsFileWritable_)
        loadNotes_.push_back(
            std::string(kAppSettingsFileName) +
            " could not be read whole: it is left as it is, and its settings are not saved.");
    CalculateSunTimes(settings_.location, std::chrono::floor<std::chrono::days>(now), sunTimes_);
    scheduler_.Start(now, catchUp || appSettings_.catchUpAtStart, appSettings_.lastScanned, takingOver,
                     appSettings_.fired);
    // A catch-up draws the next shifts of the randomised entries it sends.
    const auto [weeklyDraws, sunDraws] = scheduler_.Draws();
    if (weeklyDraws > 0) persistence_.MarkChanged(Persistence::kSchedule);
    if (sunDraws > 0) persistence_.MarkChanged(Persistence::kSunrise);
}

std::vector<std::string> Engine::SaveAll() {
    std::vector<std::string> unsaved = persistence_.SaveAll();
    if (!SaveRunState(true)) unsaved.emplace_back(kAppSettingsFileName);
    return unsaved;
}

bool Engine::SaveRunState(bool withLastScanned) {
    if (!settingsFileWritable_) return false;
    AppSettings next = appSettings_;
    if (withLastScanned) next.lastScanned = scheduler_.LastScanned();
    next.fired = scheduler_.CarriedMarks();
    if (next == appSettings_) return true;
    IniFile file = settingsFile_;
    WriteAppSettings(next, file);
    // Not written, nothing is taken as written: the next save tries again.
    if (!WriteFileAtomically(persistence_.PathOf(kAppSettingsFileName), file.Format())) return false;
    settingsFile_ = std::move(file);
    appSettings_ = std::move(next);
    return true;
}

bool Engine::SetCatchUpAtStart(bool on) {
    if (appSettings_.catchUpAtStart == on) return true;
    appSettings_.catchUpAtStart = on;
    if (!settingsFileWritable_) return false;
    WriteAppSettings(appSettings_, settingsFile_);
    return WriteFileAtomically(persistence_.PathOf(kAppSettingsFileName), settingsFile_.Format());
}

bool Engine::EditSettingsFile(const std::function<void(IniFile&)>& edit, FileProtection protection) {
    edit(settingsFile_);
    if (!settingsFileWritable_) return false;
    return WriteFileAtomically(persistence_.PathOf(kAppSettingsFileName), settingsFile_.Format(), protection);
}

bool Engine::OpenPort() {
    const bool open = transmitter_.OpenPort();
    transmitter_.ReopenBeforeFrames();
    return open;
}

bool Engine::SelectPort(int port) {
    transmitter_.ClosePort();
    if (settings_.commPort != port) {
        settings_.commPort = static_cast<std::int16_t>(port);
        Tell(Change::Settings);
    }
    return transmitter_.OpenPort();
}

bool Engine::Tick() {
    const int waiting = queue_.WaitingCount();
    const auto [weeklyDraws, sunDraws] = scheduler_.Draws();
    const bool newMinute = scheduler_.Tick(clock_.NowLocal());
    Changes changes;
    if (newMinute) changes = changes | Change::Minute;
    if (scheduler_.Draws().first != weeklyDraws) changes = changes | Change::Timetable;
    if (scheduler_.Draws().second != sunDraws) changes = changes | Change::SunEvents;
    if (queue_.WaitingCount() != waiting) changes = changes | Change::Queue;
    if (changes.Any()) Tell(changes);
    if (newMinute) {
        if (beforeSave_) beforeSave_();
        persistence_.SaveChanged();
        // What went out is on disk as soon as the shifts drawn for it are, so a power cut does
        // not send it twice; the last minute scanned alone waits for the end of the run.
        if (runStateChanged_ && SaveRunState(false)) runStateChanged_ = false;
        // Once a minute a lost port is looked for; frames look for it themselves.
        transmitter_.EnsurePortOpen();
    }
    return newMinute;
}

int Engine::NextTickDelayMs() {
    std::optional<std::int64_t> sinceFrame;
    if (steady_)
        if (const auto start = transmitter_.LastFrameStartNs())
            sinceFrame = (steady_->NowNanoseconds() - *start) / 1'000'000;
    return tarnwick::NextTickDelayMs(clock_.MillisecondOfMinute(), sinceFrame);
}

} // namespace tarnwick
