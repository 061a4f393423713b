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
        captions.append(FromUtf8(caption));
    }
    grid = MakeCaptionGrid(this, captions, QStringLiteral("-"));
    grid->setHorizontalHeaderLabels({QStringLiteral("Údaj"), QStringLiteral("Obsah")});

    // The whole grid is visible at once: no caption is cut and nothing scrolls.
    const QFontMetrics fm(grid->font());
    int captionWidth = 111;
    for (const QString& caption : captions) {
        captionWidth = std::max(captionWidth, fm.horizontalAdvance(caption) + 16);
    }
    grid->setColumnWidth(0, captionWidth);
    grid->setColumnWidth(1, std::max(419, fm.horizontalAdvance(QLatin1Char('0')) * 50));
    const int frame = 2 * grid->frameWidth();
    int height = grid->horizontalHeader()->sizeHint().height() + frame;
    for (int r = 0; r < diary::kColumnCount; ++r) height += grid->rowHeight(r);
    grid->setFixedSize(grid->columnWidth(0) + grid->columnWidth(1) + frame, height);

    okButton = new QPushButton(icons::Ok(), QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    okButton->setMinimumWidth(87);
    okButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addStretch();

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 3);
    root->setSpacing(6);
    root->addWidget(grid);
    root->addLayout(buttons);
    root->setSizeConstraint(QLayout::SetFixedSize);

    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TInfoForm::Fill(const diary::RecordRow& row) {
    for (int r = 0; r < diary::kColumnCount; ++r) {
        const QString text = FromCp(row.Column(r));
        QTableWidgetItem* item = grid->item(r, 1);
        item->setText(text);
        // A long note may not fit the column; the tooltip shows it whole.
        item->setToolTip(text);
    }
}

void TInfoForm::ShowRecord(const diary::RecordRow& row) {
    Fill(row);
    okButton->setFocus();
    exec();
}
