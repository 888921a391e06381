#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

namespace leafwright {

// Inflates zlib data held whole, several times faster than a streaming
// inflate, but only into room for all of its output at once: a bounded
// room, so data that would inflate past it is left to the streaming
// inflater. Memory is taken once, on first use, and kept for later data;
// only as much of it is touched as the largest output.
class WholeInflater {
  public:
    explicit WholeInflater(std::size_t outputLimit);
    ~WholeInflater();
    WholeInflater(const WholeInflater&) = delete;
    WholeInflater& operator=(const WholeInflater&) = delete;

    // The inflated bytes (valid until the next call) of zlib data with a
    // window of 32 KB that ends within `data` (what follows its end is no
    // part of it) and inflates to at most the limit. Nothing for any other
    // data: bare deflate data, a smaller window, a preset dictionary, data
    // cut short or corrupt, or an output too large, none of which it tells
    // apart; a streaming inflater reads those as it reads any.
    std::optional<std::string_view> inflate(std::string_view data);

  private:
    struct State;
    std::unique_ptr<State> state_;
    std::size_t outputLimit_;
};

}  // namespace leafwright
