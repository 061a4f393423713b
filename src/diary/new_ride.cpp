#include "diary/new_ride.h"

#include "diary/calculators.h"
#include "diary/field_text.h"
#include "diary/record_table.h"

namespace diary {

std::string LastArrival(const RecordTable& list) {
    if (list.empty()) return "0";
    return std::string(list[list.size() - 1].Get(Field::ArrivalKm));
}

std::string LastBike(const RecordTable& list) {
    if (list.empty()) return {};
    return std::string(list[list.size() - 1].Get(Field::Bike));
}

DiaryRecord WithOdometer(DiaryRecord fields, const std::string& departure,
                         const RegionalSettings& regional) {
    fields[Field::DepartureKm] = departure;
    const CalcResult arrival = CalcArrival(fields[Field::DistanceKm], departure);
    std::string text;
    if (arrival.kind == CalcResult::Kind::Value) {
        // The calculator writes a decimal comma; a user whose separator is the point gets that.
        text = regional.decimalSeparator == "." ? CommaToDot(arrival.text) : arrival.text;
    }
    fields[Field::ArrivalKm] = std::move(text);
    return fields;
}

DiaryRecord RideLike(const RecordRow& ride, const Date& today, const RegionalSettings& regional) {
    DiaryRecord r;
    r[Field::Date] = FormatDate(regional, today);
    for (const Field f : {Field::From, Field::Via, Field::To, Field::DistanceKm, Field::RideTime,
                          Field::AvgSpeed, Field::MaxSpeed}) {
        r[f] = std::string(ride.Get(f));
    }
    return r;
}

}  // namespace diary
