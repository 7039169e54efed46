// The capture file: every sentence read, one line each, flushed line by line.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class CaptureStream {
  public:
    CaptureStream() = default;
    ~CaptureStream();
    CaptureStream(const CaptureStream&) = delete;
    CaptureStream& operator=(const CaptureStream&) = delete;

    // Creates or truncates the file. On failure returns false and Error() says why.
    bool Open(const std::string& path);
    bool IsOpen() const { return FFile != nullptr; }
    // Writes the sentence (its CR included), then CR LF, and flushes. On a write
    // error the stream closes itself, returns false and keeps the reason.
    bool WriteLine(std::string_view sentence);
    void Close();
    const std::string& Error() const { return FError; }
    const std::string& Path() const { return FPath; }

  private:
    std::FILE* FFile = nullptr;
    std::string FPath;
    std::string FError;
};
