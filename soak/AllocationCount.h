#pragma once
// Live heap blocks and bytes of the whole process, counted by the global
// allocation functions this program replaces.
#include <cstddef>

namespace orv::soak {

struct HeapUse {
    long long blocks = 0;
    long long bytes = 0;
};
HeapUse LiveHeap();
// Resident set size from /proc, 0 where there is none.
long long ResidentBytes();

}  // namespace orv::soak
