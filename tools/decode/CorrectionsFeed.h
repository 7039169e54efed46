// lumarokub-decode --corrections ntrip://...: an NTRIP client beside the
// port's reader, writing the corrections to the port byte for byte, giving
// it the receiver's GGA sentences, and telling its state for --final.
// Its messages go to standard error; they never hold the password.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "ntrip/NtripClient.h"

class YComPort;

// Checks the --corrections URL and that the port can take what it sends:
// a receive-only link (udp, gpsd, file) is refused with the reason.
bool CheckCorrectionsOption(const std::string& url, const std::string& port, std::string& error);

class CorrectionsFeed {
  public:
    // Starts the client; the URL was checked. The mountpoint's entry in the
    // caster's source table says whether it wants the receiver's GGA.
    // `fallback`: the position a GGA is built from while the receiver sends none.
    CorrectionsFeed(const std::string& url, YComPort& port,
                    const std::optional<GgaPosition>& fallback = std::nullopt);
    ~CorrectionsFeed();
    CorrectionsFeed(const CorrectionsFeed&) = delete;
    CorrectionsFeed& operator=(const CorrectionsFeed&) = delete;

    // Each sentence the reader read (the reader's thread).
    void Sentence(std::string_view sentence);
    // Ends the client.
    void Stop();
    nlohmann::json StateJson() const;

  private:
    std::string FShown;
    std::unique_ptr<NtripClient> FClient;
};
