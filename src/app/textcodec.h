#pragma once
// Where text leaves the core for a widget and comes back: code page 1250 against QString.

#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

// Code page 1250 bytes to a QString (every byte round-trips).
QString FromCp(std::string_view bytes);
// A QString to code page 1250; characters the code page cannot hold become '?'. Widgets that
// take user text carry a Cp1250Validator, so user text never reaches this fallback.
std::string ToCp(const QString& text);
bool IsCp1250Text(const QString& text);

// UTF-8 text of the core's own (month names, figures' captions) to a QString.
QString FromUtf8(std::string_view text);

// File system paths: the core takes the file system's own bytes (UTF-8 here).
std::string ToFsPath(const QString& path);
QString FromFsPath(std::string_view bytes);

// Refuses any input holding a character that code page 1250 cannot hold, so it is never
// changed silently on its way to the file.
class Cp1250Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Puts a Cp1250Validator on a line edit or an editable combo box.
class QWidget;
void GuardCp1250(QWidget* widget);
