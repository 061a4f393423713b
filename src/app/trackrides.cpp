#include "app/trackrides.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "app/msgbox.h"
#include "app/textcodec.h"
#include "tracks/track_file.h"

namespace trackrides {

QString Filter() { return QStringLiteral("Záznamy GPS (*.gpx *.tcx *.fit);;Všechny soubory (*)"); }

QStringList LocalFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files.append(url.toLocalFile());
    }
    return files;
}

std::vector<TrackRide> ReadRides(QWidget* parent, const QStringList& paths,
                                 const diary::RegionalSettings& regional) {
    struct Read {
        TrackRide ride;
        std::int64_t start;
    };
    std::vector<Read> rides;
    for (const QString& path : paths) {
        Guarded(parent, [&] {
            const tracks::TrackSummary summary = tracks::ReadTrackFile(ToFsPath(path));
            rides.push_back(
                {{path, tracks::RideFields(summary, regional), summary.startUtc.has_value()},
                 summary.startUtc.value_or(std::numeric_limits<std::int64_t>::max())});
        });
    }
    // Each ride's departure is the arrival of the one before it, so they go in as ridden.
    std::stable_sort(rides.begin(), rides.end(),
                     [](const Read& a, const Read& b) { return a.start < b.start; });
    std::vector<TrackRide> out;
    out.reserve(rides.size());
    for (Read& r : rides) out.push_back(std::move(r.ride));
    return out;
}

void SayWhatIsMissing(QWidget* parent, const TrackRide& ride) {
    if (ride.timed) return;
    ShowMessage(parent, MsgKind::Information,
                QStringLiteral("Záznam „%1“ nemá časové údaje: vyplněna je jen ujetá vzdálenost.")
                    .arg(QFileInfo(ride.path).fileName()));
}

QString Caption(const TrackRide& ride) {
    return QStringLiteral("Nový údaj – ") + QFileInfo(ride.path).fileName();
}

}  // namespace trackrides
