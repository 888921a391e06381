#include "core/text/fit_scan.h"

#include <cstring>

namespace leafwright {

void FitScan::add(std::string_view block) {
    raw_.add(block);
    if (fit_ && !settled() && !block.empty()) measure(block);
}

void FitScan::measure(std::string_view block) {
    if (fit_->formFeedCuts && std::memchr(block.data(), '\f', block.size()) != nullptr) {
        cutUtf8_ = cut1252_ = true;
        return;
    }
    if (open_) {
        const std::size_t lineFeed = block.find('\n');
        addToOpenLine(block.substr(0, lineFeed));
        if (lineFeed == std::string_view::npos) return;
        endOpenLine();
        block.remove_prefix(lineFeed + 1);
    }
    const std::size_t lastLineFeed = block.rfind('\n');
    const std::string_view whole = lastLineFeed == std::string_view::npos
                                       ? std::string_view()
                                       : block.substr(0, lastLineFeed + 1);
    if (!whole.empty()) {
        // Tab-free ASCII, the usual text, is summed many lines at a time.
        if (fit_->widthCuts && std::memchr(whole.data(), '\t', whole.size()) == nullptr &&
            isAscii(whole))
            measureWholeLines(whole);
        else
            measureOneByOne(whole);
    }
    if (!settled() && whole.size() < block.size()) {
        open_ = true;
        addToOpenLine(block.substr(whole.size()));
    }
}

// Lines each ended by a line feed, tab-free ASCII: both readings agree.
void FitScan::measureWholeLines(std::string_view bytes) {
    constexpr std::size_t kAtOnce = 64;
    LineWidthGauge::Span spans[kAtOnce];
    std::size_t count = 0;
    const LineWidthGauge& gauge = *fit_->plain;
    const std::size_t fitting = gauge.surelyFitting();
    const char* base = bytes.data();
    const char* end = base + bytes.size();
    for (const char* at = base; at < end;) {
        const auto* lineFeed = static_cast<const char*>(std::memchr(at, '\n', end - at));
        const auto size = static_cast<std::size_t>(lineFeed - at);
        if (size > fit_->longestWhole) {
            cutUtf8_ = cut1252_ = true;
            return;
        }
        if (size > fitting) {
            spans[count++] = {static_cast<std::size_t>(at - base), size};
            if (count == kAtOnce) {
                if (gauge.countTooWide(bytes, spans, count) > 0) {
                    cutUtf8_ = cut1252_ = true;
                    return;
                }
                count = 0;
            }
        }
        at = lineFeed + 1;
    }
    if (count > 0 && gauge.countTooWide(bytes, spans, count) > 0) cutUtf8_ = cut1252_ = true;
}

// Lines each ended by a line feed, measured a character at a time in both
// readings (a line holds whole characters of either).
void FitScan::measureOneByOne(std::string_view bytes) {
    const LineWidthGauge& gauge = *fit_->tabbed;
    std::size_t at = 0;
    while (at < bytes.size() && !settled()) {
        const std::size_t lineFeed = bytes.find('\n', at);
        const std::string_view line = bytes.substr(at, lineFeed - at);
        at = lineFeed + 1;
        if (line.size() > fit_->longestWhole) {
            cutUtf8_ = cut1252_ = true;
            return;
        }
        if (!fit_->widthCuts) continue;
        LineWidthGauge::Measure utf8, windows1252;
        if (!cutUtf8_) {
            utf8.add(gauge, line, SourceEncoding::Utf8);
            cutUtf8_ = gauge.tooWide(utf8);
        }
        if (!cut1252_) {
            windows1252.add(gauge, line, SourceEncoding::Windows1252);
            cut1252_ = gauge.tooWide(windows1252);
        }
    }
}

void FitScan::addToOpenLine(std::string_view part) {
    openBytes_ += part.size();
    if (openBytes_ > fit_->longestWhole) {
        cutUtf8_ = cut1252_ = true;
        return;
    }
    if (!fit_->widthCuts) return;
    const LineWidthGauge& gauge = *fit_->tabbed;
    openCharacters_.add(part, [&](std::string_view characters) {
        openUtf8_.add(gauge, characters, SourceEncoding::Utf8);
    });
    open1252_.add(gauge, part, SourceEncoding::Windows1252);
}

void FitScan::endOpenLine() {
    if (!open_) return;
    if (fit_->widthCuts && !settled()) {
        const LineWidthGauge& gauge = *fit_->tabbed;
        openCharacters_.finish([&](std::string_view characters) {
            openUtf8_.add(gauge, characters, SourceEncoding::Utf8);
        });
        cutUtf8_ = cutUtf8_ || gauge.tooWide(openUtf8_);
        cut1252_ = cut1252_ || gauge.tooWide(open1252_);
    }
    open_ = false;
    openBytes_ = 0;
    openUtf8_ = {};
    open1252_ = {};
    openCharacters_ = Utf8Pieces();
}

// The rest starts a line, so this scan holds no line open (or the text
// ended before the rest, which is then not merged).
void FitScan::merge(const FitScan& rest) {
    raw_.merge(rest.raw_);
    cutUtf8_ = cutUtf8_ || rest.cutUtf8_;
    cut1252_ = cut1252_ || rest.cut1252_;
    open_ = rest.open_;
    openBytes_ = rest.openBytes_;
    openUtf8_ = rest.openUtf8_;
    open1252_ = rest.open1252_;
    openCharacters_ = rest.openCharacters_;
}

void FitScan::finish() {
    if (fit_) endOpenLine();
}

}  // namespace leafwright
