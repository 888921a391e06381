#include "core/plustools/pdf_object.h"

#include <gtest/gtest.h>

#include <string>

#include "core/platform/text_file_reader.h"
#include "core/plustools/pdf_file.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

// The object written back in one plain form, to compare whole objects.
std::string describe(const PdfObject& object) {
    switch (object.kind()) {
        case PdfObject::Kind::Null:
            return "null";
        case PdfObject::Kind::Boolean:
            return "bool";
        case PdfObject::Kind::Integer:
            return std::to_string(*object.integerValue());
        case PdfObject::Kind::Real:
            return "real";
        case PdfObject::Kind::Name:
            return "/" + object.text();
        case PdfObject::Kind::String:
            return "(" + object.text() + ")";
        case PdfObject::Kind::Reference:
            return std::to_string(object.referenceValue().number) + "R" +
                   std::to_string(object.referenceValue().generation);
        case PdfObject::Kind::Array: {
            std::string out = "[";
            for (const PdfObject& item : object.items()) out += describe(item) + " ";
            return out + "]";
        }
        case PdfObject::Kind::Dictionary: {
            std::string out = "<<";
            for (const auto& [key, value] : object.entries())
                out += key + "=" + describe(value) + " ";
            return out + ">>";
        }
    }
    return "?";
}

std::string parsed(const std::string& text) {
    const std::string bytes = text + " ";
    PdfParser parser(bytes);
    return describe(parser.object());
}

TEST(PdfParser, ReadsObjectsAsPdfWritesThem) {
    EXPECT_EQ(parsed("<< /A#20B 12 0 R /N [1 -2 +3 4.5 .5] /Z null /T true >>"),
              "<<A B=12R0 N=[1 -2 3 real real ] T=bool >>");
    // Literal strings: escapes, balanced parentheses, octal, line ends.
    EXPECT_EQ(parsed("(a\\(b\\)\\\\c\\n\\101\\0x (in) \\\nd\r\ne)"),
              std::string("(a(b)\\c\nA") + '\0' + "x (in) d\ne)");
    EXPECT_EQ(parsed("<41 42 4>"), "(AB@)");
    EXPECT_EQ(parsed("[1 2 3 R 4 0 R]"), "[1 2R3 4R0 ]");
    EXPECT_EQ(parsed("%comment\n[/a/b(c)]"), "[/a /b (c) ]");
    // Bytes that end before the object does say so; nonsense does not.
    for (const char* cut : {"<< /A 1", "(open", "[1 2", "<4142", "12 0"}) {
        try {
            PdfParser parser(cut);
            parser.object();
            if (std::string(cut) != "12 0") ADD_FAILURE() << cut;
        } catch (const PdfSyntaxError& error) {
            EXPECT_TRUE(error.cutShort()) << cut;
        }
    }
    for (const char* bad : {">> x", "<< 1 2 >>", "<4G>", "foo"}) {
        try {
            PdfParser(std::string(bad) + " ").object();
            ADD_FAILURE() << bad;
        } catch (const PdfSyntaxError& error) {
            EXPECT_FALSE(error.cutShort()) << bad;
        }
    }
    // Hostile nesting and width are refused, not followed.
    EXPECT_THROW(parsed(std::string(100, '[') + std::string(100, ']')), PdfSyntaxError);
    std::string wide = "[";
    for (std::size_t k = 0; k <= PdfParser::kMaxItems; ++k) wide += "0 ";
    EXPECT_THROW(parsed(wide + "]"), PdfSyntaxError);
}

// An object larger than the first window is read whole; one larger than
// the limit is refused; a stream's data begins after its keyword's line end.
TEST(PdfFile, ReadsObjectsOfAnySizeUpToItsLimit) {
    testing::TempDir dir;
    std::string names;
    for (int k = 0; k < 20000; ++k)
        names += "/N" + std::to_string(k) + " " + std::to_string(k) + " ";
    const std::string large = "7 0 obj\n<< " + names + " >>\nstream\r\nDATA\nendstream\nendobj\n";
    std::string huge = "8 0 obj\n[";
    while (huge.size() < PdfFile::kMaxObjectBytes + 10) huge += "(filler text) ";
    testing::writeBytes(dir.file("a.pdf"), large + huge + "]\nendobj\n");
    TextFileReader reader(dir.file("a.pdf"));
    PdfFile file(reader);
    const PdfFile::IndirectObject object = file.objectAt(0);
    EXPECT_EQ(object.reference.number, 7u);
    EXPECT_EQ(object.value.entries().size(), 20000u);
    EXPECT_EQ(*object.value.find("N19999")->integerValue(), 19999);
    ASSERT_TRUE(object.streamData);
    EXPECT_EQ(file.bytesAt(*object.streamData, 4), "DATA");
    EXPECT_THROW(file.objectAt(large.size()), PdfSyntaxError);
}

}  // namespace
}  // namespace leafwright
