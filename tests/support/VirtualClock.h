#pragma once
// A clock that only moves when a test says so: a 5-second time-out costs no
// real time, and events happen in a fixed, repeatable order.
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace orv::test {

class VirtualClock {
public:
    using Callback = std::function<void()>;

    std::uint64_t Now() const { return now_; }

    // Runs cb once, delayMs from now. Returns a token for Cancel.
    int Schedule(std::uint64_t delayMs, Callback cb);
    void Cancel(int token);

    // Moves time forward, running every callback that falls due on the way in
    // time order (callbacks may schedule more).
    void Advance(std::uint64_t ms);

private:
    std::uint64_t now_ = 0;
    int nextToken_ = 1;
    // (due time, token) -> callback; the token keeps same-time events in order.
    std::map<std::pair<std::uint64_t, int>, Callback> queue_;
};

}  // namespace orv::test
