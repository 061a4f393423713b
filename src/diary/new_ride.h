#pragma once
// What a new ride starts from when it is not typed from nothing: an earlier ride of the list,
// or fields read from elsewhere (a GPS track), with the odometer readings the entry dialog's
// "Posledni" button and arrival calculator would give.

#include <string>

#include "diary/record.h"
#include "diary/regional.h"

namespace diary {

class RecordTable;

// The departure reading "Posledni" fills in: the arrival of the list's last row as it is
// shown, "0" for an empty list.
std::string LastArrival(const RecordTable& list);

// The bike a new ride starts with, whether typed, like another ride or from a track: that of the
// list's last row as it is shown (the row "Posledni" reads), "" for an empty list. Riders mostly
// ride the bike of their last ride again.
std::string LastBike(const RecordTable& list);

// `fields` with the departure reading `departure` and the arrival departure + distance, one
// decimal with the user's separator. The arrival stays empty where the departure or the
// distance does not read as a number, or the distance is negative (as the calculator refuses).
DiaryRecord WithOdometer(DiaryRecord fields, const std::string& departure,
                         const RegionalSettings& regional);

// A new ride like `ride`: its places, distance, ride time and speeds, dated `today` in the
// user's short date format. Number, odometer readings and note are left empty.
DiaryRecord RideLike(const RecordRow& ride, const Date& today, const RegionalSettings& regional);

}  // namespace diary
