// Package build and the start-up integrity check over 161 entries of about 25 MB in all,
// sized like the real asset set: a few large images and sounds, many small text files.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/AssetList.h"
#include "core/PackageManager.h"

namespace {

constexpr size_t kTotalBytes = 25u * 1024u * 1024u;

struct BenchFolder {
    std::string path;
    std::vector<std::string> assets;

    BenchFolder() {
        char pattern[] = "/tmp/quenlow-bench-XXXXXX";
        path = mkdtemp(pattern);
        assets = buildAssetList();
        // Every fourth entry is large; the rest are small descriptions and shaders.
        const size_t largeCount = (assets.size() + 3) / 4;
        const size_t smallSize = 4096;
        const size_t largeSize = (kTotalBytes - smallSize * (assets.size() - largeCount)) / largeCount;
        uint32_t state = 12345;
        for (size_t i = 0; i < assets.size(); ++i) {
            const std::string file = path + "/" + assets[i];
            for (size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
                mkdir(file.substr(0, slash).c_str(), 0755);
            }
            std::vector<char> bytes(i % 4 == 0 ? largeSize : smallSize);
            for (char& byte : bytes) {
                state = state * 1664525u + 1013904223u;
                byte = static_cast<char>(state >> 24);
            }
            FILE* out = fopen(file.c_str(), "wb");
            fwrite(bytes.data(), 1, bytes.size(), out);
            fclose(out);
        }
        if (chdir(path.c_str()) != 0) {
            perror("chdir");
        }
    }
    ~BenchFolder() {
        const std::string command = "rm -rf '" + path + "'";
        if (system(command.c_str()) != 0) {
            perror("rm");
        }
    }
};

BenchFolder& folder() {
    static BenchFolder instance;
    return instance;
}

void BM_CreatePackage(benchmark::State& state) {
    const std::vector<std::string>& assets = folder().assets;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PackageManager::getInstance()->createPackage(assets, "data.tul", true));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTotalBytes));
}
BENCHMARK(BM_CreatePackage)->Unit(benchmark::kMillisecond);

void BM_StartupIntegrityCheck(benchmark::State& state) {
    PackageManager::getInstance()->createPackage(folder().assets, "data.tul", true);
    for (auto _ : state) {
        uint32_t stored = 0;
        uint32_t computed = 0;
        benchmark::DoNotOptimize(PackageManager::getInstance()->getChecksum("data.tul", &stored));
        benchmark::DoNotOptimize(PackageManager::getInstance()->calculateChecksum("data.tul", &computed));
        if (stored != computed) {
            state.SkipWithError("checksum mismatch");
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kTotalBytes));
}
BENCHMARK(BM_StartupIntegrityCheck)->Unit(benchmark::kMillisecond);

// A crafted package of many empty entries: the check must stay linear in the entry count
// (it once rescanned the record table for every entry).
void BM_IntegrityCheckOfManyEmptyEntries(benchmark::State& state) {
    const auto count = static_cast<uint32_t>(state.range(0));
    const std::string path = folder().path + "/many.tul";
    FILE* out = fopen(path.c_str(), "wb");
    const uint32_t header[3] = {0x89ABCDEF, count, 0};
    fwrite(header, sizeof(header), 1, out);
    for (uint32_t i = 0; i < count; ++i) {
        char record[72] = {0};
        snprintf(record, 64, "entry/%u", i);
        const uint32_t offset = 12 + 72 * count;
        memcpy(record + 64, &offset, 4);
        fwrite(record, sizeof(record), 1, out);
    }
    fclose(out);
    for (auto _ : state) {
        uint32_t computed = 1;
        benchmark::DoNotOptimize(PackageManager::getInstance()->calculateChecksum(path, &computed));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * count);
}
BENCHMARK(BM_IntegrityCheckOfManyEmptyEntries)->Arg(1000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
