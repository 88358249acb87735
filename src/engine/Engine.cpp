#include "engine/Engine.h"

#include "base/FileAccess.h"
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
    if (afterFrame_) afterFrame_();
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
    const DateTime now = clock_.Now();
    persistence_.Load();
    if (const auto bytes = ReadFile(persistence_.PathOf(kAppSettingsFileName), kAppSettingsBound)) {
        settingsFile_ = IniFile::Parse(*bytes);
        appSettings_ = ReadAppSettings(settingsFile_);
    }
    CalculateSunTimes(settings_.location, now, sunTimes_);
    scheduler_.Start(now, catchUp || appSettings_.catchUpAtStart,
                     takingOver ? appSettings_.lastScanned : std::nullopt);
}

std::vector<std::string> Engine::SaveAll() {
    std::vector<std::string> unsaved = persistence_.SaveAll();
    if (appSettings_.lastScanned != scheduler_.LastScanned()) {
        appSettings_.lastScanned = scheduler_.LastScanned();
        WriteAppSettings(appSettings_, settingsFile_);
        WriteFileAtomically(persistence_.PathOf(kAppSettingsFileName), settingsFile_.Format());
    }
    return unsaved;
}

bool Engine::SetCatchUpAtStart(bool on) {
    if (appSettings_.catchUpAtStart == on) return true;
    appSettings_.catchUpAtStart = on;
    WriteAppSettings(appSettings_, settingsFile_);
    return WriteFileAtomically(persistence_.PathOf(kAppSettingsFileName), settingsFile_.Format());
}

bool Engine::OpenPort() {
    const bool open = transmitter_.OpenPort();
    transmitter_.ReopenBeforeFrames();
    return open;
}

bool Engine::SelectPort(int port) {
    transmitter_.ClosePort();
    settings_.commPort = static_cast<std::int16_t>(port);
    return transmitter_.OpenPort();
}

bool Engine::Tick() {
    const bool newMinute = scheduler_.Tick(clock_.Now());
    if (newMinute) {
        if (beforeSave_) beforeSave_();
        persistence_.SaveChanged();
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
