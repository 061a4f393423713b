#include "app/textcodec.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>

#include "diary/cp1250.h"

QString FromCp(std::string_view bytes) {
    const std::u16string wide = diary::Cp1250ToUtf16(bytes);
    return QString::fromUtf16(wide.c_str(), static_cast<qsizetype>(wide.size()));
}

std::string ToCp(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (auto b = diary::Utf16ToCp1250(std::u16string_view(&u, 1))) {
            out += *b;
        } else {
            out += '?';
        }
    }
    return out;
}

bool IsCp1250Text(const QString& text) {
    for (QChar c : text) {
        if (!diary::IsCp1250Representable(c.unicode())) return false;
    }
    return true;
}

std::string ToFsPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromFsPath(std::string_view bytes) {
    return QFile::decodeName(QByteArrayView(bytes).toByteArray());
}

QValidator::State Cp1250Validator::validate(QString& input, int&) const {
    return IsCp1250Text(input) ? Acceptable : Invalid;
}

void GuardCp1250(QWidget* widget) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setValidator(new Cp1250Validator(edit));
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        if (combo->isEditable()) combo->setValidator(new Cp1250Validator(combo));
    }
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
