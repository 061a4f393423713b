#pragma once
// Controls made the same way in several windows.

#include <QString>

class QPushButton;
class QWidget;

// A text button named `name` that Enter never presses, at least `minimumWidth` pixels wide.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        int minimumWidth = 89);
