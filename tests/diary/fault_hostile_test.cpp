// Files nobody should have to open: noise, NUL bytes, one enormous line, odd line ends, odd
// keys and sections. Every reader opens them in bounded time, writes nothing, and where
// Windows would read something definite, reads the same.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "TestText.h"
#include "diary/atomic_file.h"
#include "diary/diary_file.h"
#include "diary/errors.h"
#include "diary/old_import.h"
#include "diary/record.h"
#include "diary/settings.h"

namespace {

using namespace std::string_literals;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

// A record line whose date is `date` and whose other fields are empty.
std::string Line(const std::string& date) {
    return date + std::string(diary::kRequiredFieldCount, '\xA7');
}

std::string Noise(unsigned seed, std::size_t size) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
}

// Noise made of the bytes the readers react to, so that it forms sections, keys and lines.
std::string StructuredNoise(unsigned seed, std::size_t size) {
    static const std::string alphabet = "[]=;\r\n \t\"'\0\xA7*Data1203soubrfilekmp\xEF\xBB\xBF"s;
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = alphabet[rng() % alphabet.size()];
    return bytes;
}

struct HostileCase {
    std::string name;
    std::string bytes;
    std::optional<std::vector<std::string>> dates;  // the diary's records, by date
    std::optional<std::string> lastDiary;           // ReadLastDiary, default "default.vam"
    std::optional<std::vector<std::string>> from;   // ReadPlaceList "odkud"
    double seconds = 2.0;                           // allowed for each open
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

std::vector<HostileCase> Cases() {
    const std::string a = Line("A"), b = Line("B"), c = Line("C");
    std::vector<HostileCase> cases = {
        {"NulInKey",
         "[Data]\r\n1\0=" + a +
             "\r\n\0"
             "2=" +
             b + "\r\n"s,
         {},
         {},
         {}},
        {"NulInValueAndSection",
         "[Da\0ta]\r\n[Data]\r\n1=" + a + "\0" + b + "\r\n"s +
             "[soubor]\r\nfile=x\0y\r\n[odkud]\r\n1=\0\r\n"s,
         {},
         {},
         {}},
        {"LoneCrLines",
         "[Data]\r1=" + a + "\r2=" + b + "\r[soubor]\rfile=x.vam\r",
         std::vector<std::string>{"A", "B"},
         "x.vam",
         {}},
        {"MixedLineEnds",
         "[Data]\n1=" + a + "\r\n2=" + b + "\r3=" + c + "\n\r\n[odkud]\n\r1=P\r",
         std::vector<std::string>{"A", "B", "C"},
         {},
         std::vector<std::string>{"P"}},
        // Windows does not know the UTF-8 mark: it is part of the first line, which is then no
        // section header.
        {"Utf8MarkBeforeSection",
         "\xEF\xBB\xBF[Data]\r\n1=" + a + "\r\n",
         std::vector<std::string>{},
         {},
         {}},
        {"Utf8MarkBeforeSettings", "\xEF\xBB\xBF[soubor]\r\nfile=x.vam\r\n", {}, "default.vam", {}},
        {"DuplicateKeysFirstWins",
         "[Data]\r\n1=" + a + "\r\n2=" + b + "\r\n1=" + c + "\r\n",
         std::vector<std::string>{"A", "B"},
         {},
         {}},
        {"DuplicateSettingsKeysFirstWins",
         "[soubor]\r\nfile=first.vam\r\nFILE=second.vam\r\n[odkud]\r\n1=P\r\n1=Q\r\n2=R\r\n",
         {},
         "first.vam",
         std::vector<std::string>{"P", "R"}},
        {"SecondDataSectionUnread",
         "[Data]\r\n1=" + a + "\r\n[x]\r\ny=1\r\n[data]\r\n2=" + b + "\r\n",
         std::vector<std::string>{"A"},
         {},
         {}},
        {"SecondSettingsSectionUnread",
         "[soubor]\r\n[odkud]\r\n1=P\r\n[SOUBOR]\r\nfile=late.vam\r\n[odkud]\r\n2=Q\r\n",
         {},
         "default.vam",
         std::vector<std::string>{"P"}},
        {"EmptyFirstDataSection",
         "[Data]\r\n[Data]\r\n1=" + a + "\r\n",
         std::vector<std::string>{},
         {},
         {}},
        {"LeadingZerosAreOtherKeys",
         "[Data]\r\n01=" + c + "\r\n1=" + a + "\r\n002=" + c + "\r\n",
         std::vector<std::string>{"A"},
         {},
         {}},
        {"BlanksAroundKeysAreTrimmed",
         "[Data]\r\n 1 =" + a + "\r\n\t2\t=" + b + "\r\n",
         std::vector<std::string>{"A", "B"},
         {},
         {}},
        {"SignedKeysAreOtherKeys",
         "[Data]\r\n+1=" + c + "\r\n-1=" + c + "\r\n1 2=" + c + "\r\n",
         std::vector<std::string>{},
         {},
         {}},
        {"ThirtyDigitKeys",
         "[Data]\r\n1=" + a + "\r\n000000000000000000000000000002=" + c +
             "\r\n100000000000000000000000000002=" + c + "\r\n999999999999999999999999999999=" + c +
             "\r\n",
         std::vector<std::string>{"A"},
         {},
         {}},
        {"GapEndsTheRun",
         "[Data]\r\n1=" + a + "\r\n2=" + b + "\r\n4=" + c + "\r\n",
         std::vector<std::string>{"A", "B"},
         {},
         {}},
        {"KeysBackwards",
         "[Data]\r\n3=" + c + "\r\n2=" + b + "\r\n1=" + a + "\r\n",
         std::vector<std::string>{"A", "B", "C"},
         {},
         {}},
        // A header without "]" names the rest of its line.
        {"HeaderWithoutBracket",
         "[Data\r\n1=" + a + "\r\n[soubor\r\nfile=x.vam\r\n",
         std::vector<std::string>{"A"},
         "x.vam",
         {}},
        {"HeaderWithoutBracketAndMore",
         "[Data x\r\n1=" + a + "\r\n",
         std::vector<std::string>{},
         {},
         {}},
        {"HeaderAtEndWithoutNewline",
         "[x]\r\n1=" + c + "\r\n[Data]",
         std::vector<std::string>{},
         {},
         {}},
        {"HeaderAtEndAfterRecords",
         "[Data]\r\n1=" + a + "\r\n[Data]",
         std::vector<std::string>{"A"},
         {},
         {}},
        {"LoneBracketAtEnd", "[Data]\r\n1=" + a + "\r\n[", std::vector<std::string>{"A"}, {}, {}},
        {"OnlyABracket", "[", std::vector<std::string>{}, "default.vam",
         std::vector<std::string>{}},
        {"KeyWithoutValueAtEnd", "[Data]\r\n1=", std::vector<std::string>{""}, {}, {}},
        {"Empty", "", std::vector<std::string>{}, "default.vam", std::vector<std::string>{}},
        {"ManyLoneCrs",
         "[Data]\r1=" + a + std::string(5'000'000, '\r') + "2=" + b,
         std::vector<std::string>{"A", "B"},
         {},
         {}},
        {"ManyBrackets", std::string(5'000'000, '['), std::vector<std::string>{}, {}, {}},
        {"ManyEmptySections",
         [] {
             std::string s;
             for (int i = 0; i < 500'000; ++i) s += "[]\n";
             return s + "[Data]\n1=A" + std::string(11, '\xA7');
         }(),
         std::vector<std::string>{"A"},
         {},
         {}},
        {"ManyKeysOutOfOrder",
         [] {
             std::string s = "[Data]\r\n";
             for (int i = 100'000; i >= 1; --i) s += std::to_string(i) + "=" + Line("d") + "\r\n";
             return s;
         }(),
         std::vector<std::string>(100'000, "d"),
         {},
         {}},
    };
    for (unsigned seed = 1; seed <= 12; ++seed) {
        cases.push_back(
            {"Noise" + std::to_string(seed), Noise(seed, seed * seed * 700), {}, {}, {}});
        cases.push_back({"StructuredNoise" + std::to_string(seed),
                         StructuredNoise(seed, seed * seed * 700),
                         {},
                         {},
                         {}});
    }
    return cases;
}

// What a reader leaves to look at: the folder's names and sizes, and the file's own times.
std::map<std::string, std::string> FolderState(const std::string& folder) {
    std::map<std::string, std::string> state;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        state[entry.path().filename().string()] =
            std::to_string(st.st_size) + " " + std::to_string(st.st_mode) + " " +
            std::to_string(st.st_ino) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
            std::to_string(st.st_mtim.tv_nsec) + " " + std::to_string(st.st_ctim.tv_sec) + "." +
            std::to_string(st.st_ctim.tv_nsec);
    }
    return state;
}

#ifdef VAMO_SANITIZED
constexpr double kSlowdown = 5.0;  // an unoptimised build with AddressSanitizer
#else
constexpr double kSlowdown = 1.0;
#endif

// Runs one reader, failing the test if it throws or takes longer than allowed.
void Timed(const char* reader, double seconds, const std::function<void()>& read) {
    seconds *= kSlowdown;
    const auto start = std::chrono::steady_clock::now();
    try {
        read();
    } catch (const std::exception& e) {
        ADD_FAILURE() << reader << " threw: " << e.what();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), seconds) << reader << " took " << took.count() << " s";
}

std::vector<std::string> Dates(const std::vector<diary::DiaryRecord>& records) {
    std::vector<std::string> dates;
    for (const auto& r : records) dates.push_back(r[diary::Field::Date]);
    return dates;
}

// Returns what ReadDiary read.
std::vector<diary::DiaryRecord> OpenWithEveryReader(const HostileCase& c) {
    TempDir dir;
    const std::string path = dir.File("hostile.vam");
    WriteFileBytes(path, c.bytes);
    const auto before = FolderState(dir.path());

    std::vector<diary::DiaryRecord> records;
    std::vector<diary::RecordRow> rows;
    std::string last;
    std::vector<std::string> from;
    Timed("ReadDiary", c.seconds, [&] { records = diary::ReadDiary(path); });
    Timed("ReadDiaryRows", c.seconds, [&] { rows = diary::ReadDiaryRows(path); });
    Timed("ReadLastDiary", c.seconds, [&] { last = diary::ReadLastDiary(path, "default.vam"); });
    Timed("ReadPlaceList", c.seconds, [&] { from = diary::ReadPlaceList(path, "odkud"); });
    Timed("ReadOldDiary", c.seconds, [&] { diary::ReadOldDiary(path); });

    EXPECT_EQ(FolderState(dir.path()), before) << "a reader changed the folder";
    EXPECT_EQ(testsupport::ReadFileBytes(path), c.bytes);

    EXPECT_EQ(rows.size(), records.size());
    for (std::size_t i = 0; i < rows.size() && i < records.size(); ++i) {
        EXPECT_EQ(rows[i].ToRecord(), records[i]) << "record " << i + 1;
    }
    if (c.dates) {
        EXPECT_EQ(Dates(records), *c.dates);
    }
    if (c.lastDiary) {
        EXPECT_EQ(last, *c.lastDiary);
    }
    if (c.from) {
        EXPECT_EQ(from, *c.from);
    }
    return records;
}

class HostileFile : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileFile, EveryReaderOpensItQuicklyAndWritesNothing) { OpenWithEveryReader(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Table, HostileFile, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<HostileCase>& info) {
                             return info.param.name;
                         });

// One line of 50 MB: read whole, in a few seconds, by every reader.
TEST(HostileFile, FiftyMegabyteLine) {
    const std::string note(50u << 20, 'n');
    HostileCase c{"FiftyMegabyteLine",
                  "[Data]\r\n1=D" + std::string(10, '\xA7') + note + '\xA7',
                  std::vector<std::string>{"D"},
                  {},
                  {},
                  5.0};
    const auto records = OpenWithEveryReader(c);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0][diary::Field::Note].size(), note.size());
}

// A file larger than any diary is refused before it is read: at once, without taking memory
// (the peak of the process, reset first, does not grow), with its size in the message.
TEST(HostileFile, LargeFileIsRefusedBeforeItIsRead) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    for (const auto& [size, megabytes] : {std::pair{std::uint64_t{2048} << 20, " 2048 MB"},
                                          {diary::kLargestProfileFile + 1, " 257 MB"}}) {
        WriteFileBytes(path, "");
        std::filesystem::resize_file(path, size);
        std::ofstream("/proc/self/clear_refs") << "5";
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        const auto start = std::chrono::steady_clock::now();
        try {
            diary::ReadDiaryRows(path);
            ADD_FAILURE() << "read";
        } catch (const diary::ReadError& e) {
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
            ::getrusage(RUSAGE_SELF, &after);
            EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 1024);
            EXPECT_NE(std::string(e.what()).find(path + "“ má" + megabytes), std::string::npos)
                << e.what();
        }
    }
}

// The same size as one old-format line of fields and as one line with no structure at all.
TEST(HostileFile, FiftyMegabyteLinesOfFieldsAndOfNothing) {
    std::string stars;
    stars.reserve(50u << 20);
    while (stars.size() < (50u << 20)) stars += "Datum=1.5.1999*";
    OpenWithEveryReader({"Stars", stars, std::vector<std::string>{}, {}, {}, 5.0});
    OpenWithEveryReader(
        {"Separators", std::string(50u << 20, '\xA7'), std::vector<std::string>{}, {}, {}, 5.0});
}

}  // namespace

namespace {

// A path that runs through a regular file names no file at all, just like a missing one:
// Windows answers the defaults, and a start-up pointed there must open an empty diary.
TEST(PathThroughAFile, ReadsAsAMissingFile) {
    TempDir dir;
    WriteFileBytes(dir.File("plain"), "[Data]\r\n1=" + Line("A") + "\r\n");
    const std::string path = dir.File("plain") + "/diary.vam";
    const auto before = FolderState(dir.path());
    try {
        EXPECT_TRUE(diary::ReadDiary(path).empty());
        EXPECT_TRUE(diary::ReadDiaryRows(path).empty());
        EXPECT_EQ(diary::ReadLastDiary(path, "default.vam"), "default.vam");
        EXPECT_TRUE(diary::ReadPlaceList(path, "odkud").empty());
    } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
    }
    EXPECT_EQ(FolderState(dir.path()), before);
}

}  // namespace

namespace {

// What is not a regular file is refused at once by every reader and by the saver: a FIFO
// without a writer, a socket, a device, a folder. A reader that waited on one would hang the
// program for ever, so each test runs under an alarm that ends the process instead.
class NotARegularFile : public testing::Test {
protected:
    void SetUp() override { ::alarm(20); }
    void TearDown() override { ::alarm(0); }

    // Every reader of diary, settings and old-diary files, with what it threw.
    static std::vector<std::string> ReadErrors(const std::string& path) {
        std::vector<std::string> messages;
        const std::vector<std::pair<const char*, std::function<void()>>> readers = {
            {"ReadDiary", [&] { diary::ReadDiary(path); }},
            {"ReadDiaryRows", [&] { diary::ReadDiaryRows(path); }},
            {"ReadLastDiary", [&] { diary::ReadLastDiary(path, "default.vam"); }},
            {"ReadPlaceList", [&] { diary::ReadPlaceList(path, "odkud"); }},
            {"ReadOldDiary", [&] { diary::ReadOldDiary(path); }},
        };
        for (const auto& [name, read] : readers) {
            try {
                read();
                ADD_FAILURE() << name << " read " << path;
            } catch (const diary::ReadError& e) {
                EXPECT_EQ(e.path(), path) << name;
                messages.push_back(e.what());
            } catch (const std::exception& e) {
                ADD_FAILURE() << name << " threw something else: " << e.what();
            }
        }
        return messages;
    }

    // Every reader refuses `path` with a message naming it and what it is; the saver refuses
    // to replace it, and it is still there, as it was.
    static void ExpectRefused(const std::string& path, const std::string& kind, bool save) {
        struct stat before {};
        ASSERT_EQ(::lstat(path.c_str(), &before), 0);
        for (const std::string& message : ReadErrors(path)) {
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_NE(message.find("není to obyčejný soubor, ale " + kind), std::string::npos)
                << message;
        }
        if (save) {
            // The writers read before they change: their read refuses it first.
            EXPECT_THROW(testsupport::WriteRide(path, "1", diary::DiaryRecord{}), diary::ReadError);
            EXPECT_THROW(diary::WriteLastDiary(path, "x.vam"), diary::ReadError);
            EXPECT_THROW(diary::AtomicWriteFile(path, "[Data]\r\n"), diary::WriteError);
        }
        struct stat after {};
        ASSERT_EQ(::lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
};

TEST_F(NotARegularFile, FifoIsRefusedWithoutWaiting) {
    TempDir dir;
    const std::string path = dir.File("roura.vam");
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    ExpectRefused(path, "pojmenovaná roura", true);
}

TEST_F(NotARegularFile, SocketIsRefused) {
    TempDir dir;
    const std::string path = dir.File("soket.vam");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    ExpectRefused(path, "soket", true);
    ::close(fd);
}

TEST_F(NotARegularFile, DeviceIsRefused) {
    // /dev/null itself is only read: a saver that went wrong must not get a chance to replace it.
    ExpectRefused("/dev/null", "znakové zařízení", false);
    if (::geteuid() != 0)
        GTEST_SKIP() << "saving onto a device needs a device node of our own, "
                        "and only root may make one";
    TempDir dir;
    const std::string path = dir.File("null.vam");
    ASSERT_EQ(::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    ExpectRefused(path, "znakové zařízení", true);
}

TEST_F(NotARegularFile, FolderIsRefused) {
    TempDir dir;
    const std::string path = dir.File("slozka.vam");
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    ExpectRefused(path, "složka", true);
}

TEST_F(NotARegularFile, FifoBehindASymlinkIsRefused) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("roura").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("roura", dir.File("odkaz.vam").c_str()), 0);
    ExpectRefused(dir.File("odkaz.vam"), "pojmenovaná roura", true);
}

}  // namespace
