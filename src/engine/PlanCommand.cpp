#include "engine/PlanCommand.h"

#include "base/FileAccess.h"
#include "engine/AppSettings.h"
#include "engine/Persistence.h"
#include "schedule/Planner.h"
#include "sun/Solar.h"
#include "x10/CodeTable.h"

#include <cstdio>
#include <memory>

namespace tarnwick {
namespace {

// Tabs or line breaks in a hand-edited name would break the columns.
std::string OneField(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return text;
}

} // namespace

int RunPlanCommand(const CommandLine& line, IClock& clock, const std::filesystem::path& folder,
                   std::ostream& out) {
    Settings settings;
    auto weekly = std::make_unique<WeeklyTable>();
    auto sunEvents = std::make_unique<SunEventTable>();
    auto names = std::make_unique<DeviceNameTable>();
    Persistence files(folder, {settings, *weekly, *sunEvents, *names});
    files.Load(/*onlyRead=*/true);

    // As a program started now would plan: its own minute already counts as scanned.
    const LocalMinute minute = std::chrono::floor<std::chrono::minutes>(clock.NowLocal());
    const LocalDay today = std::chrono::floor<std::chrono::days>(minute);
    SunTimes sunTimes;
    CalculateSunTimes(settings.location, today, sunTimes);
    const DueTables tables{*weekly, *sunEvents, settings.location, today, sunTimes};
    // What the running program noted as sent is not planned again.
    FiringMarks marks;
    if (const auto bytes = ReadFile(files.PathOf(kAppSettingsFileName), kAppSettingsBound))
        for (const PlannedSwitch& s : ReadAppSettings(IniFile::Parse(*bytes)).fired) marks.Mark(s);
    for (const PlannedSwitch& s :
         PlanSwitchings(tables, marks, minute, clock, clock.NowUtc(), line.planDays)) {
        out << MinuteText(s.at) << '\t' << CommandText(s.message) << '\t'
            << OneField(NameOf(*names, s.device)) << '\t' << PlannedByText(s, settings.randomInterval)
            << '\n';
    }
    out.flush();
    return out ? 0 : 1;
}

} // namespace tarnwick
