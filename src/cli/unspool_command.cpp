#include "commands.h"

namespace leafwright::cli {

// Placeholder until the unspool command is written.
int runUnspool(const std::vector<std::string>&) {
    printError("unspool: not available in this build");
    return kExitUsage;
}

}  // namespace leafwright::cli
