#include "tools/sim/ReplaySource.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

bool ReplaySource::Load(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream all;
    all << file.rdbuf();
    const std::string text = all.str();
    FLines.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        FLines.push_back(line + "\r\n");
    }
    if (FLines.empty()) {
        error = path + ": nothing to play";
        return false;
    }
    return true;
}
