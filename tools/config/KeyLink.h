// lumarokub-config's conversation with the receiver: one key message out,
// then the frames read until the receiver acknowledges or refuses it (with
// the VALGET answer before the acknowledgement), or until the wait ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ubx/UbxKeyCodec.h"

class YComPort;

enum class KeyAnswer { Ack, Nak, Silent, Failed };

class KeyLink {
  public:
    KeyLink(YComPort& port, int answerMs) : FPort(port), FAnswerMs(answerMs) {}

    // Sends one CFG message (id VALGET, VALSET or VALDEL) and waits for its
    // ACK or NAK; a VALGET answer read meanwhile goes to `answer`.
    KeyAnswer Exchange(uint8_t id, const std::vector<uint8_t>& payload,
                       ubxcfg::ValGetAnswer* answer = nullptr);
    // Every value of `keys` in `layer`, page by page (64 values a message)
    // for wildcards. A NAK for the first page is taken as "none there".
    KeyAnswer GetAll(ubxcfg::KeyLayer layer, const std::vector<uint32_t>& keys,
                     std::vector<ubxcfg::KeyValue>& out);
    // Writes the values to the layers (a transaction over 64 keys); stops at
    // the first refusal.
    KeyAnswer Set(const std::vector<ubxcfg::KeyValue>& values, uint8_t layers);
    KeyAnswer Delete(const std::vector<uint32_t>& keys, uint8_t layers);

    // Reads and writes at `baud` from now on (the receiver moved to it).
    bool FollowRate(uint32_t baud);
    // Why the last exchange failed ("" after an answer).
    const std::string& Problem() const { return FProblem; }

  private:
    KeyAnswer Sequence(uint8_t id, const std::vector<std::vector<uint8_t>>& payloads);

    YComPort& FPort;
    int FAnswerMs;
    std::string FProblem;
};

// The wildcard ids that read every group of the key table.
std::vector<uint32_t> TableGroupWildcards();
