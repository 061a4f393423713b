#include "app/detailwindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/captiongrid.h"
#include "app/icons.h"
#include "app/textcodec.h"
#include "diary/fields.h"

TInfoForm::TInfoForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("InfoForm"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);

    QStringList captions;
    for (int c = 0; c < diary::kColumnCount; ++c) {
        const std::string_view caption = diary::ColumnAt(c)->detail;
        captions.append(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    }
    Grid = MakeCaptionGrid(this, captions, QStringLiteral("-"));
    Grid->setHorizontalHeaderLabels({QStringLiteral("Údaj"), QStringLiteral("Obsah")});

    // The whole grid is visible at once: no caption is cut and nothing scrolls.
    const QFontMetrics fm(Grid->font());
    int captionWidth = 111;
    for (const QString& caption : captions) {
        captionWidth = std::max(captionWidth, fm.horizontalAdvance(caption) + 16);
    }
    Grid->setColumnWidth(0, captionWidth);
    Grid->setColumnWidth(1, std::max(419, fm.horizontalAdvance(QLatin1Char('0')) * 50));
    const int frame = 2 * Grid->frameWidth();
    int height = Grid->horizontalHeader()->sizeHint().height() + frame;
    for (int r = 0; r < diary::kColumnCount; ++r) height += Grid->rowHeight(r);
    Grid->setFixedSize(Grid->columnWidth(0) + Grid->columnWidth(1) + frame, height);

    OKButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setMinimumWidth(87);
    OKButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 3);
    root->setSpacing(6);
    root->addWidget(Grid);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TInfoForm::Fill(const diary::RecordRow& row) {
    for (int r = 0; r < diary::kColumnCount; ++r) {
        const QString text = FromCp(row.Column(r));
        QTableWidgetItem* item = Grid->item(r, 1);
        item->setText(text);
        // A long note may not fit the column; the tooltip shows it whole.
        item->setToolTip(text);
    }
}

void TInfoForm::ShowRecord(const diary::RecordRow& row) {
    Fill(row);
    OKButton->setFocus();
    exec();
}
