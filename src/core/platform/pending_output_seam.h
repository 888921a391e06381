#pragma once

#include <functional>
#include <utility>

#include "core/platform/active_seam.h"

namespace leafwright {

class PendingOutput;

// Test seam. While an object of this class lives, every PendingOutput calls
// afterCreate right after its temporary file exists (so that a test can change
// the folder under a write in progress, cancel the run or raise a signal),
// and with namedTemporary set it makes a named temporary file, as on a file
// system without unnamed ones.
class PendingOutputSeam : public ActiveSeam<PendingOutputSeam> {
  public:
    explicit PendingOutputSeam(std::function<void(const PendingOutput&)> afterCreateHook = {},
                               bool namedTemporaryFile = false)
        : afterCreate(std::move(afterCreateHook)), namedTemporary(namedTemporaryFile) {}

    std::function<void(const PendingOutput&)> afterCreate;
    bool namedTemporary = false;
};

}  // namespace leafwright
