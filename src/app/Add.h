#pragma once
// The record entry dialog: one ride typed in or corrected, with the helpers that fill a field.

#include <QDialog>
#include <string>
#include <vector>

#include "diary/record.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class TAddForm : public QDialog {
    Q_OBJECT
public:
    explicit TAddForm(QWidget* parent = nullptr);

    // The number in Cislo and the eleven fields, as code page 1250 texts.
    void SetRecord(const diary::DiaryRecord& record);
    diary::DiaryRecord Record() const;
    void SetNumber(const QString& number);
    QString Number() const;
    // Empties every field; the place lists stay.
    void ClearFields();
    // The place lists offered by od, kam and pres, in file order.
    void SetPlaceLists(const std::vector<std::string>& from, const std::vector<std::string>& to,
                       const std::vector<std::string>& via);

    // The widget of a field by its name in the record.
    QWidget* FieldWidget(diary::Field field) const;

    QLabel* Cislo = nullptr;
    QLineEdit* Dat = nullptr;
    QComboBox* od = nullptr;
    QComboBox* pres = nullptr;
    QComboBox* kam = nullptr;
    QLineEdit* Odj = nullptr;
    QLineEdit* Ujeto = nullptr;
    QLineEdit* Pri = nullptr;
    QLineEdit* Pr = nullptr;
    QLineEdit* Cj = nullptr;
    QLineEdit* Mr = nullptr;
    QLineEdit* Pozn = nullptr;
    QPushButton* DnesButton = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QPushButton* Button2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QPushButton* Button1 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

public slots:
    void DnesButtonClick();
    void SpeedButton1Click();
    void Button2Click();
    void SpeedButton3Click();
    void SpeedButton2Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void Button1Click();
    void OKButtonClick();
    void CancelButtonClick();

    // Esc and the close box end the dialog as "Storno" does.
    void reject() override;

private:
    QString FieldText(diary::Field field) const;
    void SetFieldText(diary::Field field, const QString& text);
};
