#pragma once
// The few error types the core throws. Every window catches them at its edge and shows the
// message in an "Error" box; nothing in the diary file is changed by an operation that threw.

#include <stdexcept>
#include <string>

namespace diary {

// Paths are the file system's own bytes (UTF-8 here) and every message is UTF-8 text for people;
// record and settings data stay code page 1250.

// Both file errors carry the errno of the system call that failed, so that the window can say
// why in words (src/app/errortext.h); 0 where the refusal is the program's own (a folder where
// a file should be, a file too big to be a diary), and the message then says it all.

// A file could not be written (read-only file or folder, missing folder, full disk, ...).
// The message is exactly "Unable to write to <path>"; the file is as it was before the call.
class WriteError : public std::runtime_error {
public:
    explicit WriteError(const std::string& path, int error = 0)
        : std::runtime_error("Unable to write to " + path), path_(path), error_(error) {}
    const std::string& path() const { return path_; }
    int error() const { return error_; }

private:
    std::string path_;
    int error_;
};

// A file that exists could not be read (permissions, I/O error, a loop of links). A missing
// file is not an error for the diary and settings readers: it reads as empty. Without a
// message of its own the message is "Soubor „<path>“ nelze přečíst."
class ReadError : public std::runtime_error {
public:
    ReadError(const std::string& path, const std::string& message, int error = 0)
        : std::runtime_error(message.empty() ? "Soubor „" + path + "“ nelze přečíst." : message),
          path_(path),
          error_(error) {}
    const std::string& path() const { return path_; }
    int error() const { return error_; }

private:
    std::string path_;
    int error_;
};

// A value that would corrupt its line or file: "§" inside a record field, or CR, LF or NUL in
// any profile value. Refused before anything is written.
class InvalidValueError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Another program held the file's lock for longer than a change may wait. Nothing was changed;
// the message (Czech) says so and that the user may try again.
class BusyError : public std::runtime_error {
public:
    BusyError(const std::string& path, const std::string& message)
        : std::runtime_error(message), path_(path) {}
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace diary
