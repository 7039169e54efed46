// What the monitor reads from: a serial device (a device path such as
// /dev/ttyUSB0, or COMn on Windows) or a link URL (tcp://, udp://, gpsd://,
// file://). A plain value: the port panel turns the user's choice into one,
// the connection, the detection and the port open and carry it, and the
// tools make one from --port.
#pragma once

#include <cstdint>
#include <string>

class Source {
  public:
    enum class Kind : uint8_t { None, Device, Link };

    Source() = default;
    static Source Device(std::string name) { return Source(Kind::Device, std::move(name)); }
    static Source Link(std::string url) { return Source(Kind::Link, std::move(url)); }
    // The source a port list entry names: a link URL (by its scheme, checked
    // only when opened), a device path (from '/'), or COMn with n from 1 to
    // 255; none for any other text.
    static Source FromEntry(const std::string& entry);

    Kind Type() const { return FKind; }
    bool IsNone() const { return FKind == Kind::None; }
    bool IsDevice() const { return FKind == Kind::Device; }
    bool IsLink() const { return FKind == Kind::Link; }
    // The device path, COMn or URL as given.
    const std::string& Text() const { return FText; }
    // What the status bar shows: a link's URL; a device path without /dev/
    // ("pts/3") or, lying elsewhere, without its folders; COMn's number.
    std::string ShortName() const;

    bool operator==(const Source& other) const {
        return FKind == other.FKind && FText == other.FText;
    }
    bool operator!=(const Source& other) const { return !(*this == other); }

  private:
    Source(Kind kind, std::string text) : FKind(kind), FText(std::move(text)) {}

    Kind FKind = Kind::None;
    std::string FText;
};
