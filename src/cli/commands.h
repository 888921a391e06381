#pragma once

#include <string>
#include <vector>

namespace leafwright::cli {

// Exit statuses shared by every command.
inline constexpr int kExitOk = 0;          // every file was done
inline constexpr int kExitSomeFailed = 1;  // a file was skipped or failed
inline constexpr int kExitUsage = 2;       // bad arguments or settings

// The refusal of an empty file argument: no file has that name, and a
// system call would only say "No such file or directory" about nothing.
inline constexpr const char* kEmptyFileName = "an empty file name was given";

// Each command takes the arguments after its name.
int runConvert(const std::vector<std::string>& args);
int runUnspool(const std::vector<std::string>& args);

// Prints "leafwright-cli: " + text to standard error.
void printError(const std::string& text);

}  // namespace leafwright::cli
