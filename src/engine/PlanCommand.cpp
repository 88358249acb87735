#include "engine/PlanCommand.h"

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
    const DateTime now = clock.Now();
    SunTimes sunTimes;
    CalculateSunTimes(settings.location, now, sunTimes);
    const LocalMinute minute = LocalMinuteOf(now);
    const DueTables tables{*weekly, *sunEvents, settings.location,
                           std::chrono::floor<std::chrono::days>(minute), sunTimes};
    for (const PlannedSwitch& s :
         PlanSwitchings(tables, FiringMarks{}, minute, clock, clock.NowUtc(), line.planDays)) {
        const CivilDateTime t = ToCivil(ToDateTime(s.at));
        char when[24];
        std::snprintf(when, sizeof when, "%04d-%02d-%02dT%02d:%02d", t.year, t.month, t.day, t.hour,
                      t.minute);
        out << when << '\t' << CommandText(s.message) << '\t' << OneField(NameOf(*names, s.device)) << '\t'
            << PlannedByText(s, settings.randomInterval) << '\n';
    }
    out.flush();
    return out ? 0 : 1;
}

} // namespace tarnwick
