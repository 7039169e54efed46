#include "SimTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <thread>

#include "tools/sim/PtyLine.h"

using namespace std::chrono;

bool MonitorPort::Open(const std::string& path, unsigned long baud) {
    Close();
    FFd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (FFd < 0) return false;
    if (!SetBaud(baud)) return false;
    Flush();
    return true;
}

void MonitorPort::Close() {
    if (FFd >= 0) close(FFd);
    FFd = -1;
}

bool MonitorPort::SetBaud(unsigned long baud) {
    termios tio{};
    if (tcgetattr(FFd, &tio) != 0) return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    const speed_t speed = BaudConstant(baud);
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return tcsetattr(FFd, TCSANOW, &tio) == 0;
}

void MonitorPort::Flush() {
    tcflush(FFd, TCIOFLUSH);
}

bool MonitorPort::Write(const std::string& bytes) {
    size_t done = 0;
    const auto deadline = steady_clock::now() + seconds(2);
    while (done < bytes.size() && steady_clock::now() < deadline) {
        const ssize_t n = write(FFd, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN)
            return false;
        else
            std::this_thread::sleep_for(milliseconds(1));
    }
    return done == bytes.size();
}

std::string MonitorPort::ReadFor(milliseconds duration) {
    std::string all;
    ReadUntil([](const std::string&) { return false; }, duration, all);
    return all;
}

bool MonitorPort::ReadUntil(const std::function<bool(const std::string&)>& done,
                            milliseconds timeout, std::string& all) {
    const auto deadline = steady_clock::now() + timeout;
    char buffer[4096];
    for (;;) {
        if (done(all)) return true;
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd p{FFd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(std::min<long long>(left, 20))) <= 0) continue;
        if (p.revents & (POLLHUP | POLLERR)) return done(all);
        const ssize_t n = read(FFd, buffer, sizeof buffer);
        if (n > 0) all.append(buffer, static_cast<size_t>(n));
    }
}

bool MonitorPort::WaitForHangup(milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    char buffer[4096];
    while (steady_clock::now() < deadline) {
        pollfd p{FFd, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        if (p.revents & (POLLHUP | POLLERR)) return true;
        const ssize_t n = read(FFd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno == EIO)) return true;
    }
    return false;
}

std::vector<StreamPiece> SplitStream(const std::string& bytes) {
    std::vector<StreamPiece> pieces;
    size_t i = 0;
    std::string stray;
    const auto flushStray = [&] {
        if (!stray.empty()) pieces.push_back({StreamPiece::Stray, stray});
        stray.clear();
    };
    while (i < bytes.size()) {
        const auto c = static_cast<uint8_t>(bytes[i]);
        if (c == '$') {
            const size_t end = bytes.find("\r\n", i);
            if (end == std::string::npos) break;
            flushStray();
            pieces.push_back({StreamPiece::Sentence, bytes.substr(i, end + 2 - i)});
            i = end + 2;
        } else if (c == 0xB5 && i + 1 < bytes.size() &&
                   static_cast<uint8_t>(bytes[i + 1]) == 0x62) {
            if (i + 6 > bytes.size()) break;
            const size_t length =
                static_cast<uint8_t>(bytes[i + 4]) | (static_cast<uint8_t>(bytes[i + 5]) << 8);
            if (i + length + 8 > bytes.size()) break;
            flushStray();
            pieces.push_back({StreamPiece::Ubx, bytes.substr(i, length + 8)});
            i += length + 8;
        } else {
            stray += bytes[i++];
        }
    }
    flushStray();
    return pieces;
}

std::vector<std::string> SentencesOf(const std::string& bytes) {
    std::vector<std::string> list;
    for (const StreamPiece& p : SplitStream(bytes))
        if (p.Type == StreamPiece::Sentence) list.push_back(p.Bytes);
    return list;
}

bool SentenceChecksumOk(const std::string& s) {
    const size_t star = s.find('*');
    if (s.empty() || s[0] != '$' || star == std::string::npos || star + 5 != s.size()) return false;
    if (s.compare(star + 3, 2, "\r\n") != 0) return false;
    unsigned sum = 0;
    for (size_t i = 1; i < star; ++i) sum ^= static_cast<uint8_t>(s[i]);
    unsigned sent = 0;
    for (size_t i = star + 1; i < star + 3; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9')
            sent = sent * 16 + (c - '0');
        else if (c >= 'A' && c <= 'F')
            sent = sent * 16 + (c - 'A' + 10);
        else
            return false;  // upper-case digits only
    }
    return sent == sum;
}

std::vector<std::string> Fields(const std::string& sentence) {
    std::string body = sentence.substr(1);
    const size_t end = body.find_first_of("*\r");
    body = body.substr(0, end);
    std::vector<std::string> fields(1);
    for (char c : body) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::string TypeOf(const std::string& sentence) {
    return Fields(sentence)[0];
}

std::string FromHex(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
    return bytes;
}

SimOptions FastOptions() {
    SimOptions o;
    o.Baud = 115200;
    o.Seed = 42;
    o.StartUnixMs = 1772366400000;  // 2026-03-01 12:00:00 UTC
    o.TimeScale = 4;
    return o;
}

RunningSim::RunningSim(const SimOptions& options) : Sim(options) {
    std::string error;
    Ok = Sim.Open(error) && Port.Open(Sim.SlavePath(), options.Baud) && Sim.Start(error);
}

bool WaitFor(const std::function<bool()>& done, milliseconds timeout) {
    const auto deadline = steady_clock::now() + timeout;
    while (!done()) {
        if (steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return true;
}
