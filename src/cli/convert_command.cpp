#include "commands.h"

namespace leafwright::cli {

// Placeholder until the convert command is written.
int runConvert(const std::vector<std::string>&) {
    printError("convert: not available in this build");
    return kExitUsage;
}

}  // namespace leafwright::cli
