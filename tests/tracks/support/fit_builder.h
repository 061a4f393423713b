#pragma once
// FIT files byte by byte, for what the SDK's encoder does not write (compressed time stamps,
// damaged messages) and for large files: definitions, data messages in either byte order, the
// header and the checksum.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fittest {

struct FitField {
    std::uint8_t number;
    std::uint8_t size;
    std::uint8_t baseType;
};

// FIT time stamp (seconds since 1989-12-31 00:00 UTC) of a moment in Unix seconds.
std::uint32_t FitTime(std::int64_t unixSeconds);
// Degrees as semicircles.
std::int32_t Semicircles(double degrees);

class FitBuilder {
public:
    // A definition of `local` as message `global`, `developerBytes` bytes of developer data at
    // the end of each of its data messages.
    void Define(int local, std::uint16_t global, std::vector<FitField> fields,
                bool bigEndian = false, std::uint8_t developerBytes = 0);
    // A data message of `local`: one value a field, in the definition's order and byte order.
    void Data(int local, const std::vector<std::uint64_t>& values);
    // The same with a compressed time-stamp header: `local` 0..3, five bits of seconds.
    void Compressed(int local, std::uint8_t seconds, const std::vector<std::uint64_t>& values);
    void Bytes(const std::string& raw) { data_ += raw; }
    std::size_t size() const { return data_.size(); }

    // The whole file: a 12- or 14-byte header (with its checksum), the messages, the checksum.
    std::string File(bool header14 = true) const;

private:
    void Values(int local, const std::vector<std::uint64_t>& values);

    struct Local {
        std::vector<FitField> fields;
        bool bigEndian = false;
        std::uint8_t developerBytes = 0;
    };
    std::map<int, Local> locals_;
    std::string data_;
};

}  // namespace fittest
