// The capture file: every sentence read, one line each, flushed line by line,
// and every UBX frame read, its bytes as they came, where it came in the stream.
// It has a lock of its own, so the reader writes it without holding the
// store's lock while the user-interface thread opens and closes it.
#pragma once

#include <cstdio>
#include <mutex>
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
    bool IsOpen() const;
    // Writes the sentence (its CR included), then CR LF, and flushes. On a write
    // error the stream closes itself, returns false and keeps the reason.
    bool WriteLine(std::string_view sentence);
    // WriteLine when the stream is open, in one step; false only when a write
    // failed (and the stream closed itself), true when closed.
    bool WriteIfOpen(std::string_view sentence);
    // The same for a UBX frame: its bytes alone, no line end added.
    bool WriteFrameIfOpen(std::string_view frame);
    void Close();
    std::string Error() const;
    std::string Path() const;

  private:
    bool Write(std::string_view bytes, bool lineEnd);
    void CloseFile();

    mutable std::mutex FLock;
    std::FILE* FFile = nullptr;
    std::string FPath;
    std::string FError;
};
