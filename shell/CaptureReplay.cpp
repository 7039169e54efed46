#include "shell/CaptureReplay.h"

#include <fstream>
#include <iterator>

#include "framing/Framing.h"
#include "intake/Intake.h"

namespace {

// Every console line of the replay, in order.
class ReplayLines final : public IntakeSinks {
  public:
    explicit ReplayLines(std::vector<std::string>& lines) : FLines(lines) {}
    bool WantsConsole() override { return true; }
    void ConsoleLine(const std::string& line) override { FLines.push_back(line); }

  private:
    std::vector<std::string>& FLines;
};

}  // namespace

ReplayResult ReplayCapture(const std::string& path, NMEA_Manager& store) {
    ReplayResult result;
    std::ifstream file(path, std::ios::binary);
    if (!file) return result;
    result.Opened = true;
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    MemoryByteSource source(bytes.data(), bytes.size());
    Intake intake(store);
    ReplayLines lines(result.Sentences);
    while (!source.AtEnd()) intake.Next(source, lines);
    return result;
}
