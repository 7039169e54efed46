// Decoding throughput beside a minimal parser, on one core and the same
// sentences. Our side runs the whole path from the raw bytes: framing,
// checksum, type, satellite table, handlers and display texts (formatted when
// read, as the views read them), with heap allocations counted. minmea's side is given the
// sentences already framed and does what a minimal parser does: minmea_sentence_id (checksum and
// type) and the matching minmea_parse_*, formatting nothing. The two run in alternating rounds so
// that both see the same machine load; the median round of each is reported.
//   bench_decode [SECONDS] [CORPUS_DIR]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "framing/Framing.h"
#include "intake/Intake.h"
#include "minmea.h"

namespace {

constexpr int Rounds = 9;
constexpr double DefaultSeconds = 6.0;
constexpr double NanosecondsPerSecond = 1e9;

std::string ReadCorpus(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".log") files.push_back(entry.path());
    std::sort(files.begin(), files.end());  // the same byte order on every run
    std::string corpus;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        corpus.append(std::istreambuf_iterator<char>(in), {});
    }
    return corpus;
}

// The framed sentences of the corpus, each NUL-terminated, for minmea.
struct FramedSentences {
    std::string Text;
    std::vector<size_t> Starts;
};

FramedSentences FrameAll(const std::string& bytes) {
    FramedSentences framed;
    MemoryByteSource source(bytes.data(), bytes.size());
    char buffer[SentenceBufferSize];
    while (!source.AtEnd()) {
        const uint16_t n = FrameSentence(source, buffer, [] { return false; });
        if (n == 0) continue;
        framed.Starts.push_back(framed.Text.size());
        framed.Text.append(SentenceText(buffer, n));
        framed.Text.push_back('\0');
    }
    return framed;
}

// Written for every sentence so that none of minmea's work can be left out.
volatile int Sink = 0;

// The full path over the raw bytes, through the monitor's intake; returns
// the sentences framed.
uint64_t DecodePass(const std::string& bytes, Intake& intake) {
    uint64_t sentences = 0;
    IntakeSinks none;
    MemoryByteSource source(bytes.data(), bytes.size());
    while (!source.AtEnd())
        if (!intake.Next(source, none).Sentence.empty()) ++sentences;
    // The texts are formatted when a view reads them: once per pass here, as
    // a view refreshing ten times a second would at this speed.
    Sink = static_cast<int>(intake.Store().Display().LatText.size());
    return sentences;
}

// One sentence through minmea; returns a value taken from what it decoded.
int MinmeaParse(const char* s) {
    switch (minmea_sentence_id(s, false)) {
        case MINMEA_SENTENCE_GGA: {
            minmea_sentence_gga f;
            return minmea_parse_gga(&f, s) ? f.fix_quality : 0;
        }
        case MINMEA_SENTENCE_GLL: {
            minmea_sentence_gll f;
            return minmea_parse_gll(&f, s) ? f.status : 0;
        }
        case MINMEA_SENTENCE_GSA: {
            minmea_sentence_gsa f;
            return minmea_parse_gsa(&f, s) ? f.fix_type : 0;
        }
        case MINMEA_SENTENCE_GSV: {
            minmea_sentence_gsv f;
            return minmea_parse_gsv(&f, s) ? f.total_sats : 0;
        }
        case MINMEA_SENTENCE_RMC: {
            minmea_sentence_rmc f;
            return minmea_parse_rmc(&f, s) ? f.valid : 0;
        }
        case MINMEA_SENTENCE_VTG: {
            minmea_sentence_vtg f;
            return minmea_parse_vtg(&f, s) ? f.faa_mode : 0;
        }
        case MINMEA_SENTENCE_ZDA: {
            minmea_sentence_zda f;
            return minmea_parse_zda(&f, s) ? f.date.day : 0;
        }
        case MINMEA_SENTENCE_GBS: {
            minmea_sentence_gbs f;
            return minmea_parse_gbs(&f, s) ? f.time.hours : 0;
        }
        case MINMEA_SENTENCE_GST: {
            minmea_sentence_gst f;
            return minmea_parse_gst(&f, s) ? f.time.hours : 0;
        }
        default:
            return 0;
    }
}

uint64_t MinmeaPass(const FramedSentences& framed) {
    for (size_t start : framed.Starts) Sink = MinmeaParse(framed.Text.data() + start);
    return framed.Starts.size();
}

// Runs pass() for about 'seconds' and returns nanoseconds per sentence.
template <class Pass>
double TimeRound(double seconds, Pass&& pass) {
    uint64_t sentences = 0;
    double elapsed = 0;
    const auto start = std::chrono::steady_clock::now();
    do {
        sentences += pass();
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < seconds);
    return elapsed * NanosecondsPerSecond / static_cast<double>(sentences);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void PrintSide(const char* name, double nsPerSentence) {
    std::printf("%-9s %12.0f sentences/s  %8.1f ns/sentence\n", name,
                NanosecondsPerSecond / nsPerSentence, nsPerSentence);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : DefaultSeconds;
    const std::filesystem::path dir = argc > 2 ? argv[2] : LUMAROKUB_CORPUS_DIR;
    const std::string corpus = ReadCorpus(dir);
    if (corpus.empty()) {
        std::fprintf(stderr, "bench_decode: no .log files in %s\n", dir.c_str());
        return 2;
    }
    const FramedSentences framed = FrameAll(corpus);
    NMEA_Manager store;
    Intake intake(store);
    DecodePass(corpus, intake);  // warm-up: texts reach their capacity
    MinmeaPass(framed);

    const double roundSeconds = seconds / (2 * Rounds);
    std::vector<double> ours, minmea;
    ours.reserve(Rounds);  // no allocation of the bench's own inside the counted rounds
    minmea.reserve(Rounds);
    uint64_t allocations = 0, decoded = 0;
    for (int round = 0; round < Rounds; ++round) {
        const uint64_t before = AllocationCount();
        uint64_t sentences = 0;
        ours.push_back(TimeRound(roundSeconds, [&] {
            const uint64_t n = DecodePass(corpus, intake);
            sentences += n;
            return n;
        }));
        allocations += AllocationCount() - before;
        decoded += sentences;
        minmea.push_back(TimeRound(roundSeconds, [&] { return MinmeaPass(framed); }));
    }
    const double oursNs = Median(ours);
    const double minmeaNs = Median(minmea);

    std::printf("corpus: %s, %zu bytes, %zu sentences per pass\n", dir.c_str(), corpus.size(),
                framed.Starts.size());
    std::printf("median of %d alternating rounds, one core\n", Rounds);
    PrintSide("full path", oursNs);
    PrintSide("minmea", minmeaNs);
    std::printf("full path / minmea speed: %.2fx\n", minmeaNs / oursNs);
    const double bytesPerSentence =
        static_cast<double>(corpus.size()) / static_cast<double>(framed.Starts.size());
    std::printf("full path: %.1f MB/s\n", bytesPerSentence / oursNs * NanosecondsPerSecond / 1e6);
    std::printf("heap allocations per sentence: %.6f (%llu in %llu sentences)\n",
                double(allocations) / double(decoded), static_cast<unsigned long long>(allocations),
                static_cast<unsigned long long>(decoded));
    return 0;
}
