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
        captions.append(FromUtf8(c));
    }
    grid = MakeCaptionGrid(this, captions, QString());
    grid->horizontalHeader()->hide();
    grid->setFrameShape(QFrame::NoFrame);
    grid->setShowGrid(true);

    const QFontMetrics fm(grid->font());
    int captionWidth = 150;
    for (const QString& caption : captions) {
        captionWidth = std::max(captionWidth, fm.horizontalAdvance(caption) + 12);
    }
    // Room for the longest figure the core writes: 15 significant digits, sign, separator
    // and exponent, or a ride time in whole hours and minutes.
    const int figureWidth =
        std::max(150, fm.horizontalAdvance(QStringLiteral("-2147483647,12345 h 59 min")) + 12);
    grid->setColumnWidth(0, captionWidth);
    grid->setColumnWidth(1, figureWidth);
    int height = 0;
    for (int r = 0; r < 12; ++r) height += grid->rowHeight(r);
    grid->setFixedSize(captionWidth + figureWidth + 1, height + 1);

    okButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setMinimumWidth(80);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 3);
    root->setSpacing(8);
    root->addWidget(grid);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &QWidget::close);
}

void TStatForm::GetInfo() {
    const auto figures = diary::ComputeStatistics(list_->table(), regional_).Rows();
    for (int r = 0; r < 12; ++r) {
        const QString text = FromCp(figures[static_cast<std::size_t>(r)]);
        grid->item(r, 1)->setText(text);
        grid->item(r, 1)->setToolTip(text);
    }
}

void TStatForm::ShowStatistics() {
    if (list_->rowCount() == 0) return;
    GetInfo();
    show();
    raise();
    activateWindow();
}
