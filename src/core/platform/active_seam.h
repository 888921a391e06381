#pragma once

namespace leafwright {

// The shared mechanics of a test seam: while an object of the derived class
// lives, it is the active one, and the service it stands in for asks it
// instead of doing its real work (opening a window, say, or choosing how a
// temporary file is made). The newest object wins; destroying the active one
// leaves no seam active. A seam is installed before the work it watches
// starts (threads included) and removed after it ends.
template <typename Seam>
class ActiveSeam {
  public:
    ActiveSeam(const ActiveSeam&) = delete;
    ActiveSeam& operator=(const ActiveSeam&) = delete;

    static Seam* active() { return current_; }

  protected:
    ActiveSeam() { current_ = static_cast<Seam*>(this); }
    ~ActiveSeam() {
        if (current_ == static_cast<Seam*>(this)) current_ = nullptr;
    }

  private:
    inline static Seam* current_ = nullptr;
};

}  // namespace leafwright
