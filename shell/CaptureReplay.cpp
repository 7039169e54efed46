#include "shell/CaptureReplay.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>

#include "framing/Framing.h"
#include "nmea/Dispatch.h"
#include "intake/UbxIntake.h"

ReplayResult ReplayCapture(const std::string& path, NMEA_Manager& store) {
    ReplayResult result;
    std::ifstream file(path, std::ios::binary);
    if (!file) return result;
    result.Opened = true;
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    MemoryByteSource source(bytes.data(), bytes.size());
    framing::FramerState framer;
    auto frame = std::make_unique<framing::UbxFrameBuffer>();
    char buffer[SentenceBufferSize];
    std::string line;
    const auto never = [] { return false; };
    while (!source.AtEnd()) {
        uint16_t length = 0;
        if (FrameRecord(source, buffer, length, framer, frame.get(), never) == RecordKind::Ubx) {
            // A UBX frame reaches the console as its one readable line.
            std::lock_guard<std::mutex> hold(store.Lock());
            UbxConsoleLine(DispatchUbx(frame->Bytes, frame->Size, store), store, line);
            result.Sentences.push_back(line);
            continue;
        }
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
