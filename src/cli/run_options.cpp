#include "cli/run_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <utility>

#include "cli/commands.h"

namespace leafwright::cli {

namespace {

// A whole decimal number in range, or nothing.
std::optional<std::uint64_t> wholeNumber(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, problem] = std::from_chars(text.data(), end, value);
    if (text.empty() || problem != std::errc() || stop != end) return std::nullopt;
    return value;
}

// A number of bytes, with K, M or G (either case) for 1024, 1024² or 1024³
// of them; at least 1.
std::optional<std::uint64_t> byteSize(const std::string& text) {
    static constexpr std::pair<char, int> kSuffixes[] = {{'K', 10}, {'M', 20}, {'G', 30}};
    std::string digits = text;
    int shift = 0;
    const char last =
        text.empty() ? '\0'
                     : static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
    for (const auto& [letter, bits] : kSuffixes) {
        if (last == letter) shift = bits;
    }
    if (shift != 0) digits.pop_back();
    const auto count = wholeNumber(digits);
    if (!count || *count == 0 || *count > (std::numeric_limits<std::uint64_t>::max() >> shift))
        return std::nullopt;
    return *count << shift;
}

std::optional<Shard> parseShard(const std::string& text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const auto index = wholeNumber(text.substr(0, slash));
    const auto count = wholeNumber(text.substr(slash + 1));
    if (!index || !count) return std::nullopt;
    return Shard{*index, *count};
}

}  // namespace

bool readRunOption(const std::vector<std::string>& args, std::size_t& i, RunOptions& options,
                   std::string& error) {
    const std::string& arg = args[i];
    if (arg == "--force") return options.force = true;
    if (arg == "--skip-existing") return options.skipExisting = true;
    if (arg == "--json") return options.json = true;
    if (arg == "-0" || arg == "--null") return options.nulSeparated = true;

    // Options with a value: "--name VALUE", "--name=VALUE", "-o VALUE", "-oVALUE".
    std::string name = arg;
    std::optional<std::string> value;
    if (arg.rfind("--", 0) == 0) {
        const std::size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
    } else if (arg.size() > 2 && (arg.rfind("-o", 0) == 0 || arg.rfind("-j", 0) == 0)) {
        name = arg.substr(0, 2);
        value = arg.substr(2);
    }
    const bool known = name == "-o" || name == "--output" || name == "--files-from" ||
                       name == "-j" || name == "--jobs" || name == "--shard" ||
                       name == "--max-input";
    if (!known) return false;
    if (!value) {
        if (i + 1 >= args.size()) {
            error = "option '" + name + "' needs a value";
            return true;
        }
        value = args[++i];
    }

    if (name == "-o" || name == "--output" || name == "--files-from") {
        if (value->empty()) {
            error = name + ": " + kEmptyFileName;
        } else if (name == "--files-from") {
            options.filesFrom = value;
        } else {
            options.output = value;
        }
    } else if (name == "-j" || name == "--jobs") {
        const auto jobs = wholeNumber(*value);
        if (!jobs || *jobs == 0 || *jobs > std::numeric_limits<unsigned>::max())
            error = name + ": '" + *value + "' is not a number of jobs (1 or more)";
        else
            options.jobs = static_cast<unsigned>(*jobs);
    } else if (name == "--max-input") {
        options.maxInput = byteSize(*value);
        options.maxInputText = *value;
        if (!options.maxInput)
            error = "--max-input: '" + *value + "' is not a size (a number of bytes, K, M or G)";
    } else {
        options.shard = parseShard(*value);
        if (!options.shard || options.shard->index >= options.shard->count)
            error = "--shard: '" + *value + "' is not INDEX/COUNT with INDEX below COUNT";
    }
    return true;
}

std::string runOptionsProblem(const RunOptions& options, const std::vector<std::string>& files,
                              bool hasOutputDir) {
    const bool readsStandardInput = std::count(files.begin(), files.end(), "-") > 0;
    if (files.empty() && !options.filesFrom) return "no FILE given";
    if (options.force && options.skipExisting)
        return "--force and --skip-existing exclude each other";
    if (options.output) {
        if (files.size() != 1 || options.filesFrom) return "-o names the output of a single FILE";
        if (hasOutputDir) return "-o and --output-dir exclude each other";
        if (*options.output == "-" && options.json)
            return "-o - leaves standard output to the document; --json cannot be used with it";
    }
    if (readsStandardInput && !options.output)
        return "-: standard input needs -o PATH (or -o - for standard output)";
    if (readsStandardInput && options.filesFrom && *options.filesFrom == "-")
        return "standard input cannot be both a FILE and the list of files";
    return {};
}

std::string runOptionsHelp(const std::string& outputKind) {
    return "  -o, --output PATH   write the " + outputKind +
           " of the single FILE to PATH; \"-o -\"\n"
           "                      writes it to standard output once it is complete\n"
           "  --files-from LIST   read more FILE names from LIST (\"-\": standard input),\n"
           "                      one a line, after the FILE arguments; an empty name\n"
           "                      is reported with its entry, 1000 in a row end the list\n"
           "  -0, --null          names in LIST end with a NUL byte instead of a newline\n"
           "  -j, --jobs N        convert N files at once (default: the CPUs this process\n"
           "                      may use); outputs and messages are those of -j 1\n"
           "  --shard INDEX/COUNT take only the FILEs whose position (from 0) modulo COUNT\n"
           "                      is INDEX, for one of COUNT workers sharing a list\n"
           "  --skip-existing     count an existing " +
           outputKind +
           " as done (exit status 0; a link\n"
           "                      that leads nowhere is no " +
           outputKind +
           ")\n"
           "  --max-input SIZE    read at most SIZE bytes of standard input (K, M or G\n"
           "                      for KiB, MiB or GiB); it stops anyway when less than\n"
           "                      1 % of $TMPDIR's file system (256 MB at most) is free\n"
           "  --json              print one JSON object a FILE on standard output instead\n"
           "                      of the written paths\n";
}

}  // namespace leafwright::cli
