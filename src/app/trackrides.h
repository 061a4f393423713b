#pragma once
// New rides from GPS track files (GPX, TCX, FIT), chosen in the open dialog or dropped on the
// main window: each file read into the fields of a ride for the entry dialog.

#include <QString>
#include <QStringList>
#include <vector>

#include "diary/record.h"
#include "diary/regional.h"

class QMimeData;
class QWidget;

namespace trackrides {

// The open dialog's filter.
QString Filter();

// The local files among dragged or dropped data (a web address is no file).
QStringList LocalFiles(const QMimeData* data);

struct TrackRide {
    QString path;
    diary::DiaryRecord fields;  // date, distance, ride time, speeds and note; no number
    bool timed = false;         // the file has time stamps (else only the distance is known)
};

// The rides of `paths` in the order they were ridden; files without time stamps follow in
// the order given. A file that cannot be read as a ride is said in an "Error" box that names
// it, and left out.
std::vector<TrackRide> ReadRides(QWidget* parent, const QStringList& paths,
                                 const diary::RegionalSettings& regional);

// Tells the user, before the entry dialog opens, that `ride` has no time stamps (only its
// distance is filled); nothing for a timed ride.
void SayWhatIsMissing(QWidget* parent, const TrackRide& ride);

// The entry dialog's caption for `ride`: "Nový údaj" and the file's name.
QString Caption(const TrackRide& ride);

}  // namespace trackrides
