// Fuzzes the configuration key messages a receiver sends or a file holds: the
// VALGET answer decoder (and the receiver's side of VALGET, VALSET and VALDEL
// on the same bytes), the key file reader and the value texts. What decodes
// must encode back to the same bytes, and every value must come back from its
// text.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ubx/UbxKeyCodec.h"
#include "ubx/UbxKeyFile.h"

using namespace ubxcfg;

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckValueTexts(const std::vector<KeyValue>& values) {
    for (const KeyValue& v : values) {
        const size_t size = KeyValueSize(v.Id);
        Check(size > 0 && (size == 8 || v.Raw < (1ULL << (8 * size))));
        uint64_t back = 0;
        const std::string text = KeyValueText(v.Id, v.Raw);
        // A real number's NaN has no text that reads back; everything else does.
        if (ParseKeyValue(v.Id, text, back))
            Check(back == v.Raw || text.find("nan") != std::string::npos);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ValGetAnswer answer;
    if (DecodeValGetAnswer(data, size, answer)) {
        Check(EncodeValGetAnswer(answer.Layer, answer.Position, answer.Values) ==
              std::vector<uint8_t>(data, data + size));
        CheckValueTexts(answer.Values);
        std::vector<KeyValue> loaded;
        std::string error;
        const std::string file = KeyFileText(answer.Values);
        if (ParseKeyFile(file, loaded, error)) Check(loaded.size() == answer.Values.size());
    }
    ValGetPoll poll;
    if (DecodeValGetPoll(data, size, poll))
        Check(EncodeValGetPoll(poll.Layer, poll.Position, poll.Keys).size() == size);
    ValChange change;
    if (DecodeValSet(data, size, change)) CheckValueTexts(change.Values);
    DecodeValDel(data, size, change);
    std::vector<KeyValue> fromFile;
    std::string error;
    if (ParseKeyFile(std::string_view(reinterpret_cast<const char*>(data), size), fromFile, error))
        CheckValueTexts(fromFile);
    return 0;
}
