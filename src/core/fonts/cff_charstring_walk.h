#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/cff_parts.h"

namespace leafwright::cff {

// The operands and operators the walks of one subset may read: a glyph of a
// real face takes a few hundred, subroutines included; a program built to
// make the walk explode is given up on long before it costs much.
constexpr std::size_t kWalkBudget = std::size_t{16} << 20;

// A Type 2 integer operand in its shortest form, and its length.
std::string charStringNumber(long value);
void appendCharStringNumber(std::string& out, long value);
std::size_t charStringNumberLength(long value);

// A subroutine call written in a charstring or a subroutine: where the
// number it calls stands, and which item of which INDEX it calls.
struct SubroutineCall {
    std::uint32_t numberAt = 0;
    std::uint32_t numberLength = 0;
    bool global = false;
    std::uint32_t item = 0;

    bool operator==(const SubroutineCall&) const = default;
};

// What following a charstring or a subroutine found in it: its calls in
// order and where drawing left it (after its return, its endchar, or the
// call that ended the glyph).
struct RoutineCalls {
    bool walked = false;
    bool walking = false;
    std::vector<SubroutineCall> calls;
    std::uint32_t end = 0;
    // Known once walked: whether it or a subroutine it calls sets stems or
    // masks, and how many levels of calls it makes below itself.
    bool hints = false;
    bool endsGlyph = false;
    std::uint8_t height = 0;
    // A subroutine that sets no stems, clears the operands itself and
    // leaves none (or ends the glyph) does the same whatever called it, so
    // it is not walked again.
    bool sameEverywhere = false;
};

// Follows charstrings through the subroutines they call, as a Type 2
// interpreter would, so far as to know which subroutines a glyph uses and
// where the numbers of its calls stand: it keeps the operands' count (for
// the stems that set a hint mask's length) and the operands themselves
// (for a call's number), not the drawing. A subroutine met again must read
// as it did the first time, so that its calls can be numbered anew in its
// bytes alone.
class CharStringWalk {
  public:
    // The calls found go into globalCalls and localCalls, one per item of
    // the INDEXes. budget bounds the operands and operators read, over all
    // the glyphs walked with it.
    CharStringWalk(const Index& global, const Index& local, std::vector<RoutineCalls>& globalCalls,
                   std::vector<RoutineCalls>& localCalls, std::size_t& budget)
        : global_(global),
          local_(local),
          globalCalls_(globalCalls),
          localCalls_(localCalls),
          budget_(budget) {}

    // Throws std::runtime_error when the glyph is one it cannot follow.
    void walkGlyph(std::string_view charString, RoutineCalls& calls);

    // Each subroutine walked for the first time is added to `met` (its
    // numberAt and numberLength left 0), so that the walks of one glyph can
    // be picked out of the INDEXes' entries.
    void noteFirstWalks(std::vector<SubroutineCall>* met) { met_ = met; }

  private:
    struct Operand {
        const char* token = nullptr;
        std::uint32_t length = 0;
        bool integer = true;
        long value = 0;
    };
    static constexpr int kMostOperands = 48;  // the Type 2 limits

    void run(std::string_view routine, RoutineCalls& calls, int nesting);

    const Index& global_;
    const Index& local_;
    std::vector<RoutineCalls>& globalCalls_;
    std::vector<RoutineCalls>& localCalls_;
    std::size_t& budget_;
    std::vector<SubroutineCall>* met_ = nullptr;
    Operand stack_[kMostOperands];
    int depth_ = 0;
    int stems_ = 0;
    bool ended_ = false;
    std::size_t clears_ = 0;  // operators that cleared the operands
};

// A routine's bytes with each call's number replaced by newNumber(call).
template <typename NewNumber>
std::string renumbered(std::string_view routine, const RoutineCalls& calls,
                       const NewNumber& newNumber) {
    std::string out;
    out.reserve(routine.size() + 2 * calls.calls.size());
    std::size_t from = 0;
    for (const SubroutineCall& call : calls.calls) {
        out.append(routine.substr(from, call.numberAt - from));
        appendCharStringNumber(out, newNumber(call));
        from = call.numberAt + call.numberLength;
    }
    out.append(routine.substr(from));
    return out;
}

}  // namespace leafwright::cff
