#include "shell/CaptureReplay.h"

#include <fstream>
#include <iterator>
#include <mutex>

#include "framing/Framing.h"
#include "nmea/Dispatch.h"

ReplayResult ReplayCapture(const std::string& path, NMEA_Manager& store) {
    ReplayResult result;
    std::ifstream file(path, std::ios::binary);
    if (!file) return result;
    result.Opened = true;
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    MemoryByteSource source(bytes.data(), bytes.size());
    char buffer[SentenceBufferSize];
    const auto never = [] { return false; };
    while (!source.AtEnd()) {
        const uint16_t length = FrameSentence(source, buffer, never);
        if (length == 0) continue;
        const std::string_view sentence = SentenceText(buffer, length);
        {
            std::lock_guard<std::mutex> hold(store.Lock());
            DispatchSentence(sentence, store, nullptr);
        }
        result.Sentences.emplace_back(sentence);
    }
    return result;
}
