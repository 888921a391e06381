#pragma once

#include <string>
#include <string_view>

namespace leafwright {

// Sees every line of a source during its first pass, as the second pass
// will hand them out (a CR right before the LF dropped, a leading UTF-8
// byte-order mark left out), so that whatever a layout must know of the
// lines before writing is learnt in the one reading the first pass makes.
class LineWatch {
  public:
    virtual ~LineWatch() = default;
    virtual void beginLine() = 0;
    // The line's raw bytes, cut anywhere.
    virtual void add(std::string_view bytes) = 0;
    virtual void endLine() = 0;
};

// Cuts the blocks of a text into the lines a LineWatch sees.
class LineWatchFeed {
  public:
    explicit LineWatchFeed(LineWatch& watch) : watch_(watch) {}
    void add(std::string_view block);
    // After the last block.
    void finish();

  private:
    void addToLine(std::string_view bytes);
    void emit(std::string_view bytes);

    LineWatch& watch_;
    std::string head_;  // the text's first bytes, until a byte-order mark is ruled out
    bool headDone_ = false;
    bool inLine_ = false;
    bool heldCr_ = false;  // the last byte so far is a CR
};

}  // namespace leafwright
