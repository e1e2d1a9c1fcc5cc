// Opening and saving a picture as the viewer does: load, transform, write, for square pictures
// of the renderer's size and of the largest size the header can hold.
#include "picture_files.h"
#include "picture_state.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

// A pattern picture of size by size in a scratch folder, and the name a save writes beside it.
struct BenchFiles {
    explicit BenchFiles(int size) { writeBytes(source, patternFile(size, size)); }
    const ScratchDir scratch;
    const std::string source = (scratch.path() / "source.ppm").string();
    const std::string saved = (scratch.path() / "saved.ppm").string();
};

void loadTransformWrite(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    const BenchFiles files(size);
    const std::string &source = files.source, &saved = files.saved;

    for (auto _ : state) {
        if (loadPicture(source.c_str()).status != LoadStatus::ok) {
            state.SkipWithError("load failed");
            break;
        }
        transformPicture();
        if (!writePicture(saved.c_str()).written) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * 3L * size * size);
}

// A save alone over an existing file: replaced whole (second argument 0), or written in place
// because the file has a second hard link (1). Both end with the file flushed to disk.
void saveOver(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    const BenchFiles files(size);
    const std::string &source = files.source, &saved = files.saved;
    if (loadPicture(source.c_str()).status != LoadStatus::ok) {
        state.SkipWithError("load failed");
        return;
    }
    transformPicture();
    writePicture(saved.c_str());
    if (state.range(1) != 0)
        std::filesystem::create_hard_link(saved, files.scratch.path() / "second name.ppm");
    state.SetLabel(state.range(1) != 0 ? "in place" : "replaced");

    for (auto _ : state) {
        if (!writePicture(saved.c_str()).written) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * 3L * size * size);
}

} // namespace

BENCHMARK(loadTransformWrite)->Arg(450)->Arg(999)->Unit(benchmark::kMillisecond);
BENCHMARK(saveOver)->ArgsProduct({{450, 999}, {0, 1}})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
