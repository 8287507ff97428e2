// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/fileio.h"

#include <filesystem>
#include <functional>
#include <string>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <sys/wait.h>

#include "model/error.h"
#include "tests/support/expect_error.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_dir.h"

using namespace korvale;
namespace fs = std::filesystem;

namespace {

class FileIo : public ::testing::Test {
  protected:
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    // Every entry of the folder: a failed write must leave no temporary file behind.
    std::size_t Entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}));
    }
    const korvale::testing::TempDir tmp_{"korvale_fileio"};
    const fs::path dir_ = tmp_.path();
};

std::string NameOf(const std::string& path) {
    return fs::path(path).filename().string();
}

using test::ExpectError;

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

TEST_F(FileIo, FailuresKeepTheOldFileAndNameItWithTheCause) {
    WriteFileAtomic(P("old"), "gut");
    fs::create_directory(P("ordner"));
    const struct {
        std::function<void()> run;
        const char* message; // first line: the system's text; second: the cause and the file
    } cases[] = {
        // The parent of the target is a regular file: nothing can be created there.
        {[&] { WriteFileAtomic(P("old/x"), "neu"); },
         "Datei nicht gefunden\nEin Teil des Pfades ist kein Ordner: "},
        {[&] { WriteFileAtomic(P("fehlt/x"), "neu"); },
         "Datei nicht gefunden\nDer Ordner existiert nicht: "},
        // A folder in the way of the target is not replaced.
        {[&] { WriteFileAtomic(P("ordner"), "neu"); },
         "E/A-Fehler 21\nEin Ordner kann nicht als Datei geschrieben werden: "},
        {[&] { ReadFileBytes(P("fehlt")); },
         "Datei nicht gefunden\nDie Datei oder ihr Ordner existiert nicht: "},
        {[&] { ReadFileBytes(P("old/x")); },
         "Datei nicht gefunden\nEin Teil des Pfades ist kein Ordner: "},
        {[&] { ReadFileBytes(P("ordner")); },
         "E/A-Fehler 21\nEin Ordner kann nicht als Datei gelesen werden: "},
    };
    for (const auto& c : cases) {
        const std::string message = ExpectError(c.run, ErrorKind::File, c.message);
        EXPECT_NE(message.find(dir_.string()), std::string::npos) << message;
    }
    EXPECT_TRUE(fs::is_directory(P("ordner")));
    EXPECT_EQ(ReadFileBytes(P("old")), "gut");
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(FileIo, EveryFaultKeepsTheOldFileByteForByte) {
    test::ExpectWriterSurvivesFaults(dir_, "plan.txt",
                                     [](const std::string& path) { WriteFileAtomic(path, "neu"); });
}

TEST_F(FileIo, TheLongestLegalNameIsWritten) {
    // The temporary name has a bounded length, so a name of 255 bytes (the most a Linux file
    // system allows) is written; a multi-byte character at the cut stays whole.
    const std::string longest = std::string(253, 'a') + ".x";
    WriteFileAtomic(P(longest), "1");
    WriteFileAtomic(P(longest), "2");
    EXPECT_EQ(ReadFileBytes(P(longest)), "2");
    std::string umlauts;
    for (int i = 0; i < 127; ++i)
        umlauts += "\xC3\xA4"; // ä
    WriteFileAtomic(P(umlauts), "3");
    EXPECT_EQ(ReadFileBytes(P(umlauts)), "3");
    EXPECT_LE(NameOf(TemporaryFileName(P(umlauts), 4194304, 0xFFFFFFFFu)).size(), 80u);
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(FileIo, LeftoversOfACrashAreRemovedOnTheNextWrite) {
    WriteFileAtomic(P("plan.csv"), "alt");
    // A child dies between writing its temporary file and renaming it, as a killed process
    // would; its temporary file stays behind.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ActiveFileCalls().rename = [](const char*, const char*) -> int { ::_exit(0); };
        WriteFileAtomic(P("plan.csv"), "halb");
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(Entries(), 2u);
    // Files that only look alike stay: another target's temporary file, one of a process that
    // still runs (process 1), a user's own dotted file.
    const std::string others[] = {NameOf(TemporaryFileName(P("plan.csv"), 1, 0x12345678u)),
                                  NameOf(TemporaryFileName(P("plan.dxf"), child, 0x1u)),
                                  ".plan.csv.sicherung"};
    for (const std::string& name : others)
        WriteFileAtomic(P(name), "fremd");

    WriteFileAtomic(P("plan.csv"), "neu");
    EXPECT_EQ(ReadFileBytes(P("plan.csv")), "neu");
    EXPECT_EQ(Entries(), 4u);
    for (const std::string& name : others)
        EXPECT_EQ(ReadFileBytes(P(name)), "fremd") << name;
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
    ExpectError([&] { WriteFileAtomic(P("plan.dxf"), std::string(5000, 'y')); }, ErrorKind::File,
                "E/A-Fehler 27\nDie Datei ist zu groß für den Datenträger: ");
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadFileBytes(P("plan.dxf")), "alt");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(FileIo, UnreadableFileIsRefusedForOrdinaryUsers) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    WriteFileAtomic(P("geheim"), "x");
    ASSERT_EQ(::chmod(P("geheim").c_str(), 0), 0);
    ExpectError([&] { ReadFileBytes(P("geheim")); }, ErrorKind::File,
                "Dateizugriff verweigert\nKeine Leseberechtigung für die Datei: ");
    ASSERT_EQ(::chmod(P("geheim").c_str(), 0444), 0);
    ExpectError([&] { WriteFileAtomic(P("geheim"), "y"); }, ErrorKind::File,
                "Dateizugriff verweigert\n");
    EXPECT_EQ(ReadFileBytes(P("geheim")), "x");
    ASSERT_EQ(::chmod(dir_.c_str(), 0500), 0);
    ExpectError([&] { WriteFileAtomic(P("neu"), "x"); }, ErrorKind::File,
                "Dateizugriff verweigert\n");
    ::chmod(dir_.c_str(), 0700);
}
