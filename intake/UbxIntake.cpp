#include "intake/UbxIntake.h"

#include "intake/UbxModel.h"

namespace {

constexpr uint8_t Nav = 0x01;
constexpr uint8_t NavPvt = 0x07;

// The decoded messages that write the receiver model beside their record;
// every other decoded message refreshes the views.
struct UbxFeed {
    uint8_t Class;
    uint8_t Id;
    bool (*Feed)(NMEA_Manager& store);  // true to refresh
};

const UbxFeed Feeds[] = {
    {Nav, 0x07, WritePvtToModel},         // NAV-PVT
    {Nav, 0x35, WriteSatellitesToModel},  // NAV-SAT
    {Nav, 0x30, WriteSatellitesToModel},  // NAV-SVINFO
};

bool FeedViews(const UbxDecodeResult& decoded, NMEA_Manager& store) {
    for (const UbxFeed& feed : Feeds)
        if (feed.Class == decoded.Class && feed.Id == decoded.Id) return feed.Feed(store);
    return true;
}

}  // namespace

UbxDispatchResult DispatchUbx(const uint8_t* frame, size_t size, NMEA_Manager& store) {
    UbxDispatchResult result;
    static_cast<UbxDecodeResult&>(result) = DecodeUbxFrame(frame, size, store.Ubx);
    if (result.Valid) ++store.SoundUbxFrames;
    if (result.Decoded) result.Refresh = FeedViews(result, store);
    // NAV-PVT's own word on the solution (carrSoln, diffSoln) stands beside GGA's.
    if (result.Decoded && result.Class == Nav && result.Id == NavPvt)
        store.Rtk.FromPvt(store.Ubx.Pvt);
    return result;
}

void UbxConsoleLine(const UbxDispatchResult& result, const NMEA_Manager& store, std::string& line) {
    UbxConsoleLine(static_cast<const UbxDecodeResult&>(result), store.Ubx, line);
}
