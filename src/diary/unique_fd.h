#pragma once
// A file descriptor that is closed on every way out of its scope unless it was handed over.
// The core's file code opens with open(2) rather than streams because it needs fstat, flock,
// fsync and O_NONBLOCK on the very descriptor it reads or writes.

#include <unistd.h>

namespace diary {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    // The descriptor, still owned here; -1 when there is none.
    int Descriptor() const { return fd_; }
    bool Open() const { return fd_ >= 0; }
    // Hands the descriptor over: the caller closes it from now on.
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes what is held and holds `fd` instead.
    void Reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

}  // namespace diary
