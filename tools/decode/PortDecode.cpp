#include "tools/decode/PortDecode.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <thread>

#include "link/ThreadNMEAFetch.h"
#include "serial/LinkUrl.h"
#include "serial/PortDevice.h"
#include "serial/YComPort.h"
#include "tools/decode/CorrectionsFeed.h"
#include "tools/decode/JsonOutput.h"
#include "tools/decode/RtcmJson.h"
#include "tools/decode/StoreJson.h"
#include "tools/decode/StreamDecoder.h"
#include "tools/decode/UbxJson.h"

namespace {

constexpr int ExitCannotOpen = 2;
constexpr std::chrono::milliseconds WatchInterval{50};

volatile std::sig_atomic_t EndRequested = 0;

extern "C" void RequestEnd(int) {
    EndRequested = 1;
}

bool ParseNumber(const char* text, uint64_t& value) {
    if (!*text || *text == '-') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == 0;
}

// The source --port names: a link URL, a "COMn" (also as \\.\COMn) on
// Windows, a device path elsewhere.
Source SourceOf(const std::string& port) {
    if (LooksLikeLinkUrl(port)) return Source::Link(port);
#ifdef _WIN32
    const size_t com = port.rfind("COM");
    return com == std::string::npos
               ? Source()
               : Source::Device("COM" + std::to_string(std::atoi(port.c_str() + com + 3)));
#else
    return Source::Device(port);
#endif
}

}  // namespace

bool IsPortOption(const char* arg) {
    return std::strcmp(arg, "--port") == 0 || std::strcmp(arg, "--baud") == 0 ||
           std::strcmp(arg, "--count") == 0 || std::strcmp(arg, "--corrections") == 0 ||
           std::strcmp(arg, "--gga-position") == 0;
}

bool ParsePortOption(const char* option, const char* value, DecodeOptions& options,
                     std::string& error) {
    if (std::strcmp(option, "--port") == 0) {
        options.Port = value;
        return true;
    }
    if (std::strcmp(option, "--corrections") == 0) {
        options.Corrections = value;
        return true;
    }
    if (std::strcmp(option, "--gga-position") == 0) {
        GgaPosition position;
        if (!ParseGgaPosition(value, position, error)) {
            error = "--gga-position: " + error;
            return false;
        }
        options.GgaFallback = position;
        return true;
    }
    uint64_t number = 0;
    if (!ParseNumber(value, number)) {
        error = std::string(option) + ": not a number: " + value;
        return false;
    }
    if (std::strcmp(option, "--count") == 0) {
        options.Count = number;
        return true;
    }
    if (!PortDevice::IsSupportedBaudRate(static_cast<uint32_t>(number)) || number > INT32_MAX) {
        error = std::string("unsupported baud rate ") + value;
        return false;
    }
    options.Baud = static_cast<int32_t>(number);
    return true;
}

bool CheckPortOptions(const DecodeOptions& options, bool haveFile, std::string& error) {
    LinkUrl url;
    if (LooksLikeLinkUrl(options.Port) && !ParseLinkUrl(options.Port, url, error)) return false;
    if (!options.Corrections.empty() &&
        !CheckCorrectionsOption(options.Corrections, options.Port, error))
        return false;
    if (options.GgaFallback && options.Corrections.empty()) {
        error = "--gga-position needs --corrections";
        return false;
    }
    if (options.Port.empty()) {
        if (options.Count == 0 && options.Baud == DefaultPortBaud) return true;
        error = "--baud and --count need --port";
        return false;
    }
    if (haveFile) {
        error = "FILE and --port exclude each other";
        return false;
    }
    return true;
}

int DecodePort(const DecodeOptions& options) {
    // SIGINT and SIGTERM only raise a flag; the main thread, which watches it,
    // then ends the reader and closes the port.
    std::signal(SIGINT, RequestEnd);
    std::signal(SIGTERM, RequestEnd);

    YComPort port;
    if (!port.OpenPort(SourceOf(options.Port), static_cast<uint32_t>(options.Baud))) {
        std::cerr << "lumarokub-decode: " << port.LastError() << '\n';
        return ExitCannotOpen;
    }
    std::unique_ptr<CorrectionsFeed> corrections;
    if (!options.Corrections.empty())
        corrections =
            std::make_unique<CorrectionsFeed>(options.Corrections, port, options.GgaFallback);
    NMEA_Manager store;
    EpochRecorder recording;  // the interference watch's cycles, on the host clock
    store.Epochs = &recording;
    DecodeCounts counts;  // written by the reader, read once it has ended
    std::atomic<bool> enough{false};
    TNmeaFetch reader(false, nullptr);
    // Lines go out whenever the port has nothing more to read at the moment:
    // a receiver's burst reaches a pipe at once, a fast stream in large writes.
    // Only the reader thread writes standard output until it has ended.
    const auto stopOnFailure = [&](bool written) {
        if (written) return;
        enough = true;
        reader.Terminate();
    };
    port.SetIdleHook([&] { stopOnFailure(static_cast<bool>(std::cout.flush())); });
    reader.SetPort(&port);
    reader.SetStore(&store);
    reader.SetSentenceHook([&](std::string_view sentence, const DispatchResult& result) {
        if (enough) return;
        if (corrections) corrections->Sentence(sentence);
        counts.Add(result);
        if (!options.Final) stopOnFailure(WriteJsonLine(std::cout, SentenceJson(sentence, result)));
        if (options.Count != 0 && counts.Sentences >= options.Count) {
            enough = true;
            reader.Terminate();
        }
    });
    reader.SetUbxHook([&](const UbxDispatchResult& result) {
        if (!enough && !options.Final)
            stopOnFailure(WriteJsonLine(std::cout, UbxFrameJson(result, store)));
    });
    reader.SetRtcmHook([&](const RtcmFrameResult& result) {
        if (!enough && !options.Final)
            stopOnFailure(
                WriteJsonLine(std::cout, RtcmFrameJson(port.Framer().Rtcm, result, store)));
    });
    reader.Start();

    while (!enough && !port.DeviceGone() && !EndRequested)
        std::this_thread::sleep_for(WatchInterval);
    reader.Terminate();
    reader.WaitFor();
    nlohmann::json correctionsState;
    if (corrections) {
        correctionsState = corrections->StateJson();
        corrections->Stop();  // before the port closes: it writes to the port
    }
    const bool gone = port.DeviceGone() && !enough;
    const bool link = port.IsLink();
    const framing::FramerState framer = port.Framer();
    port.ClosePort();

    if (!std::cout) return ExitOutputFailed;
    if (options.Final) {
        nlohmann::json state =
            FinalStateJson(store, counts, framer, TNmeaFetch::ArrivalClockS(), &recording.Watch());
        if (corrections) state["corrections"] = correctionsState;
        WriteJsonLine(std::cout, std::move(state));
    }
    if (!gone) return 0;
    std::cerr << "lumarokub-decode: " << options.Port
              << (link ? ": link ended\n" : ": device gone\n");
    return ExitDeviceGone;
}
