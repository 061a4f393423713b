#include "diary/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "diary/errors.h"

namespace {

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

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
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.vam"});
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
    {
        ScopedUmask mask(022);
        diary::AtomicWriteFile(dir.File("a"), "x");
    }
    {
        ScopedUmask mask(077);
        diary::AtomicWriteFile(dir.File("b"), "x");
    }
    EXPECT_EQ(Mode(dir.File("a")), 0644u);
    EXPECT_EQ(Mode(dir.File("b")), 0600u);
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
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.vam"});
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
    EXPECT_EQ(Names(dir.File("real")), std::vector<std::string>{"a.vam"});
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
    std::vector<std::string> before = Names(dir.path());
    try {
        diary::AtomicWriteFile(path, std::string(100'000, 'n'));
        FAIL() << "no error";
    } catch (const diary::WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
        EXPECT_EQ(e.path(), path);
    }
    EXPECT_EQ(Names(dir.path()), before);
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
    EXPECT_EQ(Names(folder), std::vector<std::string>{"a.vam"});
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
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"a.vam"});
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
