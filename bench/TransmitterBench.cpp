// How long the half-step counting loop and a whole frame take on this PC.

#include "x10/Transmitter.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace tarnwick;

namespace {

class NullSerial final : public ISerialControl {
public:
    bool Open(int) override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    std::string DeviceName(int) const override { return {}; }

protected:
    bool SetLine(Line, bool) override { return true; }
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
    const Settings settings; // CPU factor 1, clock factor 25
    NullSerial serial;
    ChronoSteadyClock steady;
    Transmitter transmitter(settings, serial, &steady);
    for (auto _ : s) transmitter.Send(76);
}
BENCHMARK(BM_WholeFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
