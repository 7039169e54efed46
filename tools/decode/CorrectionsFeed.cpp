#include "tools/decode/CorrectionsFeed.h"

#include <atomic>
#include <cmath>
#include <iostream>

#include "serial/LinkUrl.h"
#include "serial/YComPort.h"

namespace {

constexpr const char* Prefix = "lumarokub-decode: ";

bool IsGga(std::string_view sentence) {
    return sentence.size() > 6 && sentence[0] == '$' && sentence.substr(3, 4) == "GGA,";
}

// Whether the mountpoint wants GGA, from the caster's source table; false
// when the table cannot be had (the stream request then says why).
bool MountWantsGga(const NtripUrl& url, const NtripLimits& limits) {
    SourceTable table;
    std::string error;
    const std::atomic<bool> never{false};
    if (!FetchSourceTable(url, limits, never, table, error)) return false;
    const NtripStream* stream = table.Find(url.Mount);
    return stream && stream->NeedsGga;
}

double Rounded(double value) {
    return std::round(value * 1000.0) / 1000.0;
}

}  // namespace

bool CheckCorrectionsOption(const std::string& url, const std::string& port, std::string& error) {
    NtripUrl ntrip;
    if (!ParseNtripUrl(url, ntrip, error)) {
        error = "--corrections: " + error;
        return false;
    }
    if (ntrip.Mount.empty()) {
        error = "--corrections: " + ntrip.Shown() + " names no mountpoint";
        return false;
    }
    if (port.empty()) {
        error = "--corrections needs --port: the corrections go to the receiver";
        return false;
    }
    LinkUrl link;
    if (LooksLikeLinkUrl(port) && ParseLinkUrl(port, link, error) &&
        !InfoOfKind(link.Kind).CanSend) {
        error = "--corrections: " + port + " only receives, so corrections cannot reach the " +
                "receiver; use its serial port or a tcp:// link";
        return false;
    }
    return true;
}

CorrectionsFeed::CorrectionsFeed(const std::string& url, YComPort& port,
                                 const std::optional<GgaPosition>& fallback) {
    NtripClientConfig config;
    std::string error;
    ParseNtripUrl(url, config.Url, error);
    FShown = config.Url.Shown();
    config.SendGga = MountWantsGga(config.Url, config.Limits);
    FClient = std::make_unique<NtripClient>(
        config, [&port](const uint8_t* data, size_t size) { port.WriteBytes(data, size); },
        [](const std::string& line) { std::cerr << Prefix << line << '\n'; });
    if (fallback) FClient->SetPosition(*fallback);
    FClient->Start();
    FClient->Resume();
}

CorrectionsFeed::~CorrectionsFeed() = default;

void CorrectionsFeed::Sentence(std::string_view sentence) {
    if (IsGga(sentence)) FClient->SetReceiverGga(std::string(sentence));
}

void CorrectionsFeed::Stop() {
    FClient->Terminate();
    FClient->WaitFor();
}

nlohmann::json CorrectionsFeed::StateJson() const {
    const NtripStatus status = FClient->Status();
    nlohmann::json state = {
        {"caster", FShown},
        {"state", NtripPhaseText(status.Phase)},
        {"bytes", status.Bytes},
        {"rateBps", Rounded(status.RateBps)},
        {"connections", status.Connections},
        {"ggaSent", status.GgaSent},
    };
    state["ageS"] = status.AgeS < 0 ? nlohmann::json() : nlohmann::json(Rounded(status.AgeS));
    if (!status.LastError.empty()) state["lastError"] = status.LastError;
    return state;
}
