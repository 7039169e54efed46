// Decoding throughput of the UBX corpus on one core: every capture, UBX frames
// and NMEA sentences mixed, from the raw bytes through framing, checksums,
// the UBX decoders (with what they tell the views) and the NMEA path, with
// heap allocations counted. Records are frames and sentences framed; the
// median of several rounds is reported.
//   bench_decode_ubx [SECONDS] [CORPUS_DIR]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "framing/Framing.h"
#include "intake/Intake.h"

namespace {

constexpr int Rounds = 9;
constexpr double DefaultSeconds = 6.0;
constexpr double NanosecondsPerSecond = 1e9;

std::string ReadCorpus(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".log") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::string corpus;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        corpus.append(std::istreambuf_iterator<char>(in), {});
    }
    return corpus;
}

struct Pass {
    uint64_t Frames = 0;
    uint64_t Sentences = 0;
};

// One pass over the corpus into the store, through the reader's intake.
Pass DecodeOnce(const std::string& corpus, Intake& intake) {
    Pass pass;
    IntakeSinks none;
    MemoryByteSource source(corpus.data(), corpus.size());
    while (!source.AtEnd()) {
        const IntakeResult result = intake.Next(source, none);
        if (result.Kind == RecordKind::Ubx)
            ++pass.Frames;
        else if (!result.Sentence.empty())
            ++pass.Sentences;
    }
    return pass;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : DefaultSeconds;
    const std::filesystem::path dir =
        argc > 2 ? argv[2] : std::filesystem::path(LUMAROKUB_CORPUS_DIR) / ".." / "ubx";
    const std::string corpus = ReadCorpus(dir);
    if (corpus.empty()) {
        std::fprintf(stderr, "bench_decode_ubx: no captures in %s\n", dir.c_str());
        return 1;
    }
    auto store = std::make_unique<NMEA_Manager>();
    Intake intake(*store);
    const Pass warm = DecodeOnce(corpus, intake);  // the store's tables reach their size

    std::vector<double> rates;
    rates.reserve(Rounds);
    uint64_t allocations = 0, records = 0;
    const double roundSeconds = seconds / Rounds;
    for (int round = 0; round < Rounds; ++round) {
        const uint64_t before = AllocationCount();
        const auto start = std::chrono::steady_clock::now();
        uint64_t inRound = 0;
        double elapsed = 0;
        do {
            const Pass pass = DecodeOnce(corpus, intake);
            inRound += pass.Frames + pass.Sentences;
            elapsed =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        } while (elapsed < roundSeconds);
        allocations += AllocationCount() - before;
        records += inRound;
        rates.push_back(double(inRound) / elapsed);
    }
    std::sort(rates.begin(), rates.end());
    const double median = rates[rates.size() / 2];
    std::printf("UBX corpus: %zu bytes, %llu UBX frames and %llu NMEA sentences a pass\n",
                corpus.size(), static_cast<unsigned long long>(warm.Frames),
                static_cast<unsigned long long>(warm.Sentences));
    std::printf("records per second (median of %d rounds): %.0f (%.1f ns per record)\n", Rounds,
                median, NanosecondsPerSecond / median);
    std::printf("heap allocations per record: %.6f (%llu in %llu records)\n",
                double(allocations) / double(records), static_cast<unsigned long long>(allocations),
                static_cast<unsigned long long>(records));
    return 0;
}
