#pragma once

namespace leafwright {

// The shared mechanics of a test seam: while an object of the derived class
// lives, it is the active one, and the platform service it stands in for
// asks it instead of opening a window. The newest object wins; destroying
// the active one leaves no seam active.
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
