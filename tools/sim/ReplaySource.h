// A capture or NMEA log to play instead of synthesising: one sentence per
// line, '#' comment lines skipped, each line sent with CR LF whatever line end
// it had in the file (a monitor capture's CR CR LF included).
#pragma once

#include <string>
#include <vector>

class ReplaySource {
  public:
    // False with a reason when the file cannot be read or holds no line.
    bool Load(const std::string& path, std::string& error);
    // The lines as they go on the wire.
    const std::vector<std::string>& Lines() const { return FLines; }

  private:
    std::vector<std::string> FLines;
};
