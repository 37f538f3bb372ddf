#include "support/VirtualClock.h"

#include <iterator>

namespace orv::test {

int VirtualClock::Schedule(std::uint64_t delayMs, Callback cb) {
    const int token = nextToken_++;
    queue_.emplace(std::make_pair(now_ + delayMs, token), std::move(cb));
    return token;
}

void VirtualClock::Cancel(int token) {
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (it->first.second == token) {
            queue_.erase(it);
            return;
        }
    }
}

void VirtualClock::Advance(std::uint64_t ms) {
    const std::uint64_t end = now_ + ms;
    while (!queue_.empty() && queue_.begin()->first.first <= end) {
        auto node = queue_.extract(queue_.begin());
        now_ = node.key().first;
        node.mapped()();
    }
    now_ = end;
}

}  // namespace orv::test
