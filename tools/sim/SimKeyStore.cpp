#include "tools/sim/SimKeyStore.h"

#include <cstring>
#include <string>

using namespace ubxcfg;

namespace {

// Values other than 0 a new receiver has; every other key of the table is 0.
struct DefaultValue {
    const char* Name;
    uint64_t Value;
};
constexpr DefaultValue Defaults[] = {
    {"CFG-RATE-MEAS", 1000},
    {"CFG-RATE-NAV", 1},
    {"CFG-RATE-TIMEREF", 1},
    {"CFG-NAVSPG-FIXMODE", 3},
    {"CFG-NAVSPG-INFIL_MINSVS", 3},
    {"CFG-NAVSPG-INFIL_MAXSVS", 32},
    {"CFG-NAVSPG-INFIL_MINCNO", 6},
    {"CFG-NAVSPG-INFIL_MINELEV", 10},
    {"CFG-NAVSPG-OUTFIL_PDOP", 250},
    {"CFG-NAVSPG-OUTFIL_TDOP", 250},
    {"CFG-NAVSPG-OUTFIL_PACC", 100},
    {"CFG-NAVSPG-OUTFIL_TACC", 350},
    {"CFG-NAVSPG-CONSTR_ALTVAR", 10000},
    {"CFG-UART2-BAUDRATE", 38400},
    {"CFG-UART1-STOPBITS", 1},
    {"CFG-UART2-STOPBITS", 1},
    {"CFG-USB-VENDOR_ID", 0x1546},
    {"CFG-USB-PRODUCT_ID", 0x01a9},
    {"CFG-USB-POWER", 100},
    {"CFG-TP-PERIOD_TP1", 1000000},
    {"CFG-TP-PERIOD_LOCK_TP1", 1000000},
    {"CFG-TP-FREQ_TP1", 1},
    {"CFG-TP-FREQ_LOCK_TP1", 1},
    {"CFG-TP-LEN_LOCK_TP1", 100000},
    {"CFG-TP-ANT_CABLEDELAY", 50},
    {"CFG-ITFM-BBTHRESHOLD", 3},
    {"CFG-ITFM-CWTHRESHOLD", 15},
    {"CFG-SBAS-PRNSCANMASK", 0x3AA88},
    {"CFG-QZSS-SLAS_MAX_BASELINE", 500},
};

// Keys on (1) in every new receiver, by the end of their name.
const char* const OnSuffixes[] = {
    "_ENA",           "-ENABLED",       "INPROT-UBX",      "INPROT-NMEA",       "INPROT-RTCM3X",
    "OUTPROT-UBX",    "OUTPROT-NMEA",   "-SELFPOW",        "-USE_RANGING",      "-USE_DIFFCORR",
    "-USE_INTEGRITY", "-SYNC_GNSS_TP1", "-USE_LOCKED_TP1", "-ALIGN_TO_TOW_TP1", "-POL_TP1"};
// The sentences a new receiver sends on every port.
const char* const NmeaOn[] = {"GGA", "GLL", "GSA", "GSV", "RMC", "VTG"};

// A key of a group the table covers that the table does not name, as a
// receiver's newer firmware has: shown by its id.
constexpr uint32_t FirmwareOnlyKey = 0x10110025;

bool EndsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

bool IsMsgOutNmeaOn(const std::string& name, bool zda) {
    for (const char* s : NmeaOn)
        if (name.find(std::string("NMEA_ID_") + s + "_") != std::string::npos) return true;
    return zda && name.find("NMEA_ID_ZDA_") != std::string::npos;
}

}  // namespace

SimKeyStore::SimKeyStore(unsigned long uart1Baud, bool zda) {
    for (const KeyInfo& k : KeyTable()) {
        uint64_t value = 0;
        for (const char* s : OnSuffixes)
            if (EndsWith(k.Name, s)) value = 1;
        if (IsMsgOutNmeaOn(k.Name, zda)) value = 1;
        FDefault[k.Id] = value;
    }
    for (const DefaultValue& d : Defaults) FDefault[KeyIdOf(d.Name)] = d.Value;
    FDefault[KeyUart1Baud] = uart1Baud;
    FDefault[FirmwareOnlyKey] = 1;
    FRam = FDefault;
}

const SimKeyStore::Layer* SimKeyStore::LayerOf(KeyLayer layer) const {
    switch (layer) {
        case KeyLayer::Ram:
            return &FRam;
        case KeyLayer::Bbr:
            return &FBbr;
        case KeyLayer::Flash:
            return &FFlash;
        case KeyLayer::Default:
            return &FDefault;
    }
    return nullptr;
}

bool SimKeyStore::Get(const ValGetPoll& poll, std::vector<KeyValue>& out) const {
    const Layer* layer = LayerOf(poll.Layer);
    if (!layer || poll.Keys.empty() || poll.Keys.size() > MaxKeysPerMessage) return false;
    std::vector<KeyValue> all;
    for (uint32_t key : poll.Keys) {
        if (IsGroupWildcard(key)) {
            for (const auto& [id, value] : *layer)
                if (KeyInWildcard(id, key)) all.push_back({id, value});
        } else if (const auto it = layer->find(key); it != layer->end()) {
            all.push_back({key, it->second});
        }
    }
    out.clear();
    for (size_t i = poll.Position; i < all.size() && out.size() < MaxKeysPerMessage; ++i)
        out.push_back(all[i]);
    return !out.empty();
}

bool SimKeyStore::Set(const ValChange& change, std::vector<KeyValue>& ramChanged) {
    const uint8_t layers = change.Layers & (LayerBitRam | LayerBitBbr | LayerBitFlash);
    bool sound = layers != 0 && layers == change.Layers;
    for (const KeyValue& v : change.Values) sound = sound && Known(v.Id) && (!FCheck || FCheck(v));
    switch (change.Step) {
        case Transaction::None:
            return sound && Apply(layers, change.Values, ramChanged);
        case Transaction::Begin:
            FInTransaction = sound;
            FPendingLayers = layers;
            FPending = change.Values;
            return sound;
        case Transaction::Continue:
        case Transaction::End: {
            // A message out of order or refused ends the transaction: nothing applies.
            sound = sound && FInTransaction && layers == FPendingLayers;
            FPending.insert(FPending.end(), change.Values.begin(), change.Values.end());
            FInTransaction = sound && change.Step == Transaction::Continue;
            if (!sound || change.Step == Transaction::Continue) return sound;
            std::vector<KeyValue> pending;
            pending.swap(FPending);
            return Apply(layers, pending, ramChanged);
        }
    }
    return false;
}

bool SimKeyStore::Apply(uint8_t layers, const std::vector<KeyValue>& values,
                        std::vector<KeyValue>& ramChanged) {
    for (const KeyValue& v : values) {
        if (layers & LayerBitRam) {
            if (FRam[v.Id] != v.Raw) ramChanged.push_back(v);
            FRam[v.Id] = v.Raw;
        }
        if (layers & LayerBitBbr) FBbr[v.Id] = v.Raw;
        if (layers & LayerBitFlash) FFlash[v.Id] = v.Raw;
    }
    return true;
}

bool SimKeyStore::Delete(const ValChange& change) {
    const uint8_t layers = change.Layers;
    if (layers == 0 || (layers & ~(LayerBitBbr | LayerBitFlash)) != 0) return false;
    for (uint32_t key : change.Keys) {
        for (Layer* layer : {&FBbr, &FFlash}) {
            if (!(layers & (layer == &FBbr ? LayerBitBbr : LayerBitFlash))) continue;
            if (!IsGroupWildcard(key)) {
                layer->erase(key);
                continue;
            }
            for (auto it = layer->begin(); it != layer->end();)
                it = KeyInWildcard(it->first, key) ? layer->erase(it) : std::next(it);
        }
    }
    return true;
}

uint64_t SimKeyStore::Ram(uint32_t id) const {
    const auto it = FRam.find(id);
    return it == FRam.end() ? 0 : it->second;
}
