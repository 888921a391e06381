#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace leafwright {

// An indirect object's number and generation, as "12 0 R" names it.
struct PdfReference {
    std::uint32_t number = 0;
    std::uint32_t generation = 0;

    friend bool operator==(const PdfReference&, const PdfReference&) = default;
};

// One PDF object as read from a file: null, a boolean, a number, a name, a
// string (its bytes, escapes decoded), an array, a dictionary or a reference
// to an indirect object. Only what Unspool reads goes through it: small
// objects (dictionaries, arrays, outline items), never stream data.
class PdfObject {
  public:
    enum class Kind : std::uint8_t {
        Null,
        Boolean,
        Integer,
        Real,
        Name,
        String,
        Array,
        Dictionary,
        Reference
    };
    // A dictionary's entries, in the order written; keys without their "/".
    using Entries = std::vector<std::pair<std::string, PdfObject>>;

    PdfObject() = default;  // null
    static PdfObject boolean(bool value);
    static PdfObject integer(std::int64_t value);
    static PdfObject real(double value);
    static PdfObject name(std::string name);
    static PdfObject string(std::string bytes);
    static PdfObject array(std::vector<PdfObject> items);
    static PdfObject dictionary(Entries entries);
    static PdfObject reference(PdfReference reference);

    Kind kind() const noexcept { return kind_; }
    bool isNull() const noexcept { return kind_ == Kind::Null; }
    bool isArray() const noexcept { return kind_ == Kind::Array; }
    bool isDictionary() const noexcept { return kind_ == Kind::Dictionary; }
    bool isReference() const noexcept { return kind_ == Kind::Reference; }
    bool isString() const noexcept { return kind_ == Kind::String; }
    bool isName() const noexcept { return kind_ == Kind::Name; }
    bool isName(std::string_view name) const noexcept {
        return kind_ == Kind::Name && text_ == name;
    }

    // An integer's value; nothing for any other kind.
    std::optional<std::int64_t> integerValue() const noexcept;
    // A name without its "/", or a string's bytes; empty for other kinds.
    const std::string& text() const noexcept { return text_; }
    // The same, moved out of the object.
    std::string takeText() noexcept { return std::move(text_); }
    // An array's items; empty for other kinds.
    const std::vector<PdfObject>& items() const noexcept { return items_; }
    // A dictionary's entries; empty for other kinds.
    const Entries& entries() const noexcept { return entries_; }
    // A dictionary's entry, or nullptr when it has none (or is no dictionary).
    const PdfObject* find(std::string_view key) const noexcept;
    PdfReference referenceValue() const noexcept { return reference_; }

  private:
    // An object of the kind with one member set.
    template <typename Value>
    static PdfObject made(Kind kind, Value PdfObject::*member, Value value);

    Kind kind_ = Kind::Null;
    std::int64_t integer_ = 0;  // also a boolean
    double real_ = 0;
    PdfReference reference_;
    std::string text_;
    std::vector<PdfObject> items_;
    Entries entries_;
};

// Bytes that are not the PDF syntax expected. cutShort: they ended before
// the object did, so more of the file may complete it.
class PdfSyntaxError : public std::runtime_error {
  public:
    PdfSyntaxError(const std::string& what, bool cutShort)
        : std::runtime_error(what), cutShort_(cutShort) {}
    bool cutShort() const noexcept { return cutShort_; }

  private:
    bool cutShort_;
};

// Reads PDF objects from bytes held in memory. Comments are white space.
// An object may hold at most kMaxItems array items and dictionary entries
// and nest kMaxDepth deep, so that hostile bytes cannot make it grow beyond
// what its bytes hold nor exhaust the stack.
class PdfParser {
  public:
    static constexpr std::size_t kMaxItems = 1 << 17;
    static constexpr int kMaxDepth = 32;

    explicit PdfParser(std::string_view bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}

    // The next object; a reference "N G R" is one.
    PdfObject object();
    // The next token when it is this keyword (or operator), which is then
    // passed; otherwise nothing moves.
    bool keyword(std::string_view word);
    // "N G obj": the object's number and generation.
    PdfReference objectHeader();
    // The next token when it is a whole non-negative number, which is then
    // passed.
    std::optional<std::uint64_t> unsignedInteger();
    void skipWhiteSpace();
    // Whether only white space is left.
    bool atEnd();

    std::size_t position() const noexcept { return at_; }

  private:
    PdfObject value(int depth);
    PdfObject numberOrReference();
    std::string literalString();
    std::string hexString();
    std::string regularRun();
    [[noreturn]] void fail(const std::string& what) const;
    [[noreturn]] void cutShort() const;
    void countItem();

    std::string_view bytes_;
    std::size_t at_;
    std::size_t items_ = 0;
};

}  // namespace leafwright
