#include "core/text/scan_in_halves.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <optional>
#include <thread>
#include <utility>

#include "core/platform/run_control.h"

namespace leafwright {

std::uint64_t lineStartAfter(TextFileReader& reader, std::uint64_t from, std::uint64_t before) {
    reader.seek(from);
    std::string_view block;
    while (reader.offset() < before && reader.readBlock(block)) {
        const std::uint64_t blockStart = reader.offset() - block.size();
        block = block.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(
                                    block.size(), before > blockStart ? before - blockStart : 0)));
        if (const void* lf = std::memchr(block.data(), '\n', block.size()))
            return blockStart +
                   static_cast<std::uint64_t>(static_cast<const char*>(lf) - block.data()) + 1;
    }
    return 0;
}

struct WorkAlongside::State {
    std::exception_ptr failure;
    std::thread thread;
};

WorkAlongside::WorkAlongside(std::function<void()> work) : state_(std::make_unique<State>()) {
    state_->thread =
        std::thread([state = state_.get(), work = std::move(work), control = currentRunControl()] {
            std::optional<RunControlScope> scope;
            if (control != nullptr) scope.emplace(*control);
            try {
                work();
            } catch (...) {
                state->failure = std::current_exception();
            }
        });
}

WorkAlongside::~WorkAlongside() {
    if (state_->thread.joinable()) state_->thread.join();
}

void WorkAlongside::join() {
    state_->thread.join();
    if (state_->failure) std::rethrow_exception(state_->failure);
}

}  // namespace leafwright
