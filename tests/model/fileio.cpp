#include "model/fileio.h"

#include <filesystem>
#include <string>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "model/error.h"

using namespace korvale;
namespace fs = std::filesystem;

namespace {

class FileIo : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/korvale_fileio_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    // Every entry of the folder: a failed write must leave no temporary file behind.
    std::size_t Entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}));
    }
    fs::path dir_;
};

std::string MessageOf(auto&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST_F(FileIo, WritesReplacesAndReadsBackAnyBytes) {
    std::string bytes = "Zeile 1\r\nZeile 2";
    bytes.push_back('\0');
    bytes += "\xff\xfe";
    WriteFileAtomic(P("a.csv"), bytes);
    EXPECT_EQ(ReadFileBytes(P("a.csv")), bytes);
    WriteFileAtomic(P("a.csv"), "kurz");
    EXPECT_EQ(ReadFileBytes(P("a.csv")), "kurz");
    WriteFileAtomic(P("a.csv"), "");
    EXPECT_EQ(ReadFileBytes(P("a.csv")), "");
    const std::string big(3'000'000, 'x');
    WriteFileAtomic(P("big"), big);
    EXPECT_EQ(ReadFileBytes(P("big")), big);
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(FileIo, KeepsPermissionsOfTheReplacedFileAndUsesUmaskForNewOnes) {
    WriteFileAtomic(P("keep"), "1");
    ASSERT_EQ(::chmod(P("keep").c_str(), 0640), 0);
    WriteFileAtomic(P("keep"), "2");
    struct stat st {};
    ASSERT_EQ(::stat(P("keep").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const mode_t mask = ::umask(022);
    WriteFileAtomic(P("new"), "x");
    ::umask(mask);
    ASSERT_EQ(::stat(P("new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(FileIo, ReplacesTheTargetOfASymbolicLinkAndKeepsTheLink) {
    WriteFileAtomic(P("real"), "old");
    fs::create_symlink(P("real"), P("link"));
    WriteFileAtomic(P("link"), "new");
    EXPECT_TRUE(fs::is_symlink(P("link")));
    EXPECT_EQ(ReadFileBytes(P("real")), "new");
}

TEST_F(FileIo, FailuresKeepTheOldFileAndSayWhy) {
    WriteFileAtomic(P("old"), "gut");
    // The parent of the target is a regular file: nothing can be created there.
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(P("old/x"), "neu"); }), "Datei nicht gefunden");
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(P("fehlt/x"), "neu"); }), "Datei nicht gefunden");
    // A folder in the way of the target is not replaced.
    fs::create_directory(P("ordner"));
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(P("ordner"), "neu"); }), "E/A-Fehler 21");
    EXPECT_TRUE(fs::is_directory(P("ordner")));
    EXPECT_EQ(ReadFileBytes(P("old")), "gut");
    EXPECT_EQ(Entries(), 2u);

    EXPECT_EQ(MessageOf([&] { ReadFileBytes(P("fehlt")); }), "Datei nicht gefunden");
    EXPECT_EQ(MessageOf([&] { ReadFileBytes(P("old/x")); }), "Datei nicht gefunden");
    EXPECT_EQ(MessageOf([&] { ReadFileBytes(P("ordner")); }), "E/A-Fehler 21");
}

TEST_F(FileIo, WriteErrorHalfwayKeepsTheOldFileWhole) {
    WriteFileAtomic(P("plan.dxf"), "alt");
    // A file size limit makes the write stop halfway with EFBIG, as a full disk would.
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = before;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string msg =
        MessageOf([&] { WriteFileAtomic(P("plan.dxf"), std::string(5000, 'y')); });
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(msg, "E/A-Fehler 27");
    EXPECT_EQ(ReadFileBytes(P("plan.dxf")), "alt");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(FileIo, UnreadableFileIsRefusedForOrdinaryUsers) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    WriteFileAtomic(P("geheim"), "x");
    ASSERT_EQ(::chmod(P("geheim").c_str(), 0), 0);
    EXPECT_EQ(MessageOf([&] { ReadFileBytes(P("geheim")); }), "Dateizugriff verweigert");
    ASSERT_EQ(::chmod(P("geheim").c_str(), 0444), 0);
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(P("geheim"), "y"); }), "Dateizugriff verweigert");
    EXPECT_EQ(ReadFileBytes(P("geheim")), "x");
    ASSERT_EQ(::chmod(dir_.c_str(), 0500), 0);
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(P("neu"), "x"); }), "Dateizugriff verweigert");
    ::chmod(dir_.c_str(), 0700);
}
