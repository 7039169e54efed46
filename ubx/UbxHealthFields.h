// The fields by name and the console summaries of the health messages:
// MON-RF, MON-HW, MON-HW2, MON-SPAN and SEC-SIG.
#pragma once

#include <string>

#include "ubx/UbxFields.h"

void UbxMonRfFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxMonHwFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxMonHw2Fields(const UbxState& ubx, UbxFieldSink& sink);
void UbxMonSpanFields(const UbxState& ubx, UbxFieldSink& sink);
void UbxSecSigFields(const UbxState& ubx, UbxFieldSink& sink);

void UbxMonRfSummary(const UbxState& ubx, std::string& line);
void UbxMonHwSummary(const UbxState& ubx, std::string& line);
void UbxMonHw2Summary(const UbxState& ubx, std::string& line);
void UbxMonSpanSummary(const UbxState& ubx, std::string& line);
void UbxSecSigSummary(const UbxState& ubx, std::string& line);

// The frequency in Hz at the middle of a spectrum's bin.
double UbxSpanBinFrequency(const UbxSpanBlock& block, int bin);
