// Opening and saving a picture as the viewer does: load, transform, write, for square pictures
// of the renderer's size and of the largest size the header can hold.
#include "picture_files.h"
#include "picture_state.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void loadTransformWrite(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    const ScratchDir scratch;
    const std::string source = (scratch.path() / "source.ppm").string();
    writeBytes(source, patternFile(size, size));
    const std::string saved = (scratch.path() / "saved.ppm").string();

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

} // namespace

BENCHMARK(loadTransformWrite)->Arg(450)->Arg(999)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
