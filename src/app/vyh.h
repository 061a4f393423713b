#pragma once
// The search window: up to ten conditions over the open diary's records, joined by "A" (all)
// or "nebo" (any); the matches are listed as the main list shows them.

#include <QWidget>

#include "diary/search.h"

class QCheckBox;
class QLineEdit;
class QToolButton;
class QPushButton;
class QGroupBox;
class QRadioButton;
class QTreeView;
class RecordModel;

class TFindForm : public QWidget {
    Q_OBJECT
public:
    explicit TFindForm(QWidget *parent = nullptr);

    // Which bound the ride-time dialog fills on "OK": 1 Ecasod, 2 Ecasdo, 3 the entry dialog
    // (which takes the text itself), anything else nothing.
    int timeTarget = 0;

    // The conditions as the controls show them, in code page 1250.
    diary::SearchConditions Conditions() const;
    RecordModel *results() const { return results_; }

    QCheckBox *Chdatum, *Chodkud, *Chkam, *CHpres, *Chodjezd, *Chprijezd, *Chujeto, *Chprumrych,
        *Chmax, *Chcas;
    QLineEdit *Edatumod, *EDatumdo, *Eodkud, *Ekam, *Epres, *Eodjezdod, *Eodjezddo, *Eprijezdod,
        *Eprijezddo, *Eujetood, *Eujetodo, *Eprumrychod, *Eprumrychdo, *Emaxod, *Emaxdo, *Ecasod,
        *Ecasdo;
    QToolButton *SpeedButton1, *SpeedButton2;
    QPushButton *Button1, *Button2;
    QGroupBox *styl;
    QRadioButton *stylA, *stylNebo;
    QPushButton *FindButton, *CancelButton;
    QTreeView *List;

public slots:
    void BvyhClick();
    void BstornoClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void EcasodClickBtn();
    void EcasdoClickBtn();

private:
    RecordModel *results_;
};
