#include "nmea/CaptureStream.h"

#include <cerrno>
#include <cstring>

namespace {
constexpr char LineEnd[] = "\r\n";
}

CaptureStream::~CaptureStream() {
    Close();
}

bool CaptureStream::Open(const std::string& path) {
    Close();
    FError.clear();
    FFile = std::fopen(path.c_str(), "wb");
    if (!FFile) {
        FError = std::strerror(errno);
        return false;
    }
    FPath = path;
    return true;
}

bool CaptureStream::WriteLine(std::string_view sentence) {
    if (!FFile) return false;
    errno = 0;
    const bool ok = std::fwrite(sentence.data(), 1, sentence.size(), FFile) == sentence.size() &&
                    std::fwrite(LineEnd, 1, 2, FFile) == 2 && std::fflush(FFile) == 0;
    if (!ok) {
        FError = errno ? std::strerror(errno) : "write failed";
        std::fclose(FFile);
        FFile = nullptr;
    }
    return ok;
}

void CaptureStream::Close() {
    if (FFile) std::fclose(FFile);
    FFile = nullptr;
}
