#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace leafwright {

class ContentPipe;
class HelperThread;

// A document's content in stretches (of pages, of lines) made by two
// threads: the calling thread writes every stretch in order, taking it from
// a helper thread or making it itself. The helper claims the stretches one
// after another and hands each over in bounded batches; the calling thread
// makes a stretch itself when it reaches one not claimed yet, and when one
// of the helper's is not handed over yet, it asks the helper to leave it
// the next stretch the helper comes to, and makes that one instead of
// waiting. So the stretches share out by themselves, however fast each
// thread is, and the memory between them stays bounded however long the
// document. When the system cannot start a helper thread, the calling
// thread makes every stretch. The helper works for the run of the calling
// thread: a cancelled run stops it too.
class SharedStretches {
  public:
    static constexpr std::size_t kBatchBytes = 1 << 18;

    // Where the helper puts a stretch: numbers (a page's stream length, the
    // size of a piece, whatever the two sides agree on) and content bytes,
    // in the order the writing side takes them.
    class Output {
      public:
        void putNumber(std::uint64_t number);
        void putBytes(std::string_view bytes);

      private:
        friend class SharedStretches;
        explicit Output(ContentPipe& pipe) noexcept : pipe_(pipe) {}
        ContentPipe& pipe_;
    };
    using MakeStretch = std::function<void(std::size_t stretch, Output& output)>;

    // Starts the helper on `count` stretches; make(stretch, output) makes
    // one on the helper thread. Batches carry about batchBytes bytes.
    SharedStretches(std::size_t count, MakeStretch make, std::size_t batchBytes = kBatchBytes);
    // Stops the helper at its next put and waits for it.
    ~SharedStretches();
    SharedStretches(const SharedStretches&) = delete;
    SharedStretches& operator=(const SharedStretches&) = delete;

    std::size_t count() const noexcept { return count_; }

    // The writing side, at the start of each stretch in order: true when the
    // calling thread makes the stretch itself, false when it is taken from
    // the helper, through takeNumber and takeBytes.
    bool startStretch(std::size_t stretch);
    std::uint64_t takeNumber();
    void takeBytes(std::uint64_t count, const std::function<void(std::string_view)>& take);
    // After the last stretch: waits for the helper to end and throws what
    // it failed with, since the checks it makes after its last bytes (a
    // source that changed) must hold before the document may be finished.
    void finish();

    // Whether a helper thread could be started (else the calling thread
    // makes every stretch).
    bool helperStarted() const noexcept;

  private:
    enum Claim : unsigned char { kUnclaimed, kHelpers, kWriters };

    bool claim(std::size_t stretch, Claim by) {
        unsigned char unclaimed = kUnclaimed;
        return claims_[stretch].compare_exchange_strong(unclaimed, by);
    }
    void makeHelpersStretches();

    std::size_t count_;
    MakeStretch make_;
    std::unique_ptr<std::atomic<unsigned char>[]> claims_;  // a Claim for each stretch
    // The calling thread asks the helper to leave it a stretch.
    std::atomic<bool> stretchWanted_{false};
    std::unique_ptr<ContentPipe> pipe_;
    std::unique_ptr<HelperThread> helper_;  // last: it ends before the rest goes
};

}  // namespace leafwright
