#include "app/controls.h"

#include <QPushButton>

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        int minimumWidth) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setMinimumWidth(minimumWidth);
    return button;
}
