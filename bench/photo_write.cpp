// What writing one photo file costs, and the share of it that flushing its folder after
// the rename takes (the rename made to outlive a power cut): a photo of 500 KB written
// atomically (temporary, pieces, flush, rename, folder flush), beside the folder flush
// alone. Both go to the disk the system's temporary folder is on.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/random.hpp"

namespace {

struct Folder {
    std::filesystem::path path;
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vistrel-bench-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void WritePhotoAtomically(benchmark::State& state) {
    Folder folder;
    std::string photo(500 * 1024, '\0');
    platform::randomBytes(photo.data(), photo.size());
    for (auto _ : state)
        if (!platform::writeFileAtomically(folder.path / "photo.jpg", photo)) state.SkipWithError("not written");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * photo.size()));
}
BENCHMARK(WritePhotoAtomically)->Unit(benchmark::kMillisecond);

void FlushFolderAfterARename(benchmark::State& state) {
    Folder folder;
    const auto a = folder.path / "a", b = folder.path / "b";
    platform::writeFileAtomically(a, "x");
    for (auto _ : state) {
        std::filesystem::rename(a, b);
        if (!platform::syncFolderOf(b)) state.SkipWithError("not flushed");
        std::filesystem::rename(b, a);
        if (!platform::syncFolderOf(a)) state.SkipWithError("not flushed");
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(FlushFolderAfterARename)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
