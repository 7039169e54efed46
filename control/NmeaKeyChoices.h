// The u-blox NMEA Setting window's choices as configuration keys, for
// receivers configured by keys: the sentences on UART1 and USB
// (CFG-MSGOUT-NMEA_ID_*_UART1/USB) and the measurement period
// (CFG-RATE-MEAS), polled with one CFG-VALGET and written with one CFG-VALSET.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "link/Command.h"

struct UbxKeyValuesRecord;

struct NmeaKeyChoices {
    static constexpr int SentenceCount =
        7;  // GGA GLL GSA GSV RMC VTG ZDA, as the window lists them
    std::array<bool, SentenceCount> OnUart{};
    std::array<bool, SentenceCount> OnUsb{};
    std::array<bool, SentenceCount> Answered{};
    int PeriodMs = 0;  // 0: not answered

    // The VALGET of every key the window shows, from RAM.
    static Command Poll();
    // The VALSET of the choices: a sentence ticked goes out every solution on
    // each output ticked, and nowhere else.
    static std::vector<Command> Set(const std::array<bool, SentenceCount>& ticked, bool uart,
                                    bool usb, uint16_t periodMs, uint8_t layers);
    // What an answer from RAM says of the window's keys; false for another
    // layer or a malformed answer.
    bool Take(const UbxKeyValuesRecord& answer);
};
