#include "tools/decode/JsonOutput.h"

namespace {

constexpr unsigned char FirstHighByte = 0x80;

bool AllAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= FirstHighByte) return false;
    return true;
}

// Every text below `value` made of code points, one for each byte.
template <class Json>
void TextsOfBytes(Json& value) {
    if (value.is_string()) {
        std::string& text = value.template get_ref<std::string&>();
        if (!AllAscii(text)) text = TextOfBytes(text);
        return;
    }
    if (value.is_structured())
        for (Json& item : value) TextsOfBytes(item);
}

template <class Json>
std::string Dump(Json& value) {
    TextsOfBytes(value);
    // Every text is valid UTF-8 by now; a key that is not still gives a line.
    return value.dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
}

}  // namespace

std::string TextOfBytes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < FirstHighByte) {
            text += c;
            continue;
        }
        // Two bytes of UTF-8: 110000xx 10xxxxxx.
        text += static_cast<char>(0xC0 | (byte >> 6));
        text += static_cast<char>(0x80 | (byte & 0x3F));
    }
    return text;
}

std::string JsonLine(nlohmann::json value) {
    return Dump(value);
}

std::string JsonLine(nlohmann::ordered_json value) {
    return Dump(value);
}

int FinishOutput(std::ostream& out, std::ostream& err, int status) {
    if (out.flush()) return status;
    err << "lumarokub-decode: cannot write standard output\n";
    return ExitOutputFailed;
}
