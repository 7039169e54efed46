#include "tools/ttff/TtffRunner.h"

#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include "eval/EpochRecorder.h"
#include "link/CommandText.h"
#include "link/RestartCommands.h"
#include "link/ThreadNMEAFetch.h"
#include "nmea/NmeaManager.h"
#include "serial/LinkNumbers.h"
#include "serial/LinkUrl.h"
#include "serial/YComPort.h"

namespace {

constexpr std::chrono::milliseconds TickInterval{20};
constexpr size_t RecentCycles = 16;

double Now() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Tenths(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

void ReportRun(const CampaignRun& r, std::ostream& out) {
    out << "run " << r.Number << ": ";
    if (r.Fix2D >= 0) out << "2D " << Tenths(r.Fix2D);
    if (r.Fix3D >= 0) out << ", 3D " << Tenths(r.Fix3D);
    if (r.ReceiverTtff >= 0) out << ", receiver " << Tenths(r.ReceiverTtff);
    if (r.TimedOut) out << (r.Fix2D >= 0 ? ", " : "") << "timed out";
    out << '\n';
}

void ReportSummary(const char* name, const TtffStatistics& s, std::ostream& out) {
    if (s.Count == 0) return;
    out << name << ": " << s.Count << " runs, min " << Tenths(s.Min) << ", median "
        << Tenths(s.Median) << ", mean " << Tenths(s.Mean) << ", 90% " << Tenths(s.P90) << ", max "
        << Tenths(s.Max) << '\n';
}

}  // namespace

std::vector<std::string> CampaignRestartLines(RestartKind kind) {
    std::vector<std::string> lines = RestartCommandLines(kind, ReceiverProtocol::Unknown);
    // CFG-RST knows no factory reset: its coldest start stands in for it.
    if (!UbxRestartFrame(kind)) lines.emplace_back(UbxRestartFrame(RestartKind::Cold));
    for (std::string& line : lines) line = CompleteCommandText(line).Text;
    return lines;
}

int RunTtffCampaign(const TtffOptions& options, std::ostream& out, std::ostream& err,
                    const std::atomic<bool>& stop) {
    const int32_t number = NumberOfPathOrUrl(options.Port);
    YComPort port;
    if (number < 0 ||
        !port.OpenPort(static_cast<uint32_t>(number), static_cast<uint32_t>(options.Baud))) {
        err << "lumarokub-ttff: " << (number < 0 ? options.Port + ": not a port" : port.LastError())
            << '\n';
        return TtffExitCannotUse;
    }
    NMEA_Manager store;
    // The last cycles only, on the campaign's clock.
    EpochRecorder recent(RecentCycles, [] { return static_cast<uint32_t>(Now() * 1000); });
    store.Epochs = &recent;
    TNmeaFetch reader(false, nullptr);
    reader.SetPort(&port);
    reader.SetStore(&store);
    reader.Start();

    // The receiver's protocol is not known here: the restart goes out both as
    // the SiRF sentence and as the u-blox frame; each kind ignores the other.
    const bool sendsCommands = TextCanSend(options.Port);
    TtffCampaign campaign(options.Campaign, [&](RestartKind kind) {
        if (!sendsCommands || port.DeviceGone()) return false;
        bool sent = false;
        for (const std::string& line : CampaignRestartLines(kind))
            sent = port.SendCommandText(line) > 0 || sent;
        return sent;
    });
    size_t reported = 0;
    while (!campaign.Finished()) {
        if (stop) campaign.Cancel();
        FixState state;
        {
            std::lock_guard<std::mutex> lock(store.Lock());
            state = FixStateOf(recent);
        }
        campaign.Tick(state, Now());
        const auto& runs = campaign.Runs();
        while (reported < runs.size() && runs[reported].Done()) ReportRun(runs[reported++], out);
        if (!campaign.Finished()) std::this_thread::sleep_for(TickInterval);
    }
    reader.Terminate();
    reader.WaitFor();
    port.ClosePort();

    if (!campaign.Problem().empty()) err << "lumarokub-ttff: " << campaign.Problem() << '\n';
    out << RestartKindName(options.Campaign.Kind) << " starts: " << campaign.Runs().size()
        << " runs, " << campaign.Failures() << " timed out\n";
    ReportSummary("2D", campaign.Summary2D(), out);
    ReportSummary("3D", campaign.Summary3D(), out);
    ReportSummary("receiver", campaign.SummaryReceiver(), out);
    if (!options.CsvFile.empty()) {
        std::ofstream csv(options.CsvFile);
        ExportCampaignCsv(campaign, csv);
        if (!csv) {
            err << "lumarokub-ttff: cannot write " << options.CsvFile << '\n';
            return TtffExitCannotUse;
        }
    }
    if (!campaign.Problem().empty() && !campaign.Cancelled()) return TtffExitCannotUse;
    return campaign.Failures() > 0 ? TtffExitFailedRuns : 0;
}
