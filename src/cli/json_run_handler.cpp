#include "cli/json_run_handler.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "cli/standard_output.h"
#include "core/pdf/lines_past_edge.h"

namespace leafwright::cli {

namespace {

using Json = nlohmann::ordered_json;

bool isUtf8(const std::string& text) {
    try {
        (void)Json(text).dump();
        return true;
    } catch (const Json::type_error&) {
        return false;
    }
}

std::string hexOf(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex;
}

// Sets object[key] to the name, and object[key + "_hex"] to its bytes when
// JSON cannot carry them as they are.
void putName(Json& object, const std::string& key, const std::string& name) {
    object[key] = name;
    if (!isUtf8(name)) object[key + "_hex"] = hexOf(name);
}

void print(const Json& object) {
    printOutputLine(object.dump(-1, ' ', false, Json::error_handler_t::replace));
}

}  // namespace

void JsonRunHandler::convertedWithFacts(const std::string& sourcePath,
                                        const std::string& outputPath, const FileRunFacts& facts) {
    noteConverted();
    Json object;
    putName(object, "source", shown(sourcePath));
    putName(object, "output", shown(outputPath));
    object["status"] = "written";
    if (facts.pages) object["pages"] = *facts.pages;
    if (facts.wrappedLines) object["wrapped_lines"] = *facts.wrappedLines;
    if (facts.linesPastEdge) object["past_edge_lines"] = *facts.linesPastEdge;
    object["bytes"] = facts.bytes;
    object["seconds"] = facts.seconds;
    if (!facts.encoding.empty()) object["encoding"] = facts.encoding;
    object["warnings"] = Json::array();
    if (!facts.warning.empty()) object["warnings"].push_back(facts.warning);
    if (facts.linesPastEdge.value_or(0) > 0)
        object["warnings"].push_back(linesPastEdgeWarning(*facts.linesPastEdge));
    if (!facts.parts.empty()) {
        object["parts"] = Json::array();
        for (const std::string& part : facts.parts) object["parts"].push_back(shown(part));
    }
    if (!facts.sources.empty()) {
        // A document of many sources: what each came to, in their order.
        object["sources"] = Json::array();
        for (const SourceRunFacts& source : facts.sources) {
            Json one;
            putName(one, "source", shown(source.path));
            if (source.linesPastEdge) one["past_edge_lines"] = *source.linesPastEdge;
            one["warnings"] = Json::array();
            if (!source.warning.empty()) one["warnings"].push_back(source.warning);
            if (source.linesPastEdge.value_or(0) > 0)
                one["warnings"].push_back(linesPastEdgeWarning(*source.linesPastEdge));
            object["sources"].push_back(std::move(one));
        }
    }
    print(object);
}

void JsonRunHandler::declined(const std::string& sourcePath, const std::string& outputPath) {
    Json object;
    putName(object, "source", shown(sourcePath));
    putName(object, "output", shown(outputPath));
    if (const char* cause = notDoneCause(outputPath)) {
        object["status"] = "skipped";
        object["message"] = shown(outputPath) + cause;
        noteNotDone();
    } else {
        object["status"] = "exists";
    }
    print(object);
}

bool JsonRunHandler::failed(const std::string& sourcePath, const FileError& error) {
    Json object;
    putName(object, "source", shown(sourcePath));
    try {
        // A source without an output name says so by leaving it out.
        if (const std::string output = outputPathOf_(sourcePath); !output.empty())
            putName(object, "output", shown(output));
    } catch (const std::exception&) {
    }
    object["status"] = "failed";
    object["message"] =
        failureText(sourcePath, error, [](const std::string& name) { return name; });
    print(object);
    noteNotDone();
    return true;
}

}  // namespace leafwright::cli
