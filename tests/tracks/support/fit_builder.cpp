#include "fit_builder.h"

#include <cmath>

#include "tracks/fit.h"

namespace fittest {

namespace {

void Put(std::string& out, std::uint64_t value, std::size_t size, bool bigEndian) {
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t shift = 8 * (bigEndian ? size - 1 - i : i);
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

}  // namespace

std::uint32_t FitTime(std::int64_t unixSeconds) {
    return static_cast<std::uint32_t>(unixSeconds - 631065600);
}

std::int32_t Semicircles(double degrees) {
    return static_cast<std::int32_t>(std::llround(degrees * 2147483648.0 / 180));
}

void FitBuilder::Define(int local, std::uint16_t global, std::vector<FitField> fields,
                        bool bigEndian, std::uint8_t developerBytes) {
    data_ += static_cast<char>(0x40 | (developerBytes > 0 ? 0x20 : 0) | local);
    data_ += '\0';
    data_ += static_cast<char>(bigEndian ? 1 : 0);
    Put(data_, global, 2, bigEndian);
    data_ += static_cast<char>(fields.size());
    for (const FitField& f : fields) {
        data_ += static_cast<char>(f.number);
        data_ += static_cast<char>(f.size);
        data_ += static_cast<char>(f.baseType);
    }
    if (developerBytes > 0) {
        data_ += '\1';
        data_ += '\0';
        data_ += static_cast<char>(developerBytes);
        data_ += '\0';
    }
    locals_[local] = {std::move(fields), bigEndian, developerBytes};
}

void FitBuilder::Values(int local, const std::vector<std::uint64_t>& values) {
    const Local& l = locals_.at(local);
    for (std::size_t i = 0; i < l.fields.size(); ++i) {
        Put(data_, i < values.size() ? values[i] : ~std::uint64_t{0}, l.fields[i].size,
            l.bigEndian);
    }
    data_.append(l.developerBytes, '\x5A');
}

void FitBuilder::Data(int local, const std::vector<std::uint64_t>& values) {
    data_ += static_cast<char>(local);
    Values(local, values);
}

void FitBuilder::Compressed(int local, std::uint8_t seconds,
                            const std::vector<std::uint64_t>& values) {
    data_ += static_cast<char>(0x80 | (local << 5) | (seconds & 0x1F));
    Values(local, values);
}

std::string FitBuilder::File(bool header14) const {
    std::string file;
    file += static_cast<char>(header14 ? 14 : 12);
    file += '\x20';             // protocol 2.0
    Put(file, 2132, 2, false);  // profile 21.32
    Put(file, data_.size(), 4, false);
    file += ".FIT";
    if (header14) Put(file, tracks::FitCrc(file), 2, false);
    file += data_;
    Put(file, tracks::FitCrc(file), 2, false);
    return file;
}

}  // namespace fittest
