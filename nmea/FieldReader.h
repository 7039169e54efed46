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
};

// Stores value x scale truncated, zero staying zero, in the member's width.
template <class T>
T Scaled(float value, double scale) {
    return value == 0.0f ? T(0) : static_cast<T>(ScaledTrunc(value, scale));
}
