#!/usr/bin/env python3
"""Generates src/core/fonts/unicode_tables.cpp from the Unicode Character
Database, version 15.0.0, as Debian's `unicode-data` package installs it
(/usr/share/unicode).

Three tables come out of it:
- column widths: 2 for East Asian Wide (W) and Fullwidth (F) characters,
  0 for nonspacing (Mn) and enclosing (Me) marks, 1 for everything else
  (a mark that is also wide counts 0);
- the Default_Ignorable_Code_Point ranges, characters that draw nothing;
- the characters whose lines need shaping: every combining mark (Mn, Mc,
  Me), the right-to-left characters and the explicit direction controls
  (Bidi_Class R, AL, RLE, RLO, LRE, LRO, PDF, RLI, LRI, FSI, PDI), and the
  scripts of SHAPED_SCRIPTS (Scripts.txt), whose letters reorder, join or
  stack.

Run it again only with the same Unicode version, or change the version here
and in the generated comment together:
    python3 scripts/generate-unicode-tables.py > src/core/fonts/unicode_tables.cpp
"""

import re
import sys

UNICODE_VERSION = "15.0.0"
UCD = "/usr/share/unicode"

RANGE_LINE = re.compile(r"^([0-9A-F]+)(?:\.\.([0-9A-F]+))?\s*;\s*([A-Za-z_]+)")


def check_version(path):
    with open(path, encoding="utf-8") as f:
        first = f.readline()
    if UNICODE_VERSION not in first:
        sys.exit(f"{path} is not Unicode {UNICODE_VERSION}: {first.strip()}")


def property_ranges(name, wanted):
    path = f"{UCD}/{name}"
    check_version(path)
    with open(path, encoding="utf-8") as f:
        for line in f:
            match = RANGE_LINE.match(line)
            if match and match.group(3) in wanted:
                first = int(match.group(1), 16)
                last = int(match.group(2) or match.group(1), 16)
                yield first, last


def mark_code_points():
    marks = set()
    range_start = None
    with open(f"{UCD}/UnicodeData.txt", encoding="utf-8") as f:
        for line in f:
            fields = line.split(";")
            code, name, category = int(fields[0], 16), fields[1], fields[2]
            if category not in ("Mn", "Me"):
                continue
            if name.endswith("First>"):
                range_start = code
            elif name.endswith("Last>"):
                marks.update(range(range_start, code + 1))
            else:
                marks.add(code)
    return marks


# Scripts whose letters change shape or order with their neighbours: the
# right-to-left scripts of today (their historic ones come in through their
# bidirectional class), the Indic and other Brahmic scripts, those of
# South-East Asia, and the joining scripts written left to right.
SHAPED_SCRIPTS = {
    "Arabic", "Hebrew", "Syriac", "Thaana", "Nko", "Samaritan", "Mandaic", "Adlam",
    "Hanifi_Rohingya",
    "Devanagari", "Bengali", "Gurmukhi", "Gujarati", "Oriya", "Tamil", "Telugu", "Kannada",
    "Malayalam", "Sinhala", "Tibetan", "Limbu", "Lepcha", "Meetei_Mayek", "Syloti_Nagri",
    "Saurashtra", "Kaithi", "Sharada", "Takri", "Khojki", "Khudawadi", "Grantha", "Tirhuta",
    "Modi", "Siddham", "Newa", "Dogra", "Nandinagari", "Zanabazar_Square", "Soyombo",
    "Bhaiksuki", "Marchen", "Masaram_Gondi", "Gunjala_Gondi", "Ahom", "Chakma", "Mahajani",
    "Brahmi", "Dives_Akuru", "Kawi", "Thai", "Lao", "Myanmar", "Khmer", "Tai_Le",
    "New_Tai_Lue", "Tai_Tham", "Tai_Viet", "Balinese", "Javanese", "Sundanese", "Batak",
    "Buginese", "Makasar", "Rejang", "Cham", "Kayah_Li", "Hanunoo", "Buhid", "Tagalog",
    "Tagbanwa", "Mongolian", "Phags_Pa",
}
SHAPED_BIDI_CLASSES = {"R", "AL", "RLE", "RLO", "LRE", "LRO", "PDF", "RLI", "LRI", "FSI", "PDI"}


def unicode_data():
    """(code point, category, bidi class) of every assigned character."""
    range_start = None
    with open(f"{UCD}/UnicodeData.txt", encoding="utf-8") as f:
        for line in f:
            fields = line.split(";")
            code, name, category, bidi = int(fields[0], 16), fields[1], fields[2], fields[4]
            if name.endswith("First>"):
                range_start = code
                continue
            first = range_start if name.endswith("Last>") else code
            for c in range(first, code + 1):
                yield c, category, bidi


def shaping_code_points():
    shaped = {code for first, last in property_ranges("Scripts.txt", SHAPED_SCRIPTS)
              for code in range(first, last + 1)}
    for code, category, bidi in unicode_data():
        if category in ("Mn", "Mc", "Me") or bidi in SHAPED_BIDI_CLASSES:
            shaped.add(code)
    return shaped


def merged(code_points_with_value):
    """Runs of consecutive code points with the same value."""
    runs = []
    for code in sorted(code_points_with_value):
        value = code_points_with_value[code]
        if runs and runs[-1][1] == code - 1 and runs[-1][2] == value:
            runs[-1][1] = code
        else:
            runs.append([code, code, value])
    return runs


def main():
    widths = {}
    for first, last in property_ranges("EastAsianWidth.txt", {"W", "F"}):
        for code in range(first, last + 1):
            widths[code] = 2
    for code in mark_code_points():
        widths[code] = 0
    width_runs = merged(widths)
    ignorable_runs = merged(
        {code: 1 for first, last in
         property_ranges("DerivedCoreProperties.txt", {"Default_Ignorable_Code_Point"})
         for code in range(first, last + 1)})

    shaping_runs = merged({code: 1 for code in shaping_code_points()})

    out = sys.stdout
    out.write("// Generated by scripts/generate-unicode-tables.py from the Unicode Character\n")
    out.write(f"// Database {UNICODE_VERSION} (EastAsianWidth.txt, UnicodeData.txt,\n")
    out.write("// DerivedCoreProperties.txt, Scripts.txt). Do not edit by hand.\n\n")
    # One range a line, as generated, so that a new Unicode version reads as
    # a plain diff; clang-format would pack them.
    out.write("// clang-format off\n")
    out.write('#include "core/fonts/unicode_tables.h"\n\nnamespace leafwright {\nnamespace {\n\n')
    out.write("constexpr ColumnWidthRange kColumnWidthRanges[] = {\n")
    for first, last, value in width_runs:
        out.write("    {0x%04X, 0x%04X, %d},\n" % (first, last, value))
    out.write("};\n\n")
    out.write("constexpr CodePointRange kDefaultIgnorableRanges[] = {\n")
    for first, last, _ in ignorable_runs:
        out.write("    {0x%04X, 0x%04X},\n" % (first, last))
    out.write("};\n\n")
    out.write("constexpr CodePointRange kShapingRanges[] = {\n")
    for first, last, _ in shaping_runs:
        out.write("    {0x%04X, 0x%04X},\n" % (first, last))
    out.write("};\n\n}  // namespace\n\n")
    out.write(f'const char* unicodeTablesVersion() {{ return "{UNICODE_VERSION}"; }}\n\n')
    out.write("std::span<const ColumnWidthRange> columnWidthRanges() { return kColumnWidthRanges; }\n\n")
    out.write("std::span<const CodePointRange> defaultIgnorableRanges() {\n"
              "    return kDefaultIgnorableRanges;\n}\n\n"
              "std::span<const CodePointRange> shapingRanges() { return kShapingRanges; }\n\n"
              "}  // namespace leafwright\n"
              "// clang-format on\n")
    sys.stderr.write(f"{len(width_runs)} width ranges, {len(ignorable_runs)} ignorable ranges, "
                     f"{len(shaping_runs)} shaping ranges\n")


if __name__ == "__main__":
    main()
