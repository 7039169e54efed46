// Decoding throughput: the whole corpus in memory through framing, dispatch,
// handlers and display texts on one core, with heap allocations counted.
//   bench_decode [SECONDS] [CORPUS_DIR]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>

#include "framing/Framing.h"
#include "nmea/Dispatch.h"

namespace {
std::atomic<uint64_t> Allocations{0};
}

void* operator new(size_t size) {
    ++Allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

class NoPurge : public PortPurger {
  public:
    void PurgeBoth() override {}
};

struct Totals {
    uint64_t Sentences = 0;
    uint64_t Bytes = 0;
};

Totals DecodeOnce(const std::string& bytes, NMEA_Manager& store, PortPurger& purger) {
    Totals t;
    MemoryByteSource source(bytes.data(), bytes.size());
    char buffer[SentenceBufferSize];
    while (!source.AtEnd()) {
        const uint16_t n = FrameSentence(source, buffer, [] { return false; });
        if (n == 0) continue;
        DispatchSentence(SentenceText(buffer, n), store, &purger);
        ++t.Sentences;
    }
    t.Bytes = bytes.size();
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    const std::filesystem::path dir = argc > 2 ? argv[2] : LUMAROKUB_CORPUS_DIR;
    std::string corpus;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".log") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        corpus.append(std::istreambuf_iterator<char>(in), {});
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "bench_decode: no .log files in %s\n", dir.c_str());
        return 2;
    }
    NMEA_Manager store;
    NoPurge purger;
    DecodeOnce(corpus, store, purger);  // warm-up: texts reach their capacity

    const uint64_t allocationsBefore = Allocations.load();
    Totals total;
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
        const Totals t = DecodeOnce(corpus, store, purger);
        total.Sentences += t.Sentences;
        total.Bytes += t.Bytes;
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < seconds);
    const uint64_t allocations = Allocations.load() - allocationsBefore;

    std::printf("corpus: %zu bytes, %llu sentences per pass\n", corpus.size(),
                static_cast<unsigned long long>(DecodeOnce(corpus, store, purger).Sentences));
    std::printf("sentences/s: %.0f\n", total.Sentences / elapsed);
    std::printf("bytes/s: %.0f (%.1f MB/s)\n", total.Bytes / elapsed, total.Bytes / elapsed / 1e6);
    std::printf("heap allocations per sentence: %.6f (%llu in %llu sentences)\n",
                double(allocations) / double(total.Sentences),
                static_cast<unsigned long long>(allocations),
                static_cast<unsigned long long>(total.Sentences));
    return 0;
}
