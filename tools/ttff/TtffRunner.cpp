#include "tools/ttff/TtffRunner.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>

#include "eval/EpochRecorder.h"
#include "link/CommandText.h"
#include "link/RestartCommands.h"
#include "link/ThreadNMEAFetch.h"
#include "nmea/NmeaManager.h"
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
    if (r.RtkFloat >= 0) out << ", RTK float " << Tenths(r.RtkFloat);
    if (r.RtkFixed >= 0) out << ", RTK fixed " << Tenths(r.RtkFixed);
    if (r.ReceiverTtff >= 0) out << ", receiver " << Tenths(r.ReceiverTtff);
    if (r.TimedOut || r.RestartIgnored) out << (r.Fix2D >= 0 ? ", " : "") << RunResultText(r);
    out << '\n';
}

// A measure's summary; "--" for the figures while no run reached it.
void ReportSummary(const char* name, const TtffStatistics& s, std::ostream& out) {
    const auto figure = [&](double value) { return s.Count > 0 ? Tenths(value) : "--"; };
    out << name << ": " << RunCountText(static_cast<size_t>(s.Count)) << ", min " << figure(s.Min)
        << ", median " << figure(s.Median) << ", mean " << figure(s.Mean) << ", 90% "
        << figure(s.P90) << ", max " << figure(s.Max) << '\n';
}

std::string WriteFailure(const std::string& file) {
    return "lumarokub-ttff: cannot write " + file + ": " +
           (errno != 0 ? std::strerror(errno) : "the write failed") + "\n";
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
    // Whatever cannot work is refused before the first restart goes out.
    if (!TextCanSend(options.Port)) {
        err << "lumarokub-ttff: " << options.Port
            << ": the link is receive-only: restarts cannot be sent over it\n";
        return TtffExitCannotUse;
    }
    std::ofstream csv;
    if (!options.CsvFile.empty()) {
        errno = 0;
        csv.open(options.CsvFile, std::ios::trunc);
        if (!csv) {
            err << WriteFailure(options.CsvFile);
            return TtffExitCannotUse;
        }
    }
    const Source source = Source::FromEntry(options.Port);
    YComPort port;
    if (source.IsNone() || !port.OpenPort(source, static_cast<uint32_t>(options.Baud))) {
        err << "lumarokub-ttff: "
            << (source.IsNone() ? options.Port + ": not a port" : port.LastError()) << '\n';
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
    TtffCampaign campaign(options.Campaign, [&](RestartKind kind) {
        if (port.DeviceGone()) return false;
        bool sent = false;
        for (const std::string& line : CampaignRestartLines(kind))
            sent = port.SendCommandText(line) > 0 || sent;
        return sent;
    });
    size_t reported = 0;
    while (!campaign.Finished()) {
        if (stop) campaign.Cancel();
        // The reader finds a vanished device or a dropped link at its next
        // read; the campaign ends then, not at the run's time-out.
        if (port.DeviceGone())
            campaign.Abandon(options.Port +
                             (port.IsLink() ? ": the link ended" : ": the device is gone"));
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
    out << RestartKindName(options.Campaign.Kind)
        << " starts: " << RunCountText(campaign.Runs().size()) << ", " << campaign.Failures()
        << " timed out";
    if (campaign.Ignored() > 0) out << ", " << campaign.Ignored() << " restarts ignored";
    out << '\n';
    ReportSummary("2D", campaign.Summary2D(), out);
    ReportSummary("3D", campaign.Summary3D(), out);
    if (campaign.SummaryReceiver().Count > 0)
        ReportSummary("receiver", campaign.SummaryReceiver(), out);
    if (csv.is_open()) {
        errno = 0;
        ExportCampaignCsv(campaign, csv);
        csv.close();  // the buffered rows are written now, or fail
        if (!csv) {
            err << WriteFailure(options.CsvFile);
            return TtffExitCannotUse;
        }
    }
    if (!campaign.Problem().empty() && !campaign.Cancelled()) return TtffExitCannotUse;
    return campaign.Failures() + campaign.Ignored() > 0 ? TtffExitFailedRuns : 0;
}
