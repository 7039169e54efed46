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
    std::lock_guard<std::mutex> guard(FLock);
    CloseFile();
    FError.clear();
    FFile = std::fopen(path.c_str(), "wb");
    if (!FFile) {
        FError = std::strerror(errno);
        return false;
    }
    FPath = path;
    return true;
}

bool CaptureStream::IsOpen() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FFile != nullptr;
}

bool CaptureStream::WriteLine(std::string_view sentence) {
    std::lock_guard<std::mutex> guard(FLock);
    return Write(sentence, true);
}

bool CaptureStream::WriteIfOpen(std::string_view sentence) {
    std::lock_guard<std::mutex> guard(FLock);
    return !FFile || Write(sentence, true);
}

bool CaptureStream::WriteFrameIfOpen(std::string_view frame) {
    std::lock_guard<std::mutex> guard(FLock);
    return !FFile || Write(frame, false);
}

bool CaptureStream::Write(std::string_view bytes, bool lineEnd) {
    if (!FFile) return false;
    errno = 0;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), FFile) == bytes.size() &&
                    (!lineEnd || std::fwrite(LineEnd, 1, 2, FFile) == 2) && std::fflush(FFile) == 0;
    if (!ok) {
        FError = errno ? std::strerror(errno) : "write failed";
        CloseFile();
    }
    return ok;
}

void CaptureStream::Close() {
    std::lock_guard<std::mutex> guard(FLock);
    CloseFile();
}

void CaptureStream::CloseFile() {
    if (FFile) std::fclose(FFile);
    FFile = nullptr;
}

std::string CaptureStream::Error() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FError;
}

std::string CaptureStream::Path() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FPath;
}
