// The fields of each decoded UBX record by name, told to a sink (the JSON
// of lumarokub-decode), and the one-line summary of each for the console.
#pragma once

#include <cstdint>
#include <string>

#include "ubx/UbxRecords.h"

class UbxFieldSink {
  public:
    virtual ~UbxFieldSink() = default;
    virtual void Integer(const char* name, int64_t value) = 0;
    virtual void Real(const char* name, double value) = 0;
    virtual void Text(const char* name, const char* value) = 0;
    // A list of items, each a set of fields: BeginList, then per item
    // BeginItem, its fields and EndItem, then EndList.
    virtual void BeginList(const char* name) = 0;
    virtual void BeginItem() = 0;
    virtual void EndItem() = 0;
    virtual void EndList() = 0;
};

void UbxAckFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxNakFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxVersionFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxPvtFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxRelPosNedFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxSatFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxSigFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxStatusFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxDopFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxSolFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxPosLlhFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxTimeUtcFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxCfgMsgFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxCfgRateFields(const UbxState& ubx, UbxFieldSink& sink);

void UbxAnswerSummary(const UbxState& ubx, std::string& line);
void UbxVersionSummary(const UbxState& ubx, std::string& line);
void UbxPvtSummary(const UbxState& ubx, std::string& line);
void UbxRelPosNedSummary(const UbxState& ubx, std::string& line);
void UbxSatSummary(const UbxState& ubx, std::string& line);
void UbxSigSummary(const UbxState& ubx, std::string& line);
void UbxStatusSummary(const UbxState& ubx, std::string& line);
void UbxDopSummary(const UbxState& ubx, std::string& line);
void UbxSolSummary(const UbxState& ubx, std::string& line);
void UbxPosLlhSummary(const UbxState& ubx, std::string& line);
void UbxTimeUtcSummary(const UbxState& ubx, std::string& line);
void UbxCfgMsgSummary(const UbxState& ubx, std::string& line);
void UbxCfgRateSummary(const UbxState& ubx, std::string& line);

// The receiver as the user knows it, from MON-VER: its model (the "MOD="
// extension, else the hardware version) and firmware (the "FWVER="
// extension, else the software version), e.g. "ZED-F9P HPG 1.13".
std::string UbxReceiverIdentity(const UbxVersionRecord& version);

// "none", "float", "fixed" of a carrier-phase solution (carrSoln 0, 1, 2).
const char* UbxCarrierSolutionText(unsigned carrSoln);

// "3D", "2D", "no fix", ... of a UBX fix type.
const char* UbxFixTypeText(uint8_t fixType);
