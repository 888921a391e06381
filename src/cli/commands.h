#pragma once

#include <string>
#include <vector>

namespace leafwright::cli {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;       // every file was done
inline constexpr int kExitSomeFailed = 1;  // a file was skipped or failed
inline constexpr int kExitUsage = 2;    // bad arguments or settings

// Each command takes the arguments after its name.
int runConvert(const std::vector<std::string>& args);
int runUnspool(const std::vector<std::string>& args);

// Prints "leafwright-cli: " + text to standard error.
void printError(const std::string& text);

}  // namespace leafwright::cli
