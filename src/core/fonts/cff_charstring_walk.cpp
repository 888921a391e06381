#include "core/fonts/cff_charstring_walk.h"

#include <algorithm>
#include <stdexcept>

namespace leafwright::cff {
namespace {

[[noreturn]] void cannotFollow(const char* what) {
    throw std::runtime_error(std::string("a CFF charstring cannot be followed: ") + what);
}

}  // namespace

std::string charStringNumber(long value) {
    std::string out;
    appendCharStringNumber(out, value);
    return out;
}

void appendCharStringNumber(std::string& out, long value) {
    if (value >= -107 && value <= 107) {
        out += static_cast<char>(value + 139);
    } else if (value >= 108 && value <= 1131) {
        out += static_cast<char>((value - 108) / 256 + 247);
        out += static_cast<char>((value - 108) % 256);
    } else if (value >= -1131 && value <= -108) {
        out += static_cast<char>((-value - 108) / 256 + 251);
        out += static_cast<char>((-value - 108) % 256);
    } else {
        const auto bits = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
        out += static_cast<char>(28);
        out += static_cast<char>(bits >> 8);
        out += static_cast<char>(bits & 0xFF);
    }
}

std::size_t charStringNumberLength(long value) {
    return value >= -107 && value <= 107 ? 1 : value >= -1131 && value <= 1131 ? 2 : 3;
}

void CharStringWalk::walkGlyph(std::string_view charString, RoutineCalls& calls) {
    depth_ = 0;
    stems_ = 0;
    ended_ = false;
    run(charString, calls, 0);
    if (!ended_) cannotFollow("a glyph without endchar");
}

void CharStringWalk::run(std::string_view routine, RoutineCalls& calls, int nesting) {
    if (calls.walking) cannotFollow("a subroutine calls itself");
    const bool first = !calls.walked;
    calls.walking = true;
    std::size_t callNumber = 0;
    const std::size_t clearsBefore = clears_;
    bool hints = false;
    int height = 0;
    auto byte = [&](std::size_t i) {
        if (i >= routine.size()) cannotFollow("it ends early");
        return static_cast<unsigned char>(routine[i]);
    };
    auto finish = [&](std::size_t end) {
        if (first) {
            calls.end = static_cast<std::uint32_t>(end);
            calls.hints = hints;
            calls.endsGlyph = ended_;
            calls.height = static_cast<std::uint8_t>(height);
            calls.sameEverywhere = !hints && clears_ > clearsBefore && (ended_ || depth_ == 0);
        } else if (calls.end != end || callNumber != calls.calls.size()) {
            cannotFollow("a subroutine reads otherwise where it is called again");
        }
        calls.walked = true;
        calls.walking = false;
    };
    std::size_t at = 0;
    while (at < routine.size()) {
        if (budget_ == 0) cannotFollow("its drawing takes too long");
        --budget_;
        const unsigned b0 = byte(at);
        Operand number;
        if (b0 >= 32 && b0 <= 246) {
            number = {routine.data() + at, 1, true, static_cast<long>(b0) - 139};
        } else if (b0 >= 247 && b0 <= 250) {
            number = {routine.data() + at, 2, true,
                      (static_cast<long>(b0) - 247) * 256 + byte(at + 1) + 108};
        } else if (b0 >= 251 && b0 <= 254) {
            number = {routine.data() + at, 2, true,
                      -(static_cast<long>(b0) - 251) * 256 - byte(at + 1) - 108};
        } else if (b0 == 28) {
            number = {routine.data() + at, 3, true,
                      static_cast<std::int16_t>((byte(at + 1) << 8) | byte(at + 2))};
        } else if (b0 == 255) {
            byte(at + 4);
            number = {routine.data() + at, 5, false, 0};  // 16.16 fixed
        }
        if (number.token) {
            if (depth_ == kMostOperands) cannotFollow("too many operands");
            stack_[depth_++] = number;
            at += number.length;
            continue;
        }
        switch (b0) {
            case 1:   // hstem
            case 3:   // vstem
            case 18:  // hstemhm
            case 23:  // vstemhm
                stems_ += depth_ / 2;
                depth_ = 0;
                hints = true;
                break;
            case 19:  // hintmask
            case 20:  // cntrmask
                // Operands before a mask are the arguments of a vstem left out.
                stems_ += depth_ / 2;
                depth_ = 0;
                hints = true;
                at += static_cast<std::size_t>(stems_ + 7) / 8;
                byte(at);  // the mask lies inside the routine
                break;
            case 10:    // callsubr
            case 29: {  // callgsubr
                if (depth_ == 0) cannotFollow("a call without a number");
                const Operand called = stack_[--depth_];
                if (!called.integer || called.token < routine.data() ||
                    called.token >= routine.data() + routine.size())
                    cannotFollow("a call whose number is not written before it");
                const bool global = b0 == 29;
                const Index& subrs = global ? global_ : local_;
                const std::string_view* body = subroutine(subrs, called.value);
                if (!body) cannotFollow("a call of a missing subroutine");
                const auto item = static_cast<std::size_t>(body - subrs.items.data());
                const SubroutineCall call{static_cast<std::uint32_t>(called.token - routine.data()),
                                          called.length, global, static_cast<std::uint32_t>(item)};
                if (first) {
                    calls.calls.push_back(call);
                } else if (callNumber >= calls.calls.size() || !(calls.calls[callNumber] == call)) {
                    cannotFollow("a subroutine reads otherwise where it is called again");
                }
                ++callNumber;
                if (nesting >= kMostSubroutineNesting) cannotFollow("subroutines nested too deep");
                RoutineCalls& calledCalls = (global ? globalCalls_ : localCalls_)[item];
                if (calledCalls.walked && calledCalls.sameEverywhere) {
                    // As walking it again would: the levels below it must
                    // stay within the limit, and the operands end cleared.
                    if (calledCalls.height > 0 &&
                        nesting + calledCalls.height >= kMostSubroutineNesting)
                        cannotFollow("subroutines nested too deep");
                    depth_ = 0;
                    ++clears_;
                    ended_ = calledCalls.endsGlyph;
                } else {
                    if (met_ && !calledCalls.walked && !calledCalls.walking)
                        met_->push_back({0, 0, global, static_cast<std::uint32_t>(item)});
                    run(*body, calledCalls, nesting + 1);
                }
                hints |= calledCalls.hints;
                height = std::max(height, 1 + calledCalls.height);
                if (ended_) {
                    finish(at + 1);
                    return;
                }
                break;
            }
            case 11:  // return
                if (nesting == 0) cannotFollow("a return outside a subroutine");
                finish(at + 1);
                return;
            case 14:  // endchar
                // Four operands more make an accented character of two
                // glyphs of the standard encoding.
                if (depth_ >= 4) cannotFollow("an accented character");
                ended_ = true;
                finish(at + 1);
                return;
            case 4:   // vmoveto
            case 5:   // rlineto
            case 6:   // hlineto
            case 7:   // vlineto
            case 8:   // rrcurveto
            case 21:  // rmoveto
            case 22:  // hmoveto
            case 24:  // rcurveline
            case 25:  // rlinecurve
            case 26:  // vvcurveto
            case 27:  // hhcurveto
            case 30:  // vhcurveto
            case 31:  // hvcurveto
                depth_ = 0;
                ++clears_;
                break;
            case 12: {
                const unsigned b1 = byte(at + 1);
                // dotsection and the four flexes; the operators that
                // compute are not followed.
                if (b1 != 0 && (b1 < 34 || b1 > 37)) cannotFollow("an operator that computes");
                depth_ = 0;
                ++clears_;
                ++at;
                break;
            }
            default:
                cannotFollow("a reserved operator");
        }
        ++at;
    }
    cannotFollow(nesting == 0 ? "a glyph without endchar" : "a subroutine without return");
}

}  // namespace leafwright::cff
