// The merge sort fed arbitrary comparison answers: it must end and return a permutation.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "diary/sorting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t count = data[0];
    std::size_t next = 1;
    const auto order = diary::MergeSortOrder(count, [&](std::uint32_t a, std::uint32_t b) {
        if (a >= count || b >= count) __builtin_trap();
        const int answer = next < size ? static_cast<int>(data[next]) % 3 - 1 : 1;
        ++next;
        return answer;
    });
    if (order.size() != count) __builtin_trap();
    std::vector<bool> seen(count, false);
    for (auto i : order) {
        if (i >= count || seen[i]) __builtin_trap();
        seen[i] = true;
    }
    return 0;
}
