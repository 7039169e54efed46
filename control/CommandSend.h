// Starting a command sender for the control panels.
#pragma once

#include <chrono>
#include <string>
#include <vector>

// True while a connection is up: a reader exists and the port is open.
bool ReceiverConnected();
// Starts a self-freeing TCommandOut over `lines` on the configured port and
// remembers it in CommandOut.
void StartCommandOut(std::vector<std::string> lines);
// Waits until every sender started here has finished with the port (before
// the port goes away); false when some still run after `limit`.
bool WaitCommandSendersIdle(std::chrono::milliseconds limit);
