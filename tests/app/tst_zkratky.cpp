#include <sys/stat.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "TempDir.h"
#include "app/placelisteditor.h"
#include "diary/settings.h"
#include "guitest.h"

namespace {

QStringList Items(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

std::vector<std::string> CpList(std::initializer_list<const char*> items) {
    std::vector<std::string> out;
    for (const char* i : items) out.push_back(guitest::Cp(i));
    return out;
}

// The named controls in the order Tab visits them, starting from the first list.
QStringList TabOrder(TZkratkyForm* form) {
    QStringList out;
    QWidget* w = guitest::Get<QListWidget>(form, "List1");
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() &&
            !w->objectName().startsWith(QStringLiteral("qt_")))
            out << w->objectName();
        w = w->nextInFocusChain();
    } while (w != guitest::Get<QListWidget>(form, "List1") && out.size() < 30);
    return out;
}

}  // namespace

class ZkratkyTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir_ = std::make_unique<testsupport::TempDir>();
        restarts_.clear();
        saved_ = TZkratkyForm::restarter;
        TZkratkyForm::restarter = [this](const QString& exe) { restarts_ << exe; };
        form_ = std::make_unique<TZkratkyForm>(QStringList{"Doma", "Práce"}, QStringList{"Brno"},
                                               QStringList{}, diary::SettingsPath(dir_->path()));
    }
    void cleanup() {
        form_.reset();
        TZkratkyForm::restarter = saved_;
        dir_.reset();
    }

    void layout() {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Zkratky"));
        const char* labels[][2] = {{"Label1", "Odkud"}, {"Label2", "Kam"}, {"Label3", "Přes"}};
        for (auto [name, text] : labels) {
            auto* label = guitest::Get<QLabel>(form_.get(), name);
            QVERIFY2(label, name);
            QCOMPARE(label->text(), QString::fromUtf8(text));
        }
        for (int i = 1; i <= 6; ++i) {
            const QString name = QStringLiteral("Button%1").arg(i);
            auto* b = form_->findChild<QPushButton*>(name);
            QVERIFY(b);
            QCOMPARE(b->text(), i % 2 ? QStringLiteral("Přidat") : QStringLiteral("Smazat"));
            QVERIFY(!b->isDefault());
        }
        CONTROL(list1, QListWidget, form_.get(), "List1");
        QCOMPARE(list1->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!list1->isSortingEnabled());
        QCOMPARE(Items(list1), (QStringList{"Doma", "Práce"}));
        QCOMPARE(
            TabOrder(form_.get()),
            (QStringList{"List1", "List2", "List3", "Edit1", "Edit2", "Edit3", "Button1", "Button2",
                         "Button3", "Button4", "Button5", "Button6", "OKButton", "CancelButton"}));
    }

    void addAppendsTheTextUnchanged() {
        CONTROL(edit1, QLineEdit, form_.get(), "Edit1");
        CONTROL(add1, QPushButton, form_.get(), "Button1");
        add1->click();
        edit1->setText(QStringLiteral(" Doma "));
        add1->click();
        add1->click();
        QCOMPARE(edit1->text(), QStringLiteral(" Doma "));
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List1")),
                 (QStringList{"Doma", "Práce", "", " Doma ", " Doma "}));

        CONTROL(edit3, QLineEdit, form_.get(), "Edit3");
        CONTROL(add3, QPushButton, form_.get(), "Button5");
        edit3->setText(QStringLiteral("Říčany"));
        add3->click();
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List3")), QStringList{"Říčany"});
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List2")), QStringList{"Brno"});
    }

    void deleteRemovesOnlyTheSelectedEntry() {
        CONTROL(del1, QPushButton, form_.get(), "Button2");
        del1->click();
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List1")),
                 (QStringList{"Doma", "Práce"}));
        guitest::Get<QListWidget>(form_.get(), "List1")->setCurrentRow(0);
        del1->click();
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List1")), QStringList{"Práce"});
        CONTROL(del2, QPushButton, form_.get(), "Button4");
        guitest::Get<QListWidget>(form_.get(), "List2")->setCurrentRow(0);
        del2->click();
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List2")), QStringList{});
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List1")), QStringList{"Práce"});
    }

    // Storno hides without restoring; nothing is written and nothing restarts.
    void stornoKeepsTheEditedLists() {
        form_->show();
        guitest::Get<QListWidget>(form_.get(), "List1")->setCurrentRow(1);
        guitest::Get<QPushButton>(form_.get(), "Button2")->click();
        CONTROL(cancel, QPushButton, form_.get(), "CancelButton");
        cancel->click();
        QVERIFY(!form_->isVisible());
        form_->show();
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List1")), QStringList{"Doma"});
        QTest::keyClick(form_.get(), Qt::Key_Escape);
        QVERIFY(!form_->isVisible());
        QVERIFY(!testsupport::FileExists(diary::SettingsPath(dir_->path())));
        QVERIFY(restarts_.isEmpty());
    }

    void okSavesAllThreeListsAndRestarts() {
        const std::string settings = diary::SettingsPath(dir_->path());
        testsupport::WriteFileBytes(settings,
                                    guitest::Cp("[soubor]\r\nfile=/tmp/a.vam\r\n[odkud]\r\n"
                                                "1=Doma\r\n2=Práce\r\n[kam]\r\n1=Brno\r\n"));
        guitest::Get<QLineEdit>(form_.get(), "Edit2")->setText(QStringLiteral("Kolín"));
        guitest::Get<QPushButton>(form_.get(), "Button3")->click();
        CONTROL(ok, QPushButton, form_.get(), "OKButton");
        ok->click();
        QCOMPARE(restarts_, QStringList{QCoreApplication::applicationFilePath()});
        QCOMPARE(diary::ReadPlaceList(settings, "odkud"), CpList({"Doma", "Práce"}));
        QCOMPARE(diary::ReadPlaceList(settings, "kam"), CpList({"Brno", "Kolín"}));
        QCOMPARE(diary::ReadPlaceList(settings, "pres"), CpList({}));
        QCOMPARE(diary::ReadLastDiary(settings, "x"), std::string("/tmp/a.vam"));
    }

    void failedWriteShowsTheErrorAndDoesNotRestart() {
        form_->show();
        const std::string settings = diary::SettingsPath(dir_->path());
        const std::string opened =
            guitest::Cp("[odkud]\r\n1=Doma\r\n2=Práce\r\n[kam]\r\n1=Brno\r\n");
        testsupport::WriteFileBytes(settings, opened);
        QCOMPARE(chmod(settings.c_str(), 0444), 0);
        auto caption = std::make_shared<QString>();
        auto text = std::make_shared<QString>();
        auto ran = guitest::AnswerModal([caption, text](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            *caption = box->windowTitle();
            *text = box->text();
            guitest::Get<QPushButton>(box, "OK")->click();
        });
        guitest::Get<QPushButton>(form_.get(), "OKButton")->click();
        QVERIFY(ran->done);
        QCOMPARE(*caption, QStringLiteral("Error"));
        QCOMPARE(*text, QStringLiteral("Unable to write to ") + QString::fromStdString(settings) +
                            QStringLiteral("\nK souboru nemáte přístup."));
        QVERIFY(restarts_.isEmpty());
        QVERIFY(form_->isVisible());
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List1")),
                 (QStringList{"Doma", "Práce"}));
        QCOMPARE(testsupport::ReadFileBytes(settings), opened);
    }

    // Lists another program saved after the editor opened are shown, not overwritten; the
    // program does not restart, and a second OK then saves on top of them.
    void listsChangedMeanwhileAreShownNotOverwritten() {
        form_->show();
        const std::string settings = diary::SettingsPath(dir_->path());
        const std::string theirs = guitest::Cp("[odkud]\r\n1=Staré\r\n");
        testsupport::WriteFileBytes(settings, theirs);
        guitest::Get<QLineEdit>(form_.get(), "Edit3")->setText(QStringLiteral("Beroun"));
        guitest::Get<QPushButton>(form_.get(), "Button5")->click();
        auto box = guitest::AnswerMessage(QStringLiteral("OK"));
        guitest::Get<QPushButton>(form_.get(), "OKButton")->click();
        QVERIFY(box->done);
        QCOMPARE(box->title, QStringLiteral("Error"));
        QVERIFY2(box->text.contains(QStringLiteral("jiný program")), qPrintable(box->text));
        QVERIFY(restarts_.isEmpty());
        QCOMPARE(testsupport::ReadFileBytes(settings), theirs);
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List1")), (QStringList{"Staré"}));
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List2")), QStringList{});
        QCOMPARE(Items(guitest::Get<QListWidget>(form_.get(), "List3")), QStringList{});

        guitest::Get<QPushButton>(form_.get(), "OKButton")->click();
        QCOMPARE(restarts_.size(), 1);
        QCOMPARE(diary::ReadPlaceList(settings, "odkud"), CpList({"Staré"}));
    }

private:
    std::unique_ptr<testsupport::TempDir> dir_;
    std::unique_ptr<TZkratkyForm> form_;
    std::function<void(const QString&)> saved_;
    QStringList restarts_;
};

VAMO_GUI_TEST(ZkratkyTest, "tst_zkratky")
#include "tst_zkratky.moc"
