// The advice on a port that would not open, from real pseudo-terminals: a
// user without access is told the owning group and the command that joins
// it; a port in use names the process that holds it.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "gtest/gtest.h"
#include "serial/PortAdvice.h"
#include "tests/serial/PtyPair.h"

namespace {

constexpr uid_t NobodyId = 65534;

// Opens 'path' as the user nobody in a child process and returns the advice
// the failure gets there.
std::string AdviceAsNobody(const std::string& path) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::string advice = "still allowed";
        if (setgroups(0, nullptr) == 0 && setgid(NobodyId) == 0 && setuid(NobodyId) == 0) {
            const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
            if (fd < 0) advice = PortOpenAdvice(path, path + ": " + std::strerror(errno));
        }
        const ssize_t written = write(pipeEnds[1], advice.data(), advice.size());
        _exit(written == static_cast<ssize_t>(advice.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string advice;
    char chunk[512];
    for (ssize_t n; (n = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) advice.append(chunk, n);
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    return advice;
}

TEST(PortAdvice, AUserWithoutAccessIsToldTheGroupAndTheCommand) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run a check as a user without access";
    const group* dialout = getgrnam("dialout");
    if (!dialout) GTEST_SKIP() << "no dialout group here";
    PtyPair line;
    ASSERT_TRUE(line.Ok());
    ASSERT_EQ(chown(line.Path().c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(line.Path().c_str(), 0660), 0);
    const std::string advice = AdviceAsNobody(line.Path());
    EXPECT_NE(advice.find(std::strerror(EACCES)), std::string::npos) << advice;
    EXPECT_NE(advice.find("group dialout"), std::string::npos) << advice;
    EXPECT_NE(advice.find("sudo usermod -aG dialout nobody"), std::string::npos) << advice;
    EXPECT_NE(advice.find("log in again"), std::string::npos) << advice;
}

TEST(PortAdvice, APortInUseNamesTheProcessThatHoldsIt) {
    PtyPair line;  // this process holds the slave side open
    ASSERT_TRUE(line.Ok());
    const std::string self = "(pid " + std::to_string(getpid()) + ")";
    const std::string advice = PortOpenAdvice(line.Path(), "port is in use");
    EXPECT_NE(advice.find("held by"), std::string::npos) << advice;
    EXPECT_NE(advice.find(self), std::string::npos) << advice;
    std::string closed;
    {
        PtyPair gone;
        closed = gone.Path();
    }
    EXPECT_TRUE(PortHolders(closed).empty()) << "a port nobody holds has no holder";
}

TEST(PortAdvice, AnAbsentPortNeedsNoAdvice) {
    EXPECT_EQ(PortOpenAdvice("/dev/ttyNONE", std::string("/dev/ttyNONE: ") + std::strerror(ENOENT)),
              "");
    EXPECT_EQ(PortOpenAdvice("/dev/ttyNONE", "no port has number 7"), "");
    EXPECT_EQ(PortOpenAdvice("/dev/ttyNONE", "x: Input/output error"), "x: Input/output error");
}

}  // namespace
