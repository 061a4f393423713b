#include "app/statisticswindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/captiongrid.h"
#include "app/icons.h"
#include "app/recordmodel.h"
#include "app/textcodec.h"
#include "diary/record_table.h"
#include "diary/statistics.h"

TStatForm::TStatForm(const RecordModel* list, const diary::RegionalSettings& regional,
                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      list_(list),
      regional_(regional) {
    setObjectName(QStringLiteral("StatForm"));
    setWindowTitle(QStringLiteral("Statistika"));
    setModal(false);

    QStringList captions;
    for (std::string_view c : diary::kStatisticsCaptions) {
        captions.append(QString::fromUtf8(c.data(), static_cast<qsizetype>(c.size())));
    }
    Grid = MakeCaptionGrid(this, captions, QString());
    Grid->horizontalHeader()->hide();
    Grid->setFrameShape(QFrame::NoFrame);
    Grid->setShowGrid(true);

    const QFontMetrics fm(Grid->font());
    int captionWidth = 150;
    for (const QString& caption : captions) {
        captionWidth = std::max(captionWidth, fm.horizontalAdvance(caption) + 12);
    }
    // Room for the longest figure the core writes: 15 significant digits, sign, separator
    // and exponent, or a ride time in whole hours and minutes.
    const int figureWidth =
        std::max(150, fm.horizontalAdvance(QStringLiteral("-2147483647,12345 h 59 min")) + 12);
    Grid->setColumnWidth(0, captionWidth);
    Grid->setColumnWidth(1, figureWidth);
    int height = 0;
    for (int r = 0; r < 12; ++r) height += Grid->rowHeight(r);
    Grid->setFixedSize(captionWidth + figureWidth + 1, height + 1);

    OKButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setMinimumWidth(80);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 3);
    root->setSpacing(8);
    root->addWidget(Grid);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &QWidget::close);
}

void TStatForm::GetInfo() {
    const auto figures = diary::ComputeStatistics(list_->table(), regional_).Rows();
    for (int r = 0; r < 12; ++r) {
        const QString text = FromCp(figures[static_cast<std::size_t>(r)]);
        Grid->item(r, 1)->setText(text);
        Grid->item(r, 1)->setToolTip(text);
    }
}

void TStatForm::ShowStatistics() {
    if (list_->rowCount() == 0) return;
    GetInfo();
    show();
    raise();
    activateWindow();
}
