#pragma once
// Deterministic diaries of realistic rides for the benchmarks and the smoke test: Czech place
// names in code page 1250, decimal commas and points, Czech dates, and now and then an empty
// or unreadable field, as real diaries typed by hand have them.

#include <cstddef>
#include <cstdint>
#include <string>

namespace bench {

// The bytes of a diary file with `rides` records (section "Data", keys 1..n, CRLF). With
// `withBikes` most rides carry one of a few bikes; the rides are otherwise the same.
std::string MakeDiary(std::size_t rides, std::uint32_t seed = 2001, bool withBikes = false);

// Writes MakeDiary(rides, seed, withBikes) to `path`.
void WriteDiary(const std::string& path, std::size_t rides, std::uint32_t seed = 2001,
                bool withBikes = false);

}  // namespace bench
