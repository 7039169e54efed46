#include "serial/PortAdvice.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#endif

namespace {

constexpr char AbsentText[] = "no port has number";
constexpr char InUseText[] = "port is in use";

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

#ifndef _WIN32
std::string UserName() {
    if (const passwd* user = getpwuid(geteuid())) return user->pw_name;
    const char* name = std::getenv("USER");
    return name ? name : "$USER";
}

std::string OctalMode(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "0%03o", static_cast<unsigned>(mode & 0777));
    return text;
}

// Who may open the device, from its owner, group and mode bits. Joining the
// owning group is advised only when the group may read and write it and is not
// root's: joining root's group would hand the user the whole machine, and a
// group without access gains the user nothing.
std::string PermissionAdvice(const std::string& device) {
    struct stat info {};
    if (stat(device.c_str(), &info) != 0) return {};
    const passwd* ownerUser = getpwuid(info.st_uid);
    const group* ownerGroup = getgrgid(info.st_gid);
    const std::string user = ownerUser ? ownerUser->pw_name : std::to_string(info.st_uid);
    const std::string name = ownerGroup ? ownerGroup->gr_name : std::to_string(info.st_gid);
    const std::string mode = OctalMode(info.st_mode);
    const bool groupMayUse = (info.st_mode & S_IRGRP) && (info.st_mode & S_IWGRP);
    if (groupMayUse && info.st_gid != 0)
        return "\nThe port belongs to the group " + name + " (mode " + mode + "). Join it with\n" +
               "    sudo usermod -aG " + name + " " + UserName() +
               "\nthen log out and log in again.";
    const std::string who = groupMayUse ? "only " + user + " and the members of the group " + name
                                        : "only its owner " + user;
    return "\nThe port belongs to " + user + ":" + name + " with mode " + mode + ": " + who +
           " may open it; the mode itself forbids everyone else, and joining a group does not"
           " help.\nAsk the administrator to give it to a group for serial ports (such as"
           " dialout) with a udev rule.";
}

std::string ProcessName(const std::string& dir) {
    std::ifstream comm(dir + "/comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? "a program" : name;
}

// True when one of the process's open files is 'device'.
bool HoldsDevice(const std::string& fdDir, const std::string& device) {
    DIR* fds = opendir(fdDir.c_str());
    if (!fds) return false;
    bool holds = false;
    char target[4096];
    while (const dirent* e = readdir(fds)) {
        if (e->d_name[0] == '.') continue;
        const std::string link = fdDir + "/" + e->d_name;
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && device.compare(0, std::string::npos, target, static_cast<size_t>(n)) == 0) {
            holds = true;
            break;
        }
    }
    closedir(fds);
    return holds;
}
#endif

}  // namespace

std::vector<std::string> PortHolders(const std::string& device, const std::string& procRoot) {
    std::vector<std::string> holders;
#ifndef _WIN32
    DIR* proc = opendir(procRoot.c_str());
    if (!proc) return holders;
    while (const dirent* e = readdir(proc)) {
        const char* pid = e->d_name;
        if (*pid < '1' || *pid > '9' || std::strspn(pid, "0123456789") != std::strlen(pid))
            continue;
        const std::string dir = procRoot + "/" + pid;
        if (HoldsDevice(dir + "/fd", device))
            holders.push_back(ProcessName(dir) + " (pid " + pid + ")");
    }
    closedir(proc);
#else
    (void)device;
    (void)procRoot;
#endif
    return holders;
}

std::string PortOpenAdvice(const std::string& device, const std::string& error) {
    if (error.empty() || Contains(error, std::strerror(ENOENT)) || Contains(error, AbsentText))
        return {};
    std::string advice = error;
#ifndef _WIN32
    if (Contains(error, std::strerror(EACCES)) || Contains(error, std::strerror(EPERM))) {
        advice += PermissionAdvice(device);
    } else if (Contains(error, InUseText) || Contains(error, std::strerror(EBUSY))) {
        const std::vector<std::string> holders = PortHolders(device);
        for (size_t i = 0; i < holders.size(); ++i)
            advice += (i == 0 ? "\nThe port is held by " : ", ") + holders[i];
        if (!holders.empty()) advice += ".";
    }
#else
    (void)device;
#endif
    return advice;
}
