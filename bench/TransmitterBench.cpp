// How long the half-step counting loop and a whole frame take on this PC.

#include "x10/CodeTable.h"
#include "x10/Transmitter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

using namespace tarnwick;

namespace {

class NullSerial final : public ISerialControl {
public:
    void SetCommPort(std::int16_t) override {}
    std::int16_t CommPort() const override { return 2; }
    void SetSettings(const std::string&) override {}
    void SetPortOpen(bool) override {}
    bool PortOpen() const override { return true; }
    void SetDTREnable(bool) override {}
    void SetRTSEnable(bool) override {}
};

class ChronoSteadyClock final : public ISteadyClock {
public:
    std::int64_t NowNanoseconds() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

// One half-step's counting loop; compare the two factors' times (expect about 10,801 / 26).
void BM_CountingLoop(benchmark::State& s) {
    const auto factor = static_cast<std::int16_t>(s.range(0));
    for (auto _ : s) benchmark::DoNotOptimize(CountingWait(factor));
    s.counters["steps"] = 101.0 * (factor + 1);
}
BENCHMARK(BM_CountingLoop)->Arg(25)->Arg(10800)->Unit(benchmark::kMicrosecond);

// A whole frame at the default settings with the 1 ms floor per half-step (expect 79 to 85 ms).
void BM_WholeFrame(benchmark::State& s) {
    auto state = std::make_unique<AppState>();
    InitializeData(*state, 0);
    state->CpuFactor = 1;
    state->ClockFactor = 25;
    NullSerial serial;
    ChronoSteadyClock steady;
    Transmitter transmitter(*state, serial, &steady);
    for (auto _ : s) transmitter.Transmit_Message(76);
}
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
