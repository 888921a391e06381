#include "core/fonts/charstring_width.h"

#include <cstddef>
#include <cstdint>

#include "core/fonts/cff_charstring_walk.h"

namespace leafwright {
namespace {

// The operands a charstring pushes before its first operator that is not a
// subroutine call (followed into the subroutines), and that operator.
struct Start {
    std::size_t operands = 0;
    unsigned op = 0;
    // The first operand of the charstring itself: whether there is one
    // (the subroutine number of a call aside), its value and end.
    bool ownFirst = false;
    bool firstIsInteger = true;
    long first = 0;
    std::size_t firstEnd = 0;
};

// How reading a start ended: at its operator, at a subroutine's return (the
// start goes on in its caller), or at a fault.
enum class StartRead { found, returned, failed };

StartRead readStart(std::string_view code, const Subroutine& subroutine, int depth, Start& start,
                    bool own) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(code[i]); };
    std::size_t at = 0;
    long last = 0;
    bool lastIsInteger = false;
    while (at < code.size()) {
        const unsigned b0 = byte(at);
        std::size_t length = 0;
        long value = 0;
        bool integer = true;
        if (b0 >= 32 && b0 <= 246) {
            length = 1;
            value = static_cast<long>(b0) - 139;
        } else if (b0 >= 247 && b0 <= 254) {
            length = 2;
            if (at + 1 >= code.size()) return StartRead::failed;
            value = b0 <= 250 ? (static_cast<long>(b0) - 247) * 256 + byte(at + 1) + 108
                              : -(static_cast<long>(b0) - 251) * 256 - byte(at + 1) - 108;
        } else if (b0 == 28) {
            length = 3;
            if (at + 2 >= code.size()) return StartRead::failed;
            value = static_cast<std::int16_t>((byte(at + 1) << 8) | byte(at + 2));
        } else if (b0 == 255) {
            length = 5;  // 16.16 fixed
            integer = false;
        } else if (b0 == 10 || b0 == 29) {
            // callsubr, callgsubr: the number is the last operand, and
            // the start goes on in the subroutine.
            if (start.operands == 0 || !lastIsInteger || depth >= cff::kMostSubroutineNesting)
                return StartRead::failed;
            --start.operands;
            if (start.operands == 0) start.ownFirst = false;
            const std::optional<std::string_view> called = subroutine(b0 == 29, last);
            if (!called) return StartRead::failed;
            const StartRead read = readStart(*called, subroutine, depth + 1, start, false);
            if (read != StartRead::returned) return read;
            // The top operand now is the subroutine's, not a number of this one.
            lastIsInteger = false;
            ++at;
            continue;
        } else if (b0 == 11 && depth > 0) {  // return
            return StartRead::returned;
        } else {
            start.op = b0;
            return StartRead::found;
        }
        if (at + length > code.size()) return StartRead::failed;
        if (own && start.operands == 0) {
            start.ownFirst = true;
            start.first = value;
            start.firstIsInteger = integer;
            start.firstEnd = at + length;
        }
        ++start.operands;
        last = value;
        lastIsInteger = integer;
        at += length;
    }
    return StartRead::failed;
}

}  // namespace

std::optional<std::string> withCharStringWidth(std::string_view charString, long width,
                                               long nominalWidth, long defaultWidth,
                                               const Subroutine& subroutine) {
    if (width - nominalWidth < -32768 || width - nominalWidth > 32767) return std::nullopt;
    Start start;
    if (readStart(charString, subroutine, 0, start, true) != StartRead::found) return std::nullopt;
    const std::size_t operands = start.operands;
    bool hasWidth = false;
    switch (start.op) {
        case 1:   // hstem
        case 3:   // vstem
        case 18:  // hstemhm
        case 23:  // vstemhm
        case 19:  // hintmask
        case 20:  // cntrmask
            hasWidth = operands % 2 == 1;
            break;
        case 21:  // rmoveto
            hasWidth = operands > 2;
            break;
        case 4:   // hmoveto
        case 22:  // vmoveto
            hasWidth = operands > 1;
            break;
        case 14:  // endchar
            hasWidth = operands == 1 || operands == 5;
            break;
        default:
            return std::nullopt;  // no width rule applies
    }
    // A width pushed first inside a subroutine cannot be changed here.
    if (hasWidth && (!start.ownFirst || !start.firstIsInteger)) return std::nullopt;
    const long current = hasWidth ? nominalWidth + start.first : defaultWidth;
    if (current == width) return std::string(charString);
    std::string out = cff::charStringNumber(width - nominalWidth);
    out.append(charString.substr(hasWidth ? start.firstEnd : 0));
    return out;
}

}  // namespace leafwright
