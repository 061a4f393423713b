#include "app/aboutdialog.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/icons.h"

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("O Programu"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);

    auto* ProgramIcon = new QLabel(panel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(icons::Program().pixmap(48, 48));
    auto* ProductName = new QLabel(QStringLiteral("Jméno programu : Vamo 2001"), panel);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    auto* Version = new QLabel(QStringLiteral("Verze 6.0"), panel);
    Version->setObjectName(QStringLiteral("Version"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Version);
    texts->addStretch(1);
    auto* inner = new QHBoxLayout(panel);
    inner->setContentsMargins(12, 12, 24, 12);
    inner->setSpacing(16);
    inner->addWidget(ProgramIcon, 0, Qt::AlignTop);
    inner->addLayout(texts);

    auto* OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* root = new QVBoxLayout(this);
    root->setSizeConstraint(QLayout::SetFixedSize);
    root->addWidget(panel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addStretch(1);
    root->addLayout(buttons);
}

void TAboutBox::ShowAbout() {
    show();
    raise();
    activateWindow();
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            adjustSize();
            move(screen->availableGeometry().center() - rect().center());
        }
    }
    QDialog::showEvent(event);
}
