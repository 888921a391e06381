#pragma once

#include <cstdint>
#include <string>

#include "core/platform/text_file_writer.h"
#include "core/settings/conversion_settings.h"

namespace leafwright {

// The furniture that every page of a source repeats, written once as a form
// XObject that the pages call: its box is the page's, its resources the
// pages' fonts (fontResources, as a page names them) and procedure set
// (object procSet). content is the form's stream as it stands, CR LF lines.
void writeFurnitureForm(TextFileWriter& out, std::uint64_t object, const ConversionSettings& s,
                        const std::string& fontResources, std::uint64_t procSet,
                        const std::string& content);

// What a page's resources add for the form named name (as "/Fu"), object
// `object`: " /XObject << /Fu N 0 R >>".
std::string furnitureFormResource(std::string_view name, std::uint64_t object);

}  // namespace leafwright
