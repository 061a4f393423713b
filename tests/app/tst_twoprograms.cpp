// Two copies of the program on one diary: whatever order their changes come in, the file keeps
// every ride either side saved, its keys stay 1..n, and each list comes to show the file. And
// another program that writes the diary in place is seen even when it hides its traces.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <fstream>
#include <functional>
#include <memory>

#include "TestText.h"
#include "app/diarywatcher.h"
#include "app/entrydialog.h"
#include "app/mainwindow.h"
#include "app/msgbox.h"
#include "app/recordmodel.h"
#include "app/searchwindow.h"
#include "app/textcodec.h"
#include "diary/diary_file.h"
#include "diary/file_lock.h"
#include "guitest.h"

using diary::Field;
using guitest::Cp;
using guitest::Q;

namespace {

const std::string kFive = guitest::DiaryBytes({
    {"1", "1.5.2001§Doma§Les§§100§110§10§20§30§0 h 30 min§jedna§"},
    {"2", "2.5.2001§Doma§Les§§110§120§10§20§30§0 h 30 min§dva§"},
    {"3", "3.5.2001§Doma§Les§§120§130§10§20§30§0 h 30 min§tři§"},
    {"4", "4.5.2001§Doma§Les§§130§140§10§20§30§0 h 30 min§čtyři§"},
    {"5", "5.5.2001§Doma§Les§§140§150§10§20§30§0 h 30 min§pět§"},
});

// One step of one program: the command with its entry dialog or question answered.
using Step = std::function<void(TMainForm*)>;

void Select(TMainForm* main, const char* note) {
    const RecordModel* model = main->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 11).data().toString() == Q(note)) {
            guitest::ClickRow(guitest::Get<QTreeView>(main, "Seznam"), r);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no ride '%1' in the list").arg(Q(note))));
}

Step Add(const char* note) {
    return [note](TMainForm* main) {
        auto dialog = guitest::AnswerModal([note](QWidget* modal) {
            guitest::Get<QLineEdit>(modal, "Pozn")->setText(Q(note));
            guitest::Get<QPushButton>(modal, "OKButton")->click();
        });
        SetNextMessageAnswer(kResultOk);  // a changed number is told
        guitest::Get<QAction>(main, "Novy1")->trigger();
        ClearNextMessageAnswer();
        QVERIFY(dialog->done);
    };
}

Step Edit(const char* note, const char* newNote) {
    return [=](TMainForm* main) {
        Select(main, note);
        auto dialog = guitest::AnswerModal([newNote](QWidget* modal) {
            guitest::Get<QLineEdit>(modal, "Pozn")->setText(Q(newNote));
            guitest::Get<QPushButton>(modal, "OKButton")->click();
        });
        SetNextMessageAnswer(kResultOk);  // a refusal is told
        guitest::Get<QAction>(main, "Editovat1")->trigger();
        ClearNextMessageAnswer();
        QVERIFY(dialog->done);
    };
}

Step Delete(const char* note) {
    return [note](TMainForm* main) {
        Select(main, note);
        // "Opravdu smazat?" Yes, and OK to a refusal if there is one.
        SetNextMessageAnswer(kResultYes);
        SetNextMessageAnswer(kResultOk);
        guitest::Get<QAction>(main, "Smazat1")->trigger();
        ClearNextMessageAnswer();
    };
}

QStringList Notes(const std::string& path) {
    QStringList notes;
    for (const auto& r : diary::ReadDiary(path)) notes << FromCp(r[Field::Note]);
    return notes;
}

QStringList ListNotes(const QAbstractItemModel* model) {
    QStringList notes;
    for (int r = 0; r < model->rowCount(); ++r) notes << model->index(r, 11).data().toString();
    return notes;
}
QStringList ListNotes(const TMainForm* main) { return ListNotes(main->model()); }

}  // namespace

class TwoProgramsTest : public QObject {
    Q_OBJECT
private slots:
    void interleavedChanges_data() {
        QTest::addColumn<Step>("first");
        QTest::addColumn<Step>("second");
        QTest::addColumn<QStringList>("file");
        const QStringList five = {"jedna", "dva", Q("tři"), Q("čtyři"), Q("pět")};
        QTest::newRow("both add") << Add("A") << Add("B") << five + QStringList{"A", "B"};
        QTest::newRow("delete, then edit a moved ride")
            << Delete("dva") << Edit("čtyři", "B")
            << QStringList{"jedna", Q("tři"), Q("čtyři"), Q("pět")};
        QTest::newRow("delete, then add")
            << Delete("dva") << Add("B")
            << QStringList{"jedna", Q("tři"), Q("čtyři"), Q("pět"), "B"};
        QTest::newRow("delete, then delete a moved ride")
            << Delete("dva") << Delete("čtyři")
            << QStringList{"jedna", Q("tři"), Q("čtyři"), Q("pět")};
        QTest::newRow("delete, then edit the deleted ride")
            << Delete("pět") << Edit("pět", "B")
            << QStringList{"jedna", "dva", Q("tři"), Q("čtyři")};
    }

    // The second program acts on the list it loaded before the first one's change reached it.
    void interleavedChanges() {
        QFETCH(Step, first);
        QFETCH(Step, second);
        QFETCH(QStringList, file);
        guitest::Session session;
        const std::string path = session.FsPath("vamo2001.vam");
        testsupport::WriteFileBytes(path, kFive);
        session.Start();
        TMainForm* a = session.Main();
        auto b = std::make_unique<TMainForm>(session.Folder(), diary::RegionalSettings::Czech());
        a->show();
        b->show();
        QVERIFY(QTest::qWaitForWindowExposed(a));
        QVERIFY(QTest::qWaitForWindowExposed(b.get()));

        first(a);
        second(b.get());

        QCOMPARE(Notes(path), file);
        const auto records = diary::ReadDiary(path);
        for (std::size_t i = 0; i < records.size(); ++i)
            QCOMPARE(records[i].number, std::to_string(i + 1));
        QTRY_COMPARE_WITH_TIMEOUT(ListNotes(a), file, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(ListNotes(b.get()), file, 2000);
    }

    // "Opravdu smazat?" is open while another program changes the diary and the list reloads
    // behind the box: Yes deletes the ride the user chose, or nothing, and says why.
    void deleteWhileTheQuestionIsOpen_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("outside");  // the notes another program leaves
        QTest::addColumn<QStringList>("file");
        QTest::addColumn<QString>("message");
        const QStringList five = {"jedna", "dva", Q("tři"), Q("čtyři"), Q("pět")};
        QTest::newRow("a ride before it deleted")
            << "dva" << five.mid(1) << five.mid(1) << Q("Údaj č. 2 mezitím změnil jiný program.");
        QTest::newRow("the list cut short under the last ride")
            << Q("pět") << QStringList{"jedna"} << QStringList{"jedna"}
            << Q("Údaj č. 5 už v deníku není");
        QTest::newRow("the ride edited")
            << "dva" << QStringList{"jedna", "dva!", Q("tři")}
            << QStringList{"jedna", "dva!", Q("tři")} << Q("Údaj č. 2 mezitím změnil");
    }

    void deleteWhileTheQuestionIsOpen() {
        QFETCH(QString, chosen);
        QFETCH(QStringList, outside);
        QFETCH(QStringList, file);
        QFETCH(QString, message);
        guitest::Session session;
        const std::string path = session.FsPath("vamo2001.vam");
        testsupport::WriteFileBytes(path, kFive);
        session.Start();
        TMainForm* main = session.Main();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main));
        Select(main, chosen.toUtf8().constData());

        auto question = guitest::AnswerModal([&](QWidget* box) {
            std::string bytes = "[Data]\r\n";
            for (int i = 0; i < outside.size(); ++i)
                bytes += std::to_string(i + 1) + "=" + Cp("1.5.2001§Doma§§§§§§§§§") +
                         ToCp(outside[i]) + Cp("§") + "\r\n";
            testsupport::WriteFileBytes(path + ".new", bytes);
            QCOMPARE(::rename((path + ".new").c_str(), path.c_str()), 0);
            QTRY_COMPARE_WITH_TIMEOUT(ListNotes(main), outside, 2000);
            SetNextMessageAnswer(kResultOk);
            guitest::Get<QAbstractButton>(box, "Yes")->click();
        });
        guitest::Get<QAction>(main, "Smazat1")->trigger();
        QVERIFY(question->done);
        QVERIFY(!HasPendingMessageAnswer());
        QVERIFY2(LastAnsweredMessage().text.startsWith(message),
                 qPrintable(LastAnsweredMessage().text));
        QCOMPARE(Notes(path), file);
        QCOMPARE(ListNotes(main), file);
    }

    // OK in the entry dialog that cannot save yet (another program holds the diary, the disk
    // is full) says why and keeps the dialog open with what was typed; the next OK saves.
    void entryDialogKeepsTheRideUntilItIsSaved_data() {
        QTest::addColumn<bool>("busy");
        QTest::newRow("diary busy") << true;
        QTest::newRow("disk full") << false;
    }

    void entryDialogKeepsTheRideUntilItIsSaved() {
        QFETCH(bool, busy);
        guitest::Session session;
        const std::string path = session.FsPath("vamo2001.vam");
        testsupport::WriteFileBytes(path, kFive);
        session.Start();
        TMainForm* main = session.Main();
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit was{};
        ::getrlimit(RLIMIT_FSIZE, &was);
        auto entry = guitest::AnswerModal([&](QWidget* dialog) {
            guitest::Get<QLineEdit>(dialog, "Pozn")->setText(QStringLiteral("šestá"));
            {
                std::unique_ptr<diary::FileLock> lock;
                if (busy) {
                    lock = std::make_unique<diary::FileLock>(path, diary::LockedFile::Diary);
                } else {
                    rlimit tight = was;
                    tight.rlim_cur = 64;
                    ::setrlimit(RLIMIT_FSIZE, &tight);
                }
                SetNextMessageAnswer(kResultOk);
                guitest::Get<QPushButton>(dialog, "OKButton")->click();
                ::setrlimit(RLIMIT_FSIZE, &was);
                QVERIFY(!HasPendingMessageAnswer());
                QCOMPARE(LastAnsweredMessage().caption, QStringLiteral("Error"));
            }
            QVERIFY(dialog->isVisible());
            QCOMPARE(guitest::Get<QLineEdit>(dialog, "Pozn")->text(), QStringLiteral("šestá"));
            QCOMPARE(Notes(path).size(), 5);
            guitest::Get<QPushButton>(dialog, "OKButton")->click();
            QVERIFY(!dialog->isVisible());
        });
        guitest::Get<QAction>(main, "Novy1")->trigger();
        QVERIFY(entry->done);
        QCOMPARE(Notes(path).last(), QStringLiteral("šestá"));
        QCOMPARE(ListNotes(main).last(), QStringLiteral("šestá"));
    }

    // "Vyhledat" lists the file's rides in the file's order: the sorted main list's own rows
    // while it holds the file, the file itself as soon as another program changed it, before
    // the list has caught up.
    void searchFindsWhatTheFileHolds() {
        guitest::Session session;
        const std::string path = session.FsPath("vamo2001.vam");
        testsupport::WriteFileBytes(path, kFive);
        session.Start();
        TMainForm* main = session.Main();
        guitest::ClickHeader(guitest::Get<QTreeView>(main, "Seznam"), 11);
        auto* find = guitest::Window<TFindForm>("FindForm");
        const QAbstractItemModel* results = guitest::Get<QTreeView>(find, "List")->model();
        QStringList file = {"jedna", "dva", Q("tři"), Q("čtyři"), Q("pět")};
        guitest::Get<QPushButton>(find, "FindButton")->click();
        QCOMPARE(ListNotes(results), file);
        diary::DiaryRecord six;
        six[Field::Date] = "6.5.2001";
        six[Field::Note] = Cp("šest");
        testsupport::WriteRide(path, "6", six);
        guitest::Get<QPushButton>(find, "FindButton")->click();
        QCOMPARE(ListNotes(results), file << Q("šest"));
        QTRY_COMPARE_WITH_TIMEOUT(main->model()->rowCount(), 6, 2000);
        guitest::Get<QPushButton>(find, "FindButton")->click();
        QCOMPARE(ListNotes(results), file);
    }

    // Another program replaces the diary again and again with a file that cannot be read: one
    // box says so, not one per replacement.
    void unreadableReplacementsAreSaidOnce() {
        guitest::Session session;
        const std::string path = session.FsPath("vamo2001.vam");
        testsupport::WriteFileBytes(path, kFive);
        session.Start();
        SetNextMessageAnswer(kResultOk);
        SetNextMessageAnswer(kResultOk);
        for (int i = 0; i < 25; ++i) {
            const std::string fifo = path + ".fifo";
            QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
            QCOMPARE(::rename(fifo.c_str(), path.c_str()), 0);
            QTest::qWait(200);
        }
        QTest::qWait(400);
        QVERIFY(HasPendingMessageAnswer());
        ClearNextMessageAnswer();
        QVERIFY2(LastAnsweredMessage().text.contains(session.Path("vamo2001.vam")),
                 qPrintable(LastAnsweredMessage().text));
    }

    // A ride changed in place, the size and the old modification time kept: only the bytes
    // tell. A touch that changes no byte is no change.
    void sameSizeChangeWithItsOldTimeIsSeen() {
        guitest::Session session;
        const std::string path = session.FsPath("vamo2001.vam");
        testsupport::WriteFileBytes(path, kFive);
        struct stat st {};
        QCOMPARE(::stat(path.c_str(), &st), 0);
        const timespec times[2] = {st.st_atim, st.st_mtim};
        DiaryWatcher watcher;
        QSignalSpy changed(&watcher, &DiaryWatcher::ChangedOnDisk);
        watcher.Watch(FromFsPath(path));
        for (const char* note : {"Jedna", "Jedna"}) {
            std::fstream(path, std::ios::in | std::ios::out)
                << kFive.substr(0, kFive.find("jedna")) << note;
            QCOMPARE(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
            QTest::qWait(500);
            QCOMPARE(changed.count(), 1);
        }
    }
};

VAMO_GUI_TEST(TwoProgramsTest, "tst_twoprograms")
#include "tst_twoprograms.moc"
