#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/pdf/page_content.h"
#include "core/pdf/shown_lines.h"
#include "core/text/source_text.h"

namespace leafwright {

// Content that is not held goes to the file in pieces of about this size.
inline constexpr std::size_t kContentPieceBytes = 1 << 16;

// Appends to buffer the content-stream lines that show the source's next
// lineCount lines: plain strings of the standard font, or, with shown, as
// ShownLines writes them. The buffer is handed to take(bytes) and emptied
// whenever it holds spillAt bytes or more. Returns true with the rest of the
// bytes in buffer, or false as soon as take returns false. Every way a
// page's content is measured or written goes through here, so that the
// bytes counted are the bytes written and no line is ever held whole.
template <typename Take>
bool produceLines(SourceText& source, std::uint64_t lineCount, std::string& buffer,
                  std::size_t spillAt, Take take, ShownLines* shown = nullptr) {
    auto spillWhenFull = [&] {
        if (buffer.size() < spillAt) return true;
        if (!take(std::string_view(buffer))) return false;
        buffer.clear();
        return true;
    };
    std::string piece;
    const SourceEncoding encoding = source.summary().encoding;
    for (std::uint64_t i = 0; i < lineCount; ++i) {
        if (!shown) {
            // Plain ASCII lines read whole go at once; the one they stop
            // at, if any, goes piece by piece below.
            i += source.appendAsciiLines(buffer, lineCount - i, spillAt, ContentFrame::kLineStart,
                                         ContentFrame::kLineEnd);
            if (!spillWhenFull()) return false;
            if (i == lineCount) break;
        }
        // Fewer lines than counted throw; this is only a guard.
        if (!source.startLine()) return false;
        if (shown) {
            shown->beginLine(buffer);
            bool more;
            do {
                piece.clear();
                more = source.appendRawLinePiece(piece);
                shown->add(buffer, piece, encoding);
                if (!shown->holdsLine() && !spillWhenFull()) return false;
            } while (more);
            shown->endLine(buffer);
        } else {
            buffer.append(ContentFrame::kLineStart);
            while (source.appendLinePiece(buffer))
                if (!spillWhenFull()) return false;
            buffer.append(ContentFrame::kLineEnd);
        }
        if (!spillWhenFull()) return false;
    }
    return true;
}

// The whole content of a page that shows the source's next lineCount lines
// (exactly what follows the "stream" keyword), produced as produceLines does.
template <typename Take>
bool produceContent(const ContentFrame& frame, SourceText& source, std::uint64_t lineCount,
                    std::string& buffer, std::size_t spillAt, Take take,
                    ShownLines* shown = nullptr) {
    frame.begin(buffer);
    if (shown) shown->beginPage();
    if (!produceLines(source, lineCount, buffer, spillAt, take, shown)) return false;
    ContentFrame::end(buffer);
    return true;
}

}  // namespace leafwright
