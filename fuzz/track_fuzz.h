#pragma once
// What every track fuzz target checks once a reader accepted its input: the ride's figures are
// numbers a diary can hold, and its texts for the entry dialog are made without fault.
#include <cmath>

#include "diary/regional.h"
#include "tracks/track_file.h"

inline void CheckRide(const tracks::Track& track) {
    const tracks::TrackSummary s = tracks::Summarize(track);
    auto bad = [](double v) { return !std::isfinite(v) || v < 0; };
    if (bad(s.distanceMetres)) __builtin_trap();
    if (s.movingSeconds && bad(*s.movingSeconds)) __builtin_trap();
    if (s.averageSpeed && bad(*s.averageSpeed)) __builtin_trap();
    if (s.maxSpeed && bad(*s.maxSpeed)) __builtin_trap();
    const diary::DiaryRecord fields = tracks::RideFields(s, diary::RegionalSettings::Czech());
    if (fields[diary::Field::DistanceKm].empty()) __builtin_trap();
}
