#pragma once

#include <string>

namespace leafwright {

// The program's own messages, by their numbers. The window shows them in
// message boxes; the command line prints them.
enum MessageId : int {
    kNoItemsSelected = 1,
    kFileCannotBeOpened = 2,
    kTopMarginIllegal = 5,
    kLeftMarginIllegal = 6,
    kPathDoesNotExist = 7,
    kTopMarginOutOfRange = 8,
    kLeftMarginOutOfRange = 9,
    kTextListEmpty = 10,
    kOverwriteQuestion = 11,
    kPdfListEmpty = 13,
};

// The text of a message; an empty text for a number the table lacks.
std::string messageText(int id);

}  // namespace leafwright
