#include "ntrip/SourceTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double EarthRadiusKm = 6371.0088;
constexpr double Pi = 3.14159265358979323846;
// STR;mount;identifier;format;details;carrier;nav;network;country;lat;lon;
// nmea;solution;generator;compression;authentication;fee;bitrate[;misc]
constexpr size_t StreamFields = 18;

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t semi = line.find(';', start);
        fields.push_back(line.substr(start, semi - start));
        if (semi == std::string_view::npos) return fields;
        start = semi + 1;
    }
}

int Integer(std::string_view text) {
    return std::atoi(std::string(text).c_str());
}

double Number(std::string_view text) {
    const double value = std::strtod(std::string(text).c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

double Radians(double degrees) {
    return degrees * Pi / 180.0;
}

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return line;
}

}  // namespace

const NtripStream* SourceTable::Find(const std::string& mount) const {
    for (const NtripStream& stream : Streams)
        if (stream.Mount == mount) return &stream;
    return nullptr;
}

bool ParseStreamRecord(std::string_view line, NtripStream& stream) {
    const std::vector<std::string_view> f = SplitFields(WithoutLineEnd(line));
    if (f.size() < StreamFields || f[0] != "STR" || f[1].empty()) return false;
    stream = NtripStream{};
    stream.Mount = f[1];
    stream.Identifier = f[2];
    stream.Format = f[3];
    stream.FormatDetails = f[4];
    stream.Carrier = Integer(f[5]);
    stream.NavSystems = f[6];
    stream.Network = f[7];
    stream.Country = f[8];
    stream.Latitude = Number(f[9]);
    stream.Longitude = Number(f[10]);
    stream.NeedsGga = Integer(f[11]) == 1;
    stream.Solution = Integer(f[12]);
    stream.Generator = f[13];
    stream.Compression = f[14];
    stream.Authentication = f[15];
    stream.Fee = f[16] == "Y";
    stream.Bitrate = Integer(f[17]);
    return true;
}

SourceTable ParseSourceTable(std::string_view body) {
    SourceTable table;
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string_view::npos) end = body.size();
        const std::string_view line = WithoutLineEnd(body.substr(start, end - start));
        start = end + 1;
        if (line == "ENDSOURCETABLE") break;
        if (line.compare(0, 4, "STR;") == 0) {
            NtripStream stream;
            if (ParseStreamRecord(line, stream))
                table.Streams.push_back(std::move(stream));
            else
                ++table.BadLines;
        } else if (line.compare(0, 4, "CAS;") == 0) {
            table.Casters.emplace_back(line);
        } else if (line.compare(0, 4, "NET;") == 0) {
            table.Networks.emplace_back(line);
        }
    }
    return table;
}

double DistanceKm(double lat1, double lon1, double lat2, double lon2) {
    const double dLat = Radians(lat2 - lat1);
    const double dLon = Radians(lon2 - lon1);
    const double a =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(Radians(lat1)) * std::cos(Radians(lat2)) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * EarthRadiusKm * std::asin(std::sqrt(std::min(1.0, a)));
}

void SortByDistance(SourceTable& table, double lat, double lon) {
    for (NtripStream& stream : table.Streams)
        stream.DistanceKm = DistanceKm(lat, lon, stream.Latitude, stream.Longitude);
    std::stable_sort(
        table.Streams.begin(), table.Streams.end(),
        [](const NtripStream& a, const NtripStream& b) { return a.DistanceKm < b.DistanceKm; });
}
