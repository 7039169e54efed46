// The comma-separated fields of one sentence, from the address up to the '*',
// held as views into the sentence text (nothing is copied or allocated).
#pragma once

#include <cstdint>
#include <string_view>

class FieldList {
  public:
    static constexpr int Capacity = 64;

    explicit FieldList(std::string_view sentence);

    int Count() const { return FCount; }
    std::string_view At(int i) const {
        return i >= 0 && i < FCount ? FFields[i] : std::string_view();
    }
    bool Empty(int i) const { return At(i).empty(); }
    // A field of decimal digits with an optional sign; false when empty or not a number.
    bool Int(int i, int32_t& value) const;
    // A field of one to two hexadecimal digits.
    bool Hex(int i, int32_t& value) const;

  private:
    std::string_view FFields[Capacity];
    int FCount = 0;
};
