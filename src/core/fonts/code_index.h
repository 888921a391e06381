#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace leafwright {

// Entries found by a hash in one probe or a few, however many there are:
// open addressing with linear probing in a table of 32-bit entries (0 marks
// an empty slot) kept between half and three quarters full: it grows by half
// its size. The table holds no keys, only four bytes a slot: `matches(entry)`
// says whether an entry is the one sought, and `hashOf(entry)` gives an
// entry's hash again when the table grows.
class CodeIndex {
  public:
    // The entry with this hash that matches, or 0.
    template <typename Matches>
    std::uint32_t find(std::uint64_t hash, Matches matches) const {
        if (slots_.empty()) return 0;
        for (std::size_t i = home(hash);; i = next(i)) {
            const std::uint32_t entry = slots_[i];
            if (entry == 0 || matches(entry)) return entry;
        }
    }

    // Adds an entry (not 0) that find would not find yet.
    template <typename HashOf>
    void insert(std::uint64_t hash, std::uint32_t entry, HashOf hashOf) {
        if ((count_ + 1) * 4 > slots_.size() * 3) {
            std::vector<std::uint32_t> old(slots_.empty() ? kFirstSize
                                                          : slots_.size() + slots_.size() / 2);
            old.swap(slots_);  // slots_ is the new, empty table
            for (const std::uint32_t kept : old)
                if (kept != 0) place(hashOf(kept), kept);
        }
        place(hash, entry);
        ++count_;
    }

    std::size_t size() const noexcept { return count_; }

  private:
    static constexpr std::size_t kFirstSize = 256;

    // The slot a hash starts from: its high 32 bits scaled to the table
    // (of fewer than 2^32 slots).
    std::size_t home(std::uint64_t hash) const {
        return static_cast<std::size_t>(((hash >> 32) * slots_.size()) >> 32);
    }
    std::size_t next(std::size_t i) const { return i + 1 == slots_.size() ? 0 : i + 1; }

    void place(std::uint64_t hash, std::uint32_t entry) {
        std::size_t i = home(hash);
        while (slots_[i] != 0) i = next(i);
        slots_[i] = entry;
    }

    std::vector<std::uint32_t> slots_;
    std::size_t count_ = 0;
};

}  // namespace leafwright
