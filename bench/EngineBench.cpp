// The engine's work in a minute with nothing edited: the scan, and a save that writes nothing.

#include "base/RandomOffset.h"
#include "engine/Engine.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

using namespace tarnwick;

namespace {

class MinuteClock : public IClock {
public:
    std::chrono::sys_seconds NowUtc() override { return now; }
    std::chrono::seconds UtcOffset(std::chrono::sys_seconds) const override { return {}; }
    std::chrono::sys_seconds now =
        std::chrono::sys_days{std::chrono::year{2026} / 12 / 8} + std::chrono::hours{7};
};

class NoPort : public ISerialControl {
public:
    bool Open(int) override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    std::string DeviceName(int) const override { return {}; }

protected:
    bool SetLine(Line, bool) override { return true; }
};

void BM_EngineMinuteWithNothingEdited(benchmark::State& bench) {
    const auto folder = std::filesystem::temp_directory_path() / "tarnwick-bench-engine";
    std::filesystem::create_directories(folder);
    MinuteClock clock;
    NoPort serial;
    DefaultRandom random;
    auto engine = std::make_unique<Engine>(Platform{&serial, &clock, nullptr, &random, folder});
    engine->Load();
    for (auto _ : bench) {
        clock.now += std::chrono::minutes{1};
        benchmark::DoNotOptimize(engine->Tick());
    }
    engine.reset();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_EngineMinuteWithNothingEdited)->Unit(benchmark::kMicrosecond);

} // namespace
