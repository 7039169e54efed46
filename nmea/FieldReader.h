// Chains the field decoders over one sentence: each Read moves on from where
// the previous one stopped, and the first failure (-1, or a position past the
// sentence) sticks, so a handler reads as a plain list of fields.
//
// The reader works on the sentence's FieldList. While it stands on the comma
// before a field, it decodes that field whole from the split; a field the
// whole-field decoders refuse (a space, a second point, a letter in a number)
// and every read from elsewhere walk the text as the decoders of Utils.h do,
// so the positions and values are the walking decoders' in every case.
#pragma once

#include <string_view>

#include "nmea/FieldList.h"
#include "nmea/Utils.h"

class FieldReader {
  public:
    explicit FieldReader(const FieldList& fields) : FFields(fields), FSentence(fields.Sentence()) {}

    bool Float(float& value) {
        if (AtField() && DecodeFloatText(FFields.At(FNext), value)) return Advance();
        return Step(ParseFloatField(FPos, FSentence, value));
    }
    bool Decimal(ExactDecimal& value) {
        if (AtField() && DecodeDecimalText(FFields.At(FNext), value)) return Advance();
        return Step(ParseDecimalField(FPos, FSentence, value));
    }
    bool Int(int32_t& value) {
        if (AtField() && DecodeIntText(FFields.At(FNext), value)) return Advance();
        return Step(ParseIntField(FPos, FSentence, value));
    }
    bool Text(FieldText& text) {
        if (AtField() && DecodeTextField(FFields.At(FNext), text)) return Advance();
        return Step(ParseTextField(FPos, FSentence, text));
    }
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
    static constexpr int Unknown = -2;  // not yet looked up since the last walk

    // True when the reader stands on the comma before a split field.
    bool AtField() {
        if (FNext == Unknown) FNext = FFields.FieldAfter(FPos);
        return FNext > 0 && FNext < FFields.Count();
    }
    bool Advance() {
        FPos = FFields.End(FNext++);
        return true;
    }
    bool Step(int next) {
        if (next < 0 || next > static_cast<int>(FSentence.size())) return false;
        FPos = next;
        FNext = Unknown;
        return true;
    }

    const FieldList& FFields;
    std::string_view FSentence;
    int FPos = 0;
    int FNext = Unknown;
    bool FOutOfRange = false;
};

// Runs decode(reader, record) and keeps the record as it was when the
// sentence turns out to hold nonsense: an out-of-range field is never partly
// stored. Other failures leave what was decoded before them.
// 'refused' tells which of the two failures it was.
template <class Record, class Decode>
bool DecodeGuarded(const FieldList& fields, Record& record, Decode&& decode, bool& refused) {
    const Record before = record;
    FieldReader r(fields);
    refused = false;
    if (decode(r, record)) return true;
    refused = r.OutOfRange();
    if (refused) record = before;
    return false;
}
template <class Record, class Decode>
bool DecodeGuarded(const FieldList& fields, Record& record, Decode&& decode) {
    bool refused;
    return DecodeGuarded(fields, record, decode, refused);
}

// Stores value x scale truncated, zero staying zero, in the member's width.
template <class T>
T Scaled(float value, double scale) {
    return value == 0.0f ? T(0) : static_cast<T>(ScaledTrunc(value, scale));
}

// Stores value x 10^digits truncated towards zero in the member's width.
template <class T>
T Scaled(ExactDecimal value, int digits) {
    return static_cast<T>(ScaledTrunc(value, digits));
}
