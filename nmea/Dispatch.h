// Sentence intake: checksum test and dispatch of one framed sentence into the
// store. The caller holds the store's lock around DispatchSentence, and
// writes the capture file (CaptureSentence) after releasing it.
#pragma once

#include <cstdint>
#include <string_view>

#include "nmea/NmeaManager.h"

// What dispatch needs of the port: a purge of both directions after line noise.
class PortPurger {
  public:
    virtual ~PortPurger() = default;
    virtual void PurgeBoth() = 0;
};

struct DispatchResult {
    bool Valid = false;      // checksum present and correct, or an unchecked sentence
    bool Unchecked = false;  // taken without a checksum: the link has sent none yet
    uint8_t Type = 255;      // sentence type number, 255 when not recognised
    bool Refresh = false;    // the views should be refreshed
    bool CaptureFailed =
        false;  // the capture file failed on this sentence and was closed (CaptureSentence)
};

// The sentence text as framed: from '$' up to the first NUL, the CR included.
std::string_view SentenceText(const char* buffer, uint32_t length);

bool VerifyChecksum(std::string_view sentence);

// A sentence without a '*' is taken unchecked while the link has delivered
// no sentence with a sound checksum (store.ChecksumsSeen): some receivers
// (time references among them) send none at all. It must still look like
// a sentence: an address of letters and digits, a comma, printable text
// that does not end in a blank. Once a checksum came, such a sentence is
// refused.
DispatchResult DispatchSentence(std::string_view sentence, NMEA_Manager& store, PortPurger* port);

// Writes the sentence to the store's capture file when one is open, without
// the store's lock (the capture has its own); true when the write failed and
// the capture closed itself.
bool CaptureSentence(std::string_view sentence, NMEA_Manager& store);
// The same for a whole UBX frame, kept byte for byte.
bool CaptureUbxFrame(const uint8_t* frame, size_t size, NMEA_Manager& store);
