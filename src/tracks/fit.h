#pragma once
// FIT activity files, read by the published FIT protocol: the file header, definition and data
// messages of either byte order, compressed time stamps, developer fields passed over, and the
// header and file checksums checked. Chained files read as one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tracks/track.h"

namespace tracks {

// The FIT checksum (CRC-16, polynomial 0xA001 reflected, as the protocol defines it) of `bytes`,
// continued from `crc`.
std::uint16_t FitCrc(std::string_view bytes, std::uint16_t crc = 0);

// A 12- or 14-byte header with ".FIT" in it: what tells a FIT file from anything else.
bool LooksLikeFit(std::string_view bytes);

// The record messages (time, position, distance, speed) as points and the session totals
// (start, distance, timer time, maximum speed; several sessions add up). Throws TrackError:
// not FIT, a damaged message (naming its byte), a checksum that does not match, a file cut
// short, or nothing that says where the rider went.
Track ReadFit(std::string_view bytes, const std::string& path);

}  // namespace tracks
