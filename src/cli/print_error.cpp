#include <iostream>
#include <string>

#include "cli/commands.h"

namespace leafwright::cli {

void printError(const std::string& text) {
    std::cerr << "leafwright-cli: " << text << "\n";
}

}  // namespace leafwright::cli
