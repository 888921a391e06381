#include "cli/more_setting_options.h"

#include <algorithm>
#include <string_view>

namespace leafwright::cli {

namespace {

// The settings that are on when their option stands alone.
bool isFlag(std::string_view name) {
    return name == "compress" || name == "combine-duplex";
}

bool isMoreSetting(std::string_view name) {
    const auto names = moreSettingNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

bool readMoreSettingOption(const std::vector<std::string>& args, std::size_t& i,
                           std::vector<SettingOverride>& overrides, std::string& error) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) return false;
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
    if (!isMoreSetting(name)) return false;

    std::string value;
    if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
    } else if (isFlag(name)) {
        value = "TRUE";
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        error = "option '--" + name + "' needs a value";
        return true;
    }
    // The same check as for a line of a configuration file.
    MoreSettings scratch;
    if (setMoreSetting(scratch, name, value) != MoreSettingCheck::Taken) {
        error = "--" + moreSettingRefusal(name, value);
        return true;
    }
    overrides.push_back({name, std::move(value)});
    return true;
}

void applyOverrides(const std::vector<SettingOverride>& overrides, MoreSettings& settings) {
    for (const SettingOverride& given : overrides)
        setMoreSetting(settings, given.name, given.value);
}

std::string moreSettingOptionsHelp() {
    return "Settings a configuration file keeps after its twelve lines, under the same\n"
           "names (wrap=word); each option overrides the file's line:\n"
           "  --wrap=MODE         lines wider than the page: none (default: they run\n"
           "                      past its edge), word, char or word-char\n"
           "  --wrap-mark=MARK    a wrapped line's continuations: arrow (default), none\n"
           "  --form-feed=MODE    a form feed: ignore (default) or page (a new page)\n"
           "  --header=TEMPLATE   a header on every page: up to three fields,\n"
           "                      left|centre|right, with {page}, {pages}, {sheet},\n"
           "                      {sheets}, {file}, {path}, {title}, {date}, {mtime},\n"
           "                      {page:03}, {date:%d.%m.%Y} (default: none)\n"
           "  --footer=TEMPLATE   a footer, alike (default: none)\n"
           "  --header-rule=FLAG  a rule between header, footer and text: TRUE\n"
           "                      (default) or FALSE\n"
           "  --line-numbers=N    number every N-th line (default 0: no numbers)\n"
           "  --line-number-start=K  the number of the first line (default 1)\n"
           "  --font-family=NAME  an installed font family (fontconfig) instead of the\n"
           "                      standard font (default: the standard font)\n"
           "  --font-file=PATH    a font file instead of the standard font (not kept in\n"
           "                      a configuration file)\n"
           "  --encoding=NAME     the sources' encoding: a name iconv knows, or auto\n"
           "                      (default: UTF-8 when valid, else Windows-1252)\n"
           "  --compress          compress the PDF's page content, fonts and text maps\n"
           "                      with FlateDecode (--compress=FALSE: not, the default);\n"
           "                      unspool reads them back exactly\n"
           "  --combine-duplex    a combined PDF starts each file on an odd page\n"
           "                      (--combine-duplex=FALSE: not)\n";
}

}  // namespace leafwright::cli
