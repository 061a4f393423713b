#include "app/csvexport.h"

#include "app/filedialog.h"
#include "app/msgbox.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/csv_export.h"

namespace csvexport {

QString Filter() { return QStringLiteral("Soubory CSV (*.csv);;Všechny soubory (*)"); }

bool WriteList(QWidget* parent, const RecordModel& list, const QString& chosen,
               const diary::RegionalSettings& regional) {
    QString path = chosen;
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) path += QStringLiteral(".csv");
    if (!filedialog::MayOverwrite(parent, path)) return false;
    return Guarded(parent, [&] {
        diary::ExportCsv(ToFsPath(path), diary::ListCsvColumns(), list.table().Rows(), regional);
    });
}

}  // namespace csvexport
