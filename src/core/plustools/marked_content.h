#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace leafwright {

// Follows the marked content of a page's content, token by token, for the
// three uses Unspool makes of it: page furniture (headers, footers, line
// numbers, wrap marks) stands in "/Artifact BMC … EMC" (or "/Artifact <<…>>
// BDC" / "/Artifact /Name BDC" … "EMC") and is not text of the source; a
// point "/LwCont MP" stands before a row that goes on the line before it, and
// "/LwFF MP" where a form feed stood. Nested sequences inside an artifact
// are counted so that its own "EMC" ends it; every other marked content, and
// every mark inside an artifact, means nothing here.
class MarkedContent {
  public:
    enum class Mark { None, Continuation, FormFeed };

    // A name (without its "/"), as an operand of the next operator.
    void name(std::string_view name, bool tooLong);
    // A word: a number or keyword is an operand, anything else an operator.
    // Returns the mark a marked-content point makes.
    Mark word(std::string_view word, bool tooLong);

    // Inside page furniture: nothing shown here is text of the source.
    bool inArtifact() const noexcept { return depth_ > 0; }
    // A page's content ends: an artifact left open ends with it.
    void endPage() noexcept {
        depth_ = 0;
        firstName_ = FirstName::None;
    }

  private:
    // What the first name operand of the operator to come is.
    enum class FirstName { None, Artifact, Continuation, FormFeed, Other };

    std::int64_t depth_ = 0;  // sequences open inside the outermost artifact, it included
    FirstName firstName_ = FirstName::None;
};

}  // namespace leafwright
