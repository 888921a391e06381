#include "core/settings/messages.h"

namespace leafwright {

std::string messageText(int id) {
    switch (id) {
        case kNoItemsSelected:
            return "No items were selected!";
        case kFileCannotBeOpened:
            return "The file is unable to be opened!";
        case kTopMarginIllegal:
            return "The top margin are illegal!";
        case kLeftMarginIllegal:
            return "The left margin are illegal!";
        case kPathDoesNotExist:
            return "The path dose not exist!";
        case kTopMarginOutOfRange:
            return "The top margin go beyond the range!  ";
        case kLeftMarginOutOfRange:
            return "The left margin go beyond the range!  ";
        case kTextListEmpty:
            return "The .txt files list is empty!";
        case kOverwriteQuestion:
            return "That already file exists. Overwrite it?";
        case kPdfListEmpty:
            return "The .pdf files list is empty!";
        default:
            return {};
    }
}

}  // namespace leafwright
