// Runs lumarokub-decode as a child process and collects its output.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cctype>

#include <cstdio>
#include <string>

struct DecodeRun {
    std::string Out;
    int Status = -1;
};

// Runs the decoder with the given arguments and redirections (already quoted
// for the shell); stdin is /dev/null unless they redirect it.
inline DecodeRun RunDecodeCommand(const std::string& arguments) {
    DecodeRun run;
    const std::string command = std::string("'") + LUMAROKUB_DECODE + "' " + arguments;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) run.Out.append(chunk, n);
    const int status = pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The same with stderr discarded.
inline DecodeRun RunDecode(const std::string& arguments) {
    return RunDecodeCommand(arguments + " 2>/dev/null");
}

inline std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// A test name from a file name: characters other than letters and digits become '_'.
inline std::string FileParamName(const ::testing::TestParamInfo<const char*>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}
