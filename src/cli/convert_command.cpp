#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/combine_command.h"
#include "cli/commands.h"
#include "cli/convert_options.h"
#include "cli/convert_settings.h"
#include "cli/file_command.h"
#include "cli/more_setting_options.h"
#include "core/fonts/tab_stops.h"
#include "core/pdf/conversion_run.h"
#include "core/settings/conversion_settings.h"

namespace leafwright::cli {

namespace {

void printConvertHelp() {
    std::cout << "Usage: leafwright-cli convert [OPTIONS] FILE...\n"
                 "       leafwright-cli convert [OPTIONS] --files-from LIST [FILE...]\n"
                 "       leafwright-cli convert [OPTIONS] - -o OUT.pdf   (or -o - for stdout)\n"
                 "       leafwright-cli convert [OPTIONS] --combine OUT.pdf FILE...\n"
                 "\n"
                 "Turns each text FILE into a PDF 1.3 document. The PDF's name is the\n"
                 "file name with its last three characters replaced by \"pdf\"\n"
                 "(notes.txt -> notes.pdf; a shorter name gets \".pdf\" added), beside the\n"
                 "source unless --output-dir or -o is given. Sources are read as UTF-8\n"
                 "when they are valid UTF-8, otherwise as Windows-1252. A text whose\n"
                 "characters all have a Mac OS Roman code and that holds no tab is written\n"
                 "with the standard PDF font, as always; any other character is drawn\n"
                 "from embedded subsets of free fonts (Liberation for Times, Helvetica\n"
                 "and Courier, other installed TrueType faces for what they lack). A\n"
                 "character no installed font has prints as \"?\", and the\n"
                 "file gets the warning \"N characters could not be printed (shown as ?)\".\n"
                 "On fixed pages a file with lines wider than the page's text area gets\n"
                 "the warning \"N lines run past the right edge of the page (see --wrap)\"\n"
                 "unless they are wrapped.\n"
                 "A tab moves to the next stop, every "
              << kSpacesPerTabStop
              << " spaces from the line's start.\n"
                 "\n"
                 "Options:\n"
                 "  --config FILE.tcf   take the settings from a configuration file (twelve\n"
                 "                      lines: page style, font, size, colours, rotation,\n"
                 "                      margins, landscape, folder, self-adapting page);\n"
                 "                      without it the start-up settings are used (A4\n"
                 "                      portrait, margins 36, Times-Roman 14, black on white)\n"
                 "  --output-dir DIR    write the PDFs into the existing folder DIR\n"
                 "  --title T           document title\n"
                 "  --author A          document author\n"
                 "  --subject S         document subject\n"
                 "  --keywords K        document keywords\n"
                 "  --creator C         document producer (default: the program's own name;\n"
                 "                      an empty C leaves it empty)\n"
              << "  --combine OUT.pdf   write every FILE, in the order given, into the one PDF\n"
                 "                      OUT.pdf, each from a new page, with a bookmark\n"
                 "                      (outline item) named after each file; a FILE that\n"
                 "                      fails leaves no OUT.pdf (an old one stays as it was)\n"
              << "  --force             replace PDFs that already exist (default: skip them)\n"
              << runOptionsHelp("PDF")
              << "  -h, --help          show this help\n"
                 "  --                  end of options: every later argument is a FILE\n"
                 "\n"
              << moreSettingOptionsHelp()
              << "\n"
                 "An option's value may also be given as --title=T.\n"
                 "The FILE \"-\" is standard input (it needs -o); a file called \"-\" is\n"
                 "named ./- instead. Standard input is first copied to a file without a\n"
                 "name under $TMPDIR, which no signal (SIGKILL included) leaves behind.\n"
                 "\n"
                 "Each written PDF's path is printed on standard output, one per line\n"
                 "(with -o - standard output carries only the document); messages go to\n"
                 "standard error as \"leafwright-cli: FILE: cause\".\n"
                 "A file that fails does not stop the others.\n"
                 "\n"
                 "With --combine, the settings (page style, fonts, the self-adapting page:\n"
                 "then one page of its own size a file) apply to every FILE, the fonts are\n"
                 "embedded once for the whole document, and --combine-duplex starts each\n"
                 "file on an odd page (a blank page is added where needed). Each FILE is\n"
                 "read twice, first to count its pages; one that fails, or that changes\n"
                 "between the two readings, is named and ends the run without an output.\n"
                 "The outline item names are the files' names (the part after the last\n"
                 "\"/\"); \"leafwright-cli unspool --split\" gives each file back from them.\n"
                 "\n"
                 "Exit status:\n"
                 "  0  every FILE was converted (or, with --skip-existing, its PDF exists)\n"
                 "  1  a FILE was skipped (its PDF exists) or failed\n"
                 "  2  usage error or rejected settings (nothing converted)\n";
}

}  // namespace

int runConvert(const std::vector<std::string>& args) {
    const ParsedConvertOptions parsed = parseConvertOptions(args);
    const ConvertOptions& options = parsed.options;
    if (!parsed.error.empty()) {
        printError(parsed.error + " (try 'leafwright-cli convert --help')");
        return kExitUsage;
    }
    if (options.help) {
        printConvertHelp();
        return kExitOk;
    }
    const std::string problem = options.combine ? combineOptionsProblem(options)
                                                : runOptionsProblem(options.run, options.files,
                                                                    options.outputDir.has_value());
    if (!problem.empty()) {
        printError(problem + " (try 'leafwright-cli convert --help')");
        return kExitUsage;
    }
    if (options.configPath && *options.configPath == "-") {
        printError("-: reading settings from standard input is not supported");
        return kExitUsage;
    }

    ConversionSettings settings;
    if (int status = prepareSettings(options, settings); status != kExitOk) return status;
    if (options.combine) return runCombine(options, settings);
    FileCommand command;
    command.activity = "converting";
    command.outputExtension = "pdf";
    // Every job takes its faces from one provider, so they are read once.
    std::shared_ptr<FontProvider> fonts = runFonts(settings);
    command.makeSteps = [&settings, fonts](unsigned threadsPerFile) {
        // Each job works on its own copy of the settings (the self-adapting
        // layout stores the page size it computes into them).
        auto own = std::make_shared<ConversionSettings>(settings);
        // Both steps refer to that copy, so each keeps it alive.
        SourceThreads threads;
        threads.threads = threadsPerFile;
        FileRunSteps steps = conversionSteps(*own, threads, fonts);
        steps.outputPathOf = [own, name = steps.outputPathOf](const std::string& source) {
            return name(source);
        };
        steps.convertOne = [own, convert = steps.convertOne](const std::string& source,
                                                             const std::string& output,
                                                             const ReplaceQuestion& mayReplace) {
            return convert(source, output, mayReplace);
        };
        return steps;
    };
    return runFileCommand(options.run, options.files, command);
}

}  // namespace leafwright::cli
