// An NTRIP caster's source table: its STR records (one stream each), with
// the CAS (casters) and NET (networks) records kept as the caster sent them,
// and each stream's distance from a given position.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct NtripStream {
    std::string Mount;
    std::string Identifier;
    std::string Format;         // "RTCM 3.2"
    std::string FormatDetails;  // "1004(1),1005(10),..."
    int Carrier = 0;            // 0 none, 1 L1, 2 L1 and L2
    std::string NavSystems;     // "GPS+GLO+GAL"
    std::string Network;
    std::string Country;
    double Latitude = 0;
    double Longitude = 0;
    bool NeedsGga = false;  // NMEA flag 1: the caster wants the user's GGA (network, VRS)
    int Solution = 0;       // 0 single base, 1 network
    std::string Generator;
    std::string Compression;
    std::string Authentication;  // N none, B Basic, D Digest
    bool Fee = false;
    int Bitrate = 0;
    double DistanceKm = -1;  // from the position given to SortByDistance (-1: none given)
};

struct SourceTable {
    std::vector<NtripStream> Streams;
    std::vector<std::string> Casters;   // CAS lines
    std::vector<std::string> Networks;  // NET lines
    uint64_t BadLines = 0;              // STR lines too short to read

    const NtripStream* Find(const std::string& mount) const;
};

// One "STR;..." line (without its line end): false when it is not one.
bool ParseStreamRecord(std::string_view line, NtripStream& stream);
// The body of a source-table answer, up to ENDSOURCETABLE.
SourceTable ParseSourceTable(std::string_view body);
// Great-circle distance on a sphere of the earth's mean radius.
double DistanceKm(double lat1, double lon1, double lat2, double lon2);
// Sets every stream's distance from (lat, lon) and sorts the streams nearest first.
void SortByDistance(SourceTable& table, double lat, double lon);
