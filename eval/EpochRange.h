// A sequence of epochs, however kept: a recording or a plain list. Readers
// of a long recording visit its epochs one by one instead of copying them.
#pragma once

#include <functional>
#include <vector>

#include "eval/Epoch.h"

using EpochVisitor = std::function<void(const Epoch&)>;
using EpochRange = std::function<void(const EpochVisitor&)>;

inline EpochRange RangeOf(const std::vector<Epoch>& epochs) {
    return [&epochs](const EpochVisitor& visit) {
        for (const Epoch& e : epochs) visit(e);
    };
}
