// Opening and saving a picture as the viewer does: load, transform, write, for square pictures
// of the renderer's size and of the largest size the header can hold.
#include "picture_state.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Writes a size by size P6 file of varied bytes in the renderer's layout and returns its path.
std::string sourceFile(const std::filesystem::path &dir, int size) {
    const std::filesystem::path path = dir / ("source" + std::to_string(size) + ".ppm");
    std::ofstream out(path, std::ios::binary);
    out << "P6\n#Kelvo\n" << size << ' ' << size << "\n255\n";
    for (long i = 0; i < 3L * size * size; ++i)
        out.put(static_cast<char>(i * 7 % 251));
    return path.string();
}

void loadTransformWrite(benchmark::State &state) {
    const int size = static_cast<int>(state.range(0));
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "picture_bench";
    std::filesystem::create_directories(dir);
    const std::string source = sourceFile(dir, size);
    const std::string saved = (dir / "saved.ppm").string();

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
    std::filesystem::remove_all(dir);
}

} // namespace

BENCHMARK(loadTransformWrite)->Arg(450)->Arg(999)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
