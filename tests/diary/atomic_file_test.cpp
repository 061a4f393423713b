#include "diary/atomic_file.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "TempDir.h"
#include "diary/errors.h"

namespace {

using testsupport::FolderNames;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

mode_t Mode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

std::string AllBytes() {
    std::string s;
    for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
    return s + "\r\n\r" + s;
}

// Sets the umask for one test and puts the old one back.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }

private:
    mode_t old_;
};

TEST(AtomicWriteFile, CreatesFileWithExactBytes) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    diary::AtomicWriteFile(path, AllBytes());
    EXPECT_EQ(ReadFileBytes(path), AllBytes());
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"a.vam"});
}

TEST(AtomicWriteFile, EmptyBytesGiveEmptyFile) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, "old");
    diary::AtomicWriteFile(path, "");
    EXPECT_EQ(ReadFileBytes(path), "");
}

TEST(AtomicWriteFile, NewFileIs0644UnderUmask) {
    TempDir dir;
    const struct {
        mode_t umask;
        mode_t mode;
    } cases[] = {{022, 0644}, {077, 0600}, {070, 0604}, {007, 0640}, {0, 0644}, {0277, 0400}};
    for (const auto& c : cases) {
        const std::string path = dir.File("u" + std::to_string(c.umask));
        {
            ScopedUmask mask(c.umask);
            diary::AtomicWriteFile(path, "x");
        }
        EXPECT_EQ(Mode(path), c.mode) << "umask 0" << std::oct << c.umask;
    }
}

TEST(AtomicWriteFile, ReplacingKeepsModeOfExistingFile) {
    TempDir dir;
    for (mode_t mode : {0640u, 0604u, 0666u, 0200u}) {
        const std::string path = dir.File("m" + std::to_string(mode));
        WriteFileBytes(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        diary::AtomicWriteFile(path, "new");
        EXPECT_EQ(Mode(path), mode);
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        EXPECT_EQ(ReadFileBytes(path), "new");
    }
}

TEST(AtomicWriteFile, ReplacesTheFileAsAWhole) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, std::string(10000, 'o'));
    diary::AtomicWriteFile(path, "short");
    EXPECT_EQ(ReadFileBytes(path), "short");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"a.vam"});
}

TEST(AtomicWriteFile, WritesThroughSymlinkAndKeepsIt) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    const std::string target = dir.File("real/a.vam");
    const std::string link = dir.File("link.vam");
    WriteFileBytes(target, "old");
    ASSERT_EQ(::symlink("real/a.vam", link.c_str()), 0);  // relative, resolved from the link
    diary::AtomicWriteFile(link, "new");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(FolderNames(dir.File("real")), std::vector<std::string>{"a.vam"});
}

TEST(AtomicWriteFile, FollowsChainOfSymlinks) {
    TempDir dir;
    const std::string target = dir.File("a.vam");
    WriteFileBytes(target, "old");
    ASSERT_EQ(::symlink(target.c_str(), dir.File("l1").c_str()), 0);
    ASSERT_EQ(::symlink("l1", dir.File("l2").c_str()), 0);
    diary::AtomicWriteFile(dir.File("l2"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("l1")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("l2")));
    EXPECT_EQ(ReadFileBytes(target), "new");
}

TEST(AtomicWriteFile, DanglingSymlinkCreatesItsTarget) {
    TempDir dir;
    ASSERT_EQ(::symlink("made.vam", dir.File("link").c_str()), 0);
    diary::AtomicWriteFile(dir.File("link"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link")));
    EXPECT_EQ(ReadFileBytes(dir.File("made.vam")), "new");
}

// ---------------------------------------------------------------------------------------------
// Failures: WriteError with the caller's path, the original byte for byte, no temporary left.

struct FailureCase {
    const char* name;
    // Prepares the folder and returns the path to write; `original` is what must survive there
    // (empty: the file must not exist afterwards).
    std::function<std::string(const TempDir&, std::string& original)> prepare;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class AtomicWriteFails : public testing::TestWithParam<FailureCase> {};

TEST_P(AtomicWriteFails, ThrowsWriteErrorAndLeavesOriginal) {
    TempDir dir;
    std::string original;
    const std::string path = GetParam().prepare(dir, original);
    std::vector<std::string> before = FolderNames(dir.path());
    try {
        diary::AtomicWriteFile(path, std::string(100'000, 'n'));
        FAIL() << "no error";
    } catch (const diary::WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
        EXPECT_EQ(e.path(), path);
    }
    EXPECT_EQ(FolderNames(dir.path()), before);
    if (!original.empty()) {
        ::chmod(path.c_str(), 0600);
        EXPECT_EQ(ReadFileBytes(path), original);
    } else {
        std::error_code ec;
        EXPECT_FALSE(std::filesystem::is_regular_file(path, ec));
    }
}

std::string WithOriginal(const std::string& path, std::string& original) {
    original = "[Data]\r\n1=keep me\r\n";
    WriteFileBytes(path, original);
    return path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AtomicWriteFails,
    testing::Values(FailureCase{"MissingFolder",
                                [](const TempDir& d, std::string&) {
                                    return d.File("missing/a.vam");
                                }},
                    FailureCase{"ReadOnlyFile",
                                [](const TempDir& d, std::string& original) {
                                    // Refused even for root, who could replace it: nobody may write
                                    // it.
                                    const std::string path =
                                        WithOriginal(d.File("a.vam"), original);
                                    ::chmod(path.c_str(), 0444);
                                    return path;
                                }},
                    FailureCase{"TargetIsFolder",
                                [](const TempDir& d, std::string&) {
                                    std::filesystem::create_directory(d.File("folder.vam"));
                                    return d.File("folder.vam");
                                }},
                    FailureCase{"SymlinkLoop",
                                [](const TempDir& d, std::string&) {
                                    ::symlink("b", d.File("a").c_str());
                                    ::symlink("a", d.File("b").c_str());
                                    return d.File("a");
                                }},
                    FailureCase{"PathThroughFile",
                                [](const TempDir& d, std::string& original) {
                                    WithOriginal(d.File("plain"), original);
                                    original.clear();
                                    return d.File("plain/a.vam");
                                }}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(AtomicWriteFails, ReadOnlyFileThroughSymlinkKeepsTarget) {
    TempDir dir;
    const std::string target = dir.File("a.vam");
    WriteFileBytes(target, "old");
    ::chmod(target.c_str(), 0444);
    ASSERT_EQ(::symlink("a.vam", dir.File("link").c_str()), 0);
    EXPECT_THROW(diary::AtomicWriteFile(dir.File("link"), "new"), diary::WriteError);
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link")));
}

TEST(AtomicWriteFails, ReadOnlyFolder) {
    TempDir dir;
    const std::string folder = dir.File("ro");
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/a.vam";
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    EXPECT_THROW(diary::AtomicWriteFile(path, "new"), diary::WriteError);
    EXPECT_THROW(diary::AtomicWriteFile(folder + "/b.vam", "new"), diary::WriteError);
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"a.vam"});
    EXPECT_EQ(ReadFileBytes(path), "old");
}

TEST(AtomicWriteFails, FolderWritableOnlyByOthersIsWritableForRootOnly) {
    // The write bits are checked only to refuse what nobody may write; a folder that someone
    // may write is left to access(2), which lets root through.
    if (::geteuid() != 0) GTEST_SKIP() << "needs root: access(2) refuses everyone else here";
    TempDir dir;
    const std::string folder = dir.File("other");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0557), 0);
    diary::AtomicWriteFile(folder + "/a.vam", "new");
    EXPECT_EQ(ReadFileBytes(folder + "/a.vam"), "new");
}

// A full disk as the write loop meets it: write(2) fails part way (EFBIG here, ENOSPC on a
// full file system; both take the same path).
TEST(AtomicWriteFails, FileSizeLimitMidWrite) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    const std::string original = "[Data]\r\n1=keep me\r\n";
    WriteFileBytes(path, original);

    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit limited = old;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool threw = false;
    try {
        diary::AtomicWriteFile(path, std::string(1'000'000, 'x'));
    } catch (const diary::WriteError& e) {
        threw = true;
        EXPECT_EQ(e.path(), path);
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(threw);
    EXPECT_EQ(ReadFileBytes(path), original);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"a.vam"});
}

// ---------------------------------------------------------------------------------------------

TEST(ReadWholeFile, MissingFileIsNullopt) {
    TempDir dir;
    EXPECT_FALSE(diary::ReadWholeFile(dir.File("none")).has_value());
    EXPECT_FALSE(diary::ReadWholeFile(dir.File("none/deeper")).has_value());
    WriteFileBytes(dir.File("plain"), "x");
    EXPECT_FALSE(diary::ReadWholeFile(dir.File("plain/deeper")).has_value());
}

TEST(ReadWholeFile, GivesExactBytes) {
    TempDir dir;
    WriteFileBytes(dir.File("a"), AllBytes());
    WriteFileBytes(dir.File("empty"), "");
    EXPECT_EQ(diary::ReadWholeFile(dir.File("a")), AllBytes());
    EXPECT_EQ(diary::ReadWholeFile(dir.File("empty")), std::string());
}

TEST(ReadWholeFile, FolderIsReadError) {
    TempDir dir;
    EXPECT_THROW(diary::ReadWholeFile(dir.path()), diary::ReadError);
}

TEST(ReadWholeFile, UnreadableFileIsReadError) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    TempDir dir;
    WriteFileBytes(dir.File("a"), "x");
    ::chmod(dir.File("a").c_str(), 0);
    EXPECT_THROW(diary::ReadWholeFile(dir.File("a")), diary::ReadError);
}

}  // namespace

namespace {

// ---------------------------------------------------------------------------------------------
// Descriptors and odd sizes.

std::size_t OpenDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

TEST(AtomicFile, NoDescriptorStaysOpen) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, "old");
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    std::filesystem::create_directory(dir.File("ro"));
    ASSERT_EQ(::chmod(dir.File("ro").c_str(), 0555), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);

    const std::size_t before = OpenDescriptors();
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(diary::ReadWholeFile(path), i == 0 ? "old" : "new");
        EXPECT_FALSE(diary::ReadWholeFile(dir.File("missing")).has_value());
        EXPECT_THROW(diary::ReadWholeFile(dir.path()), diary::ReadError);
        EXPECT_THROW(diary::ReadWholeFile(dir.File("fifo")), diary::ReadError);
        diary::AtomicWriteFile(path, "new");
        diary::AtomicWriteFile(dir.File("copy"), "new", {path});
        EXPECT_THROW(diary::AtomicWriteFile(dir.File("ro/a.vam"), "new"), diary::WriteError);
        EXPECT_THROW(diary::AtomicWriteFile(dir.File("fifo"), "new"), diary::WriteError);
        EXPECT_THROW(diary::AtomicWriteFile(dir.path(), "new"), diary::WriteError);
        // A failure after the temporary exists: the file size limit cuts the write.
        struct rlimit limited = old;
        limited.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
        EXPECT_THROW(diary::AtomicWriteFile(path, std::string(100'000, 'x')), diary::WriteError);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &old), 0);
    }
    EXPECT_EQ(OpenDescriptors(), before);
    std::signal(SIGXFSZ, oldHandler);
}

TEST(ReadWholeFile, ReadsPastTheSizeFstatGives) {
    // /proc files say they are empty; the reader keeps reading to the real end.
    const std::string path = "/proc/self/limits";
    std::ifstream in(path, std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    ASSERT_GT(expected.size(), 1000u);
    EXPECT_EQ(diary::ReadWholeFile(path), expected);
}

// ---------------------------------------------------------------------------------------------
// Names that fill the folder's limit.

TEST(TempNamePrefix, FitsTheNameLimitAndKeepsLongNamesApart) {
    const std::string czech = "ř";  // two bytes
    std::string utf8;
    while (utf8.size() + czech.size() <= 250) utf8 += czech;
    utf8 += ".vam";
    const struct {
        std::string name;
        bool cut;
    } cases[] = {
        {"a.vam", false},
        {std::string(242, 'a'), false},
        {std::string(243, 'a'), true},
        {std::string(251, 'a') + ".vam", true},
        {std::string(250, 'a') + "b.vam", true},
        {utf8, true},
    };
    std::vector<std::string> prefixes;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size());
        const std::string prefix = diary::TempNamePrefix(c.name, 255);
        EXPECT_LE(prefix.size() + 6, 255u);
        EXPECT_EQ(prefix.front(), '.');
        EXPECT_EQ(prefix.compare(prefix.size() - 6, 6, ".vamo-"), 0) << prefix;
        EXPECT_EQ(prefix == "." + c.name + ".vamo-", !c.cut);
        if (c.cut) {
            EXPECT_GE(prefix.size() + 6, 252u);  // less only by the bytes of a character
        }
        EXPECT_TRUE(diary::IsTempName(prefix + "Ab12Z9", prefix));
        EXPECT_FALSE(diary::IsTempName(prefix + "Ab12Z", prefix));
        EXPECT_FALSE(diary::IsTempName(prefix + "Ab12Z9x", prefix));
        EXPECT_FALSE(diary::IsTempName(prefix + "Ab-2Z9", prefix));
        prefixes.push_back(prefix);
    }
    // Two long names that differ only at the end get different temporaries.
    EXPECT_NE(prefixes[3], prefixes[4]);
    // A cut never splits a character: the byte before the hash ends one.
    const std::string& cut = prefixes[5];
    const std::size_t tilde = cut.rfind('~');
    ASSERT_NE(tilde, std::string::npos);
    EXPECT_EQ(cut.compare(1, tilde - 1, utf8, 0, tilde - 1), 0);
    EXPECT_EQ((tilde - 1) % 2, 0u) << "cut inside a two-byte character";
}

TEST(AtomicWriteFile, SavesUnderTheLongestNameTheFolderTakes) {
    TempDir dir;
    const std::size_t max = diary::MaxNameLength(dir.path());
    const std::string name = std::string(max - 4, 'd') + ".vam";
    const std::string path = dir.File(name);
    WriteFileBytes(path, "[Data]\r\n");
    diary::AtomicWriteFile(path, "one");
    diary::AtomicWriteFile(path, "two");
    EXPECT_EQ(ReadFileBytes(path), "two");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{name});
}

// ---------------------------------------------------------------------------------------------
// What killed saves leave behind.

// Sets a file's modification time `seconds` into the past, as if it had lain there that long.
void Age(const std::string& path, int seconds) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const timespec times[2] = {{now.tv_sec - seconds, 0}, {now.tv_sec - seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(AtomicWriteFile, RemovesTheTemporariesOfKilledSavesOfTheSameFile) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, "old");
    const std::string prefix = diary::TempNamePrefix("a.vam", diary::MaxNameLength(dir.path()));
    const std::vector<std::string> abandoned = {prefix + "Ab12Cd", prefix + "000000"};
    const std::vector<std::string> kept = {
        prefix + "Young1",     // too fresh to judge
        prefix + "Held12",     // a running save holds it
        prefix + "Ab12C",      // not a temporary of ours: one letter short
        prefix + "Ab12Cd7",    // one too many
        ".b.vam.vamo-Ab12Cd",  // another file's
        ".a.vam.Ab12Cd",       // rsync's pattern, and this program's old one
        "a.vam.vamo-Ab12Cd",   // not hidden
        prefix + "Dir123",     // a folder
        prefix + "Fifo12",     // a FIFO, never opened for long
    };
    for (const std::string& name : abandoned) WriteFileBytes(dir.File(name), "half");
    for (const std::string& name : kept) {
        if (name == prefix + "Dir123")
            std::filesystem::create_directory(dir.File(name));
        else if (name == prefix + "Fifo12")
            ASSERT_EQ(::mkfifo(dir.File(name).c_str(), 0600), 0);
        else
            WriteFileBytes(dir.File(name), "half");
    }
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        if (e.path().filename() != prefix + "Young1") Age(e.path().string(), 60);
    }
    const int held = ::open(dir.File(prefix + "Held12").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    diary::AtomicWriteFile(path, "new");
    std::vector<std::string> expected = kept;
    expected.push_back("a.vam");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(dir.path()), expected);

    // Once its save is gone, the held one goes with the next save.
    ::close(held);
    diary::AtomicWriteFile(path, "newer");
    expected.erase(std::find(expected.begin(), expected.end(), prefix + "Held12"));
    EXPECT_EQ(FolderNames(dir.path()), expected);
    EXPECT_EQ(ReadFileBytes(path), "newer");
}

// A folder of many files is read less often, but the first save in it still clears it.
TEST(AtomicWriteFile, RemovesTheTemporariesInAFolderOfManyFiles) {
    TempDir dir;
    for (int i = 0; i < 400; ++i) WriteFileBytes(dir.File("f" + std::to_string(i)), "");
    const std::string leftover =
        dir.File(diary::TempNamePrefix("a.vam", diary::MaxNameLength(dir.path())) + "Ab12Cd");
    WriteFileBytes(leftover, "half");
    Age(leftover, 60);
    diary::AtomicWriteFile(dir.File("a.vam"), "new");
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_EQ(FolderNames(dir.path()).size(), 401u);
}

TEST(AtomicWriteFile, RemovesTheCutTemporariesOfALongName) {
    TempDir dir;
    const std::size_t max = diary::MaxNameLength(dir.path());
    const std::string name = std::string(max - 4, 'd') + ".vam";
    const std::string other = std::string(max - 5, 'd') + "e.vam";
    const std::string mine = diary::TempNamePrefix(name, max) + "Ab12Cd";
    const std::string theirs = diary::TempNamePrefix(other, max) + "Ab12Cd";
    for (const std::string& n : {mine, theirs}) {
        WriteFileBytes(dir.File(n), "half");
        Age(dir.File(n), 60);
    }
    diary::AtomicWriteFile(dir.File(name), "new");
    std::vector<std::string> expected = {name, theirs};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(dir.path()), expected);
}

// ---------------------------------------------------------------------------------------------
// Metadata: what the file is, who may read it, stays what it was.

std::optional<std::string> Attribute(const std::string& path, const char* name) {
    std::string value(4096, '\0');
    const ssize_t n = ::getxattr(path.c_str(), name, value.data(), value.size());
    if (n < 0) return std::nullopt;
    value.resize(static_cast<std::size_t>(n));
    return value;
}

// An ACL in the kernel's xattr form: version 2, then (tag, permissions, id) per entry.
std::string Acl(
    std::initializer_list<std::tuple<std::uint16_t, std::uint16_t, std::uint32_t>> entries) {
    std::string bytes;
    auto put = [&](std::uint32_t v, int size) {
        for (int i = 0; i < size; ++i) bytes += static_cast<char>(v >> (8 * i) & 0xFF);
    };
    put(2, 4);
    for (const auto& [tag, perm, id] : entries) {
        put(tag, 2);
        put(perm, 2);
        put(id, 4);
    }
    return bytes;
}

constexpr std::uint16_t kUserObj = 0x01, kUser = 0x02, kGroupObj = 0x04, kMask = 0x10,
                        kOther = 0x20;
constexpr std::uint32_t kNoId = 0xFFFFFFFF;

bool Unsupported(int error) { return error == ENOTSUP || error == EOPNOTSUPP; }

TEST(AtomicWriteFile, KeepsTheAclAndExtendedAttributes) {
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, "old");
    const std::string acl = Acl({{kUserObj, 6, kNoId},
                                 {kUser, 4, 40001},
                                 {kGroupObj, 4, kNoId},
                                 {kMask, 6, kNoId},
                                 {kOther, 0, kNoId}});
    if (::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
        if (Unsupported(errno)) GTEST_SKIP() << "no POSIX ACLs on this file system";
        FAIL() << "setxattr ACL: " << std::strerror(errno);
    }
    const std::string note("kolo\0x", 6);
    if (::setxattr(path.c_str(), "user.vamo.note", note.data(), note.size(), 0) != 0) {
        if (Unsupported(errno)) GTEST_SKIP() << "no user.* attributes on this file system";
        FAIL() << "setxattr user.*: " << std::strerror(errno);
    }
    const auto aclBefore = Attribute(path, "system.posix_acl_access");
    ASSERT_TRUE(aclBefore);
    const mode_t mode = Mode(path);
    EXPECT_EQ(mode, 0660u);

    diary::AtomicWriteFile(path, "new");
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(Attribute(path, "system.posix_acl_access"), aclBefore);
    EXPECT_EQ(Attribute(path, "user.vamo.note"), note);
    EXPECT_EQ(Mode(path), mode);
}

TEST(AtomicWriteFile, FolderDefaultAclDoesNotWidenAFileWithoutOne) {
    TempDir dir;
    const std::string folder = dir.File("shared");
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/a.vam";
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    const std::string acl = Acl({{kUserObj, 7, kNoId},
                                 {kUser, 7, 40001},
                                 {kGroupObj, 5, kNoId},
                                 {kMask, 7, kNoId},
                                 {kOther, 5, kNoId}});
    if (::setxattr(folder.c_str(), "system.posix_acl_default", acl.data(), acl.size(), 0) != 0) {
        if (Unsupported(errno)) GTEST_SKIP() << "no POSIX ACLs on this file system";
        FAIL() << "setxattr default ACL: " << std::strerror(errno);
    }
    diary::AtomicWriteFile(path, "new");
    EXPECT_FALSE(Attribute(path, "system.posix_acl_access").has_value());
    EXPECT_EQ(Mode(path), 0600u);
}

struct Owner {
    uid_t uid;
    gid_t gid;
    mode_t mode;
};

Owner OwnerOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return {st.st_uid, st.st_gid, st.st_mode & 07777};
}

TEST(AtomicWriteFile, RootKeepsOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may hand a file to another user";
    TempDir dir;
    const std::string path = dir.File("a.vam");
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chown(path.c_str(), 40001, 40100), 0);
    ASSERT_EQ(::chmod(path.c_str(), 02640), 0);
    diary::AtomicWriteFile(path, "new");
    const Owner after = OwnerOf(path);
    EXPECT_EQ(after.uid, 40001u);
    EXPECT_EQ(after.gid, 40100u);
    EXPECT_EQ(after.mode, 02640u);
}

// Runs `save` in a child that has become user `uid` with primary group `gid` and the
// supplementary `groups`; true when it saved.
bool SavedAs(uid_t uid, gid_t gid, std::vector<gid_t> groups, const std::function<void()>& save) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setresgid(gid, gid, gid) != 0 ||
            ::setresuid(uid, uid, uid) != 0)
            _exit(3);
        try {
            save();
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 3) << "could not become " << uid;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(AtomicWriteFile, GroupMemberKeepsTheGroupOfSomeoneElsesFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make the users and hand them files";
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string folder = dir.File("shared");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::chown(folder.c_str(), 40001, 40100), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0775), 0);
    const std::string path = folder + "/a.vam";
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chown(path.c_str(), 40001, 40100), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0660), 0);

    // Another member of the group saves: only root could keep the owner, the group stays.
    EXPECT_TRUE(
        SavedAs(40002, 40200, {40200, 40100}, [&] { diary::AtomicWriteFile(path, "new"); }));
    const Owner after = OwnerOf(path);
    EXPECT_EQ(after.uid, 40002u);
    EXPECT_EQ(after.gid, 40100u);
    EXPECT_EQ(after.mode, 0660u);
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"a.vam"});
}

TEST(AtomicWriteFile, GroupThatCannotBeKeptLosesItsBits) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make the users and hand them files";
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string folder = dir.File("open");
    std::filesystem::create_directory(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    const std::string path = folder + "/a.vam";
    WriteFileBytes(path, "old");
    ASSERT_EQ(::chown(path.c_str(), 40001, 40100), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);

    // A saver outside the group: its own group must not get what group 40100 had.
    EXPECT_TRUE(SavedAs(40003, 40300, {40300}, [&] { diary::AtomicWriteFile(path, "new"); }));
    const Owner after = OwnerOf(path);
    EXPECT_EQ(after.uid, 40003u);
    EXPECT_EQ(after.gid, 40300u);
    EXPECT_EQ(after.mode, 0606u);
    EXPECT_EQ(ReadFileBytes(path), "new");
}

}  // namespace
