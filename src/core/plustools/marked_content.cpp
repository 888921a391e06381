#include "core/plustools/marked_content.h"

namespace leafwright {

namespace {

// Numbers, booleans and null are operands; every other word is an operator.
bool isOperand(std::string_view word) {
    const char first = word.front();
    if ((first >= '0' && first <= '9') || first == '+' || first == '-' || first == '.') return true;
    return word == "true" || word == "false" || word == "null";
}

}  // namespace

void MarkedContent::name(std::string_view name, bool tooLong) {
    if (firstName_ != FirstName::None) return;
    if (tooLong)
        firstName_ = FirstName::Other;
    else if (name == "Artifact")
        firstName_ = FirstName::Artifact;
    else if (name == "LwCont")
        firstName_ = FirstName::Continuation;
    else if (name == "LwFF")
        firstName_ = FirstName::FormFeed;
    else
        firstName_ = FirstName::Other;
}

MarkedContent::Mark MarkedContent::word(std::string_view word, bool tooLong) {
    if (word.empty() || (!tooLong && isOperand(word))) return Mark::None;
    const FirstName first = firstName_;
    firstName_ = FirstName::None;
    if (tooLong) return Mark::None;
    if (word == "BMC" || word == "BDC") {
        if (depth_ > 0 || first == FirstName::Artifact) ++depth_;
    } else if (word == "EMC") {
        if (depth_ > 0) --depth_;
    } else if (word == "MP" && depth_ == 0) {
        if (first == FirstName::Continuation) return Mark::Continuation;
        if (first == FirstName::FormFeed) return Mark::FormFeed;
    }
    return Mark::None;
}

}  // namespace leafwright
