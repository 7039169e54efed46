// CFG-VALGET answers in the store: the decoder of the message table and its
// console line. The values of the latest answer are kept by id (keys the key
// table lacks too) for the window that asked for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct UbxState;

void DecodeUbxValGet(const uint8_t* payload, size_t length, UbxState& ubx);
void UbxValGetSummary(const UbxState& ubx, std::string& line);
