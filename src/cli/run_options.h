#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace leafwright::cli {

// The part of a run given by --shard INDEX/COUNT: the sources whose position
// (from 0) modulo count is index.
struct Shard {
    std::uint64_t index = 0;
    std::uint64_t count = 1;
};

// The options every file command (convert, unspool) takes about its run:
// where the sources come from, where a single output goes, how outputs that
// exist are treated, how the outcome is reported and how many files are
// converted at once.
struct RunOptions {
    bool force = false;
    bool skipExisting = false;
    bool json = false;
    bool nulSeparated = false;
    std::optional<std::string> output;     // -o PATH; "-" is standard output
    std::optional<std::string> filesFrom;  // "-" is standard input
    std::optional<unsigned> jobs;          // unset: the CPUs this process may use
    std::optional<Shard> shard;
    std::optional<std::uint64_t> maxInput;  // --max-input: the most bytes of standard input
    std::string maxInputText;               // its value as given, for messages
};

// Reads the run option at args[i], moving i past its value. Returns false
// when args[i] is no run option; sets error when it is one but malformed.
bool readRunOption(const std::vector<std::string>& args, std::size_t& i, RunOptions& options,
                   std::string& error);

// Why the run options cannot be used with these FILE arguments (and an
// output folder, when the command was given one), or an empty text.
std::string runOptionsProblem(const RunOptions& options, const std::vector<std::string>& files,
                              bool hasOutputDir);

// The help lines of the run options, for a command that writes files of
// kind `outputKind` ("PDF", "text file").
std::string runOptionsHelp(const std::string& outputKind);

}  // namespace leafwright::cli
