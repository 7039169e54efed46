// Chains the field decoders over one sentence: each Read moves on from where
// the previous one stopped, and the first failure (-1, or a position past the
// sentence) sticks, so a handler reads as a plain list of fields.
#pragma once

#include <string_view>

#include "nmea/Utils.h"

class FieldReader {
  public:
    explicit FieldReader(std::string_view sentence) : FSentence(sentence) {}

    bool Float(float& value) { return Step(ParseFloatField(FPos, FSentence, value)); }
    bool Int(int32_t& value) { return Step(ParseIntField(FPos, FSentence, value)); }
    bool Text(FieldText& text) { return Step(ParseTextField(FPos, FSentence, text)); }
    bool Hex(uint8_t& value) { return Step(ParseHexField(FPos, FSentence, value)); }

    // True when the field just read was empty: its decoder consumed nothing
    // but the comma before it.
    bool LastEmpty() const { return FPos > 0 && At(FPos - 1) == ','; }
    // Marks the sentence as holding a field outside its range; always false,
    // so a handler can 'return r.Reject();'.
    bool Reject() {
        FOutOfRange = true;
        return false;
    }
    bool OutOfRange() const { return FOutOfRange; }

    int Position() const { return FPos; }
    char At(int pos) const {
        return pos >= 0 && pos < static_cast<int>(FSentence.size()) ? FSentence[pos] : 0;
    }

  private:
    bool Step(int next) {
        if (next < 0 || next > static_cast<int>(FSentence.size())) return false;
        FPos = next;
        return true;
    }

    std::string_view FSentence;
    int FPos = 0;
    bool FOutOfRange = false;
};

// Runs decode(reader, record) and keeps the record as it was when the
// sentence turns out to hold nonsense: an out-of-range field is never partly
// stored. Other failures leave what was decoded before them, as always.
template <class Record, class Decode>
bool DecodeGuarded(std::string_view sentence, Record& record, Decode&& decode) {
    const Record before = record;
    FieldReader r(sentence);
    if (decode(r, record)) return true;
    if (r.OutOfRange()) record = before;
    return false;
}

// Stores value x scale truncated, zero staying zero, in the member's width.
template <class T>
T Scaled(float value, double scale) {
    return value == 0.0f ? T(0) : static_cast<T>(ScaledTrunc(value, scale));
}
