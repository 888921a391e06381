#include "core/pdf/conversion_run.h"

#include "core/pdf/paginated_layout.h"
#include "core/pdf/pdf_writer.h"
#include "core/pdf/single_page_layout.h"
#include "core/pdf/text_measure.h"
#include "core/platform/own_source.h"
#include "core/platform/text_file_reader.h"
#include "core/platform/text_file_writer.h"

namespace leafwright {

std::string outputPathFor(const std::string& sourcePath, const std::string& outputFolder) {
    std::size_t keep = sourcePath.size() >= 3 ? sourcePath.size() - 3 : 0;
    std::string path = sourcePath.substr(0, keep) + "pdf";
    if (outputFolder == kDefaultPath) return path;

    std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? "/" + path : path.substr(slash);
    if (!outputFolder.empty() && outputFolder.back() == '/') name.erase(0, 1);
    return outputFolder + name;
}

bool convertFile(const std::string& sourcePath, const std::string& outputPath,
                 ConversionSettings& settings, const ReplaceQuestion& mayReplace,
                 FileRunStepResult* facts) {
    TextFileReader source(sourcePath);
    // Linux lets a file be replaced while it is open, so a source whose output
    // name is its own name (or a link to it) would be destroyed.
    refuseOutputOverSource(sourcePath, outputPath, source.device(), source.inode());

    if (settings.chosen.selfAdaptation == 1) {
        TextMeasure measure(settings.fontSizeValue);
        SinglePage page = layOutSinglePage(source, settings, measure);
        TextFileWriter output(outputPath);
        writeSinglePagePdf(output, settings, page.streamLength(),
                           [&](TextFileWriter& file) { page.writeContent(file); });
        if (facts) *facts = {true, {}, output.position(), 1};
        return output.commit(mayReplace);
    }
    PaginatedPages pages = layOutPages(source, settings);
    TextFileWriter output(outputPath);
    writePageTreePdf(output, settings, pages);
    if (facts) *facts = {true, {}, output.position(), pages.pageCount()};
    return output.commit(mayReplace);
}

void runConversion(const std::vector<std::string>& sources, ConversionSettings& settings,
                   ConversionRunHandler& handler) {
    runOverFiles(sources, conversionSteps(settings), handler);
}

FileRunSteps conversionSteps(ConversionSettings& settings) {
    FileRunSteps steps;
    steps.outputPathOf = [&](const std::string& source) {
        return outputPathFor(source, settings.outputFolder);
    };
    steps.convertOne = [&](const std::string& source, const std::string& output,
                           const ReplaceQuestion& mayReplace) {
        FileRunStepResult result;
        result.placed = convertFile(source, output, settings, mayReplace, &result);
        return result;
    };
    return steps;
}

}  // namespace leafwright
