// The advice on a port that would not open, from real pseudo-terminals: a
// user without access is told who may open the port, and the command that
// joins its group only where that helps; a port in use names its holder.
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

// Joining the owning group is advised only where the group may read and write
// the device and is not root's; otherwise the advice says who may open it.
TEST(PortAdvice, AUserWithoutAccessIsToldWhoMayOpenThePort) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run a check as a user without access";
    const group* dialout = getgrnam("dialout");
    if (!dialout) GTEST_SKIP() << "no dialout group here";
    struct Case {
        gid_t Group;
        mode_t Mode;
        const char* Says;
        bool AdvisesJoining;
    };
    const Case cases[] = {
        {dialout->gr_gid, 0660, "group dialout (mode 0660)", true},
        {0, 0660, "only root and the members of the group root may open it", false},
        {0, 0600, "root:root with mode 0600: only its owner root may open it", false},
        {dialout->gr_gid, 0640, "the mode itself forbids everyone else", false},
    };
    for (const Case& c : cases) {
        PtyPair line;
        ASSERT_TRUE(line.Ok());
        ASSERT_EQ(chown(line.Path().c_str(), 0, c.Group), 0);
        ASSERT_EQ(chmod(line.Path().c_str(), c.Mode), 0);
        const std::string advice = AdviceAsNobody(line.Path());
        SCOPED_TRACE(advice);
        EXPECT_NE(advice.find(std::strerror(EACCES)), std::string::npos);
        EXPECT_NE(advice.find(c.Says), std::string::npos);
        EXPECT_EQ(advice.find("usermod") != std::string::npos, c.AdvisesJoining);
        if (c.AdvisesJoining) {
            EXPECT_NE(advice.find("sudo usermod -aG dialout nobody"), std::string::npos);
            EXPECT_NE(advice.find("log in again"), std::string::npos);
        }
    }
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
