// What a user can do about a port that would not open. The system's reason
// alone ("Permission denied", "Device or resource busy") does not say how to
// get past it; the advice does: for a permission failure, who may open the
// device by its owner, group and mode, and the command that joins the group
// where joining it helps; for a port in use, the programs that hold it.
#pragma once

#include <string>
#include <vector>

// The reason the port at 'device' failed to open ('error', as the port gave
// it) with the advice that applies; empty when the port is simply absent.
std::string PortOpenAdvice(const std::string& device, const std::string& error);

// The processes that have 'device' open, each as "name (pid N)", read from
// the process table under 'procRoot'. Empty where the system cannot tell.
std::vector<std::string> PortHolders(const std::string& device,
                                     const std::string& procRoot = "/proc");
