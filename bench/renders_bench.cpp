// Pixels per second of each render, and the wall time of the whole program as a user runs it.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "renders.h"
#include "support/scratch_dir.h"

namespace {

void render(benchmark::State &state, int (*renderer)(), double pixels) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderer());
    }
    state.counters["pixels/s"] = benchmark::Counter(
        pixels * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Pixels, not rays: only the rays that can meet an object are cast.
constexpr double pixels450 = 450.0 * 450.0;
constexpr double pixels500 = 500.0 * 500.0;

// The whole program: six renders, six files, the pause with stdin not a terminal.
void programme(benchmark::State &state) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    char name[] = "kelvotrace";
    char *argv[] = {name, nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, KELVOTRACE_PATH, &actions, nullptr, argv, environ) != 0) {
            state.SkipWithError("cannot start kelvotrace");
            break;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("kelvotrace failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

} // namespace

BENCHMARK_CAPTURE(render, testinter, testinter, pixels450)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(render, testobj, testobj, pixels450)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(render, testnormale, testnormale, pixels450)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(render, testMulti, testMulti, pixels450)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(render, testLamp, testLamp, pixels450)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(render, testZbuf_Phong, testZbuf_Phong, pixels500)->Unit(benchmark::kMillisecond);
BENCHMARK(programme)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

int main(int argc, char **argv) {
    const ScratchDir scratch; // renders write into the current directory
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
