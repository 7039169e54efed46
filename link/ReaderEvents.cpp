#include "link/ReaderEvents.h"

#include "link/ThreadNMEAFetch.h"

namespace {

// Runs `event` on the listener when there still is one.
template <class Event>
auto Forward(ReaderEventsGate gate, Event event) {
    return [gate = std::move(gate), event](auto&&... args) {
        if (ReaderEvents* to = *gate) event(*to, std::forward<decltype(args)>(args)...);
    };
}

}  // namespace

void ListenToReader(TNmeaFetch& reader, const ReaderEventsGate& gate, size_t lineLimit) {
    reader.SetRefresh(Forward(gate, [](ReaderEvents& to) { to.RefreshViews(); }));
    reader.SetConsole(Forward(gate, [](ReaderEvents& to, const std::vector<std::string>& lines,
                                       uint64_t notShown) { to.ConsoleLines(lines, notShown); }),
                      lineLimit);
    // Without a listener the hand-off runs at once (its lines go nowhere).
    reader.SetDisplayPacer([gate](std::function<void()> handOff) {
        if (ReaderEvents* to = *gate)
            to->PaceDisplay(std::move(handOff));
        else
            handOff();
    });
    reader.SetAnswerHook(Forward(
        gate, [](ReaderEvents& to, const UbxAckRecord& answer) { to.UbxAnswered(answer); }));
    reader.SetIdentityHook(Forward(gate, [](ReaderEvents& to, const std::string& identity) {
        to.ReceiverIdentified(identity);
    }));
    reader.SetSettingHook(Forward(
        gate, [](ReaderEvents& to, const UbxSettingAnswer& answer) { to.SettingRead(answer); }));
    reader.SetKeyValuesHook(Forward(
        gate, [](ReaderEvents& to, const UbxKeyValuesRecord& answer) { to.KeysRead(answer); }));
    reader.SetCaptureFailedHook(Forward(gate, [](ReaderEvents& to) { to.CaptureFailed(); }));
}
