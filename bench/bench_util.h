#pragma once
// What the benchmark programs share: the generated diaries (made once per run, per size) and
// the floor measurements every figure is compared with.

#include <cstddef>
#include <functional>
#include <string>

namespace bench {

// A temp folder for this run, removed at exit.
const std::string& RunFolder();

// The path of a generated diary of `rides` rides, made on first use; with `withBikes` the same
// rides, most of them on a bike.
const std::string& DiaryPath(std::size_t rides, bool withBikes = false);

// Bytes of the heap in use now (glibc's mallinfo2), for the memory an open diary adds.
std::size_t HeapInUse();

// The floor of opening: read the file's bytes and split them into lines and fields with
// memchr. Returns the number of fields, so the work cannot be optimised away.
std::size_t ReadAndSplit(const std::string& path);

// The floor of saving: write `bytes` to a temporary file beside `path`, fsync it, rename it
// over `path`.
void PlainAtomicWrite(const std::string& path, const std::string& bytes);

// Runs `work` in a forked child and returns how far it raised the child's peak resident size
// above its size just before (VmHWM after clearing it through /proc/self/clear_refs).
std::size_t PeakBytesAddedBy(const std::function<void()>& work);

}  // namespace bench
