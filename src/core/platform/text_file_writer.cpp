#include "core/platform/text_file_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/platform/file_error.h"
#include "core/platform/run_watch.h"

namespace leafwright {

namespace {

constexpr std::size_t kBufferSize = 1 << 18;
// The buffer starts small and grows up to kBufferSize, so a small file does
// not pay for clearing a large buffer.
constexpr std::size_t kFirstBufferSize = 1 << 13;

}  // namespace

TextFileWriter::TextFileWriter(std::string targetPath)
    : targetPath_(std::move(targetPath)), output_(targetPath_) {
    buffer_.resize(kFirstBufferSize);
}

TextFileWriter::~TextFileWriter() = default;

void TextFileWriter::fail(int errorNumber) {
    open_ = false;
    output_.discard();
    throw FileError::fromErrno(targetPath_, errorNumber);
}

void TextFileWriter::flush() {
    std::size_t done = 0;
    while (done < used_) {
        ssize_t wrote = ::write(output_.fd(), buffer_.data() + done, used_ - done);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        done += static_cast<std::size_t>(wrote);
    }
    used_ = 0;
}

void TextFileWriter::writeRaw(std::string_view bytes) {
    if (!open_) throw FileError(targetPath_, "is not open for writing");
    position_ += bytes.size();
    while (!bytes.empty()) {
        if (used_ == buffer_.size()) {
            if (buffer_.size() < kBufferSize) {
                buffer_.resize(std::min(buffer_.size() * 4, kBufferSize));
            } else {
                // A cancelled run abandons the file here; the temporary file
                // goes with the writer. The commit's own flush is no such
                // point: a file that is committing is finished.
                throwIfRunCancelled();
                flush();
            }
        }
        std::size_t room = buffer_.size() - used_;
        std::size_t take = bytes.size() < room ? bytes.size() : room;
        std::memcpy(buffer_.data() + used_, bytes.data(), take);
        used_ += take;
        bytes.remove_prefix(take);
    }
}

void TextFileWriter::write(std::string_view text) {
    // Most texts (a page's objects, say) fit in the buffer's room even
    // with every LF doubled: they are turned into CR LF right there.
    if (open_ && 2 * text.size() <= buffer_.size() - used_) {
        char* out = buffer_.data() + used_;
        for (char c : text) {
            if (c == '\n') *out++ = '\r';
            *out++ = c;
        }
        const auto written = static_cast<std::size_t>(out - (buffer_.data() + used_));
        used_ += written;
        position_ += written;
        return;
    }
    for (;;) {
        std::size_t lf = text.find('\n');
        if (lf == std::string_view::npos) {
            writeRaw(text);
            return;
        }
        writeRaw(text.substr(0, lf));
        writeRaw("\r\n");
        text.remove_prefix(lf + 1);
    }
}

void TextFileWriter::commit() {
    commit(ReplaceQuestion());
}

bool TextFileWriter::commit(const ReplaceQuestion& mayReplace) {
    if (!open_) throw FileError(targetPath_, "is not open for writing");
    flush();
    open_ = false;
    return output_.commit(mayReplace);
}

}  // namespace leafwright
