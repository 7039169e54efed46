#include "link/UbxRestart.h"

#include "serial/UbxText.h"

UbxRestartRequests UbxRestarts;

std::string_view UbxRestartRequests::Apply(std::string_view text) {
    if (Hot.exchange(false)) return UbxHotStartFrame;
    if (Warm.exchange(false)) return UbxWarmStartFrame;
    if (Cold.exchange(false)) return UbxColdStartFrame;
    return text;
}

void UbxRestartRequests::Clear() {
    Hot = false;
    Warm = false;
    Cold = false;
}
