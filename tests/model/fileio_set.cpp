// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Writing several files as one set: after a failure at any step every file of the set holds
// what it held before, and no temporary file or backup is left.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/error.h"
#include "model/fileio.h"
#include "tests/support/expect_error.h"
#include "tests/support/file_faults.h"
#include "tests/support/temp_dir.h"

using namespace korvale;
namespace fs = std::filesystem;

namespace {

class FileSet : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFileAtomic(P("karte.dat"), "Daten alt");
        WriteFileAtomic(P("karte.jpg"), "Bild alt");
    }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    // A new file first, so that a failure later in the set must take it away again.
    std::vector<FileToWrite> Set() const {
        return {{P("neu.txt"), "neu"}, {P("karte.jpg"), "Bild neu"}, {P("karte.dat"), "Daten neu"}};
    }
    const korvale::testing::TempDir tmp_{"korvale_fileset"};
    const fs::path dir_ = tmp_.path();
};

} // namespace

TEST_F(FileSet, WritesAllFiles) {
    WriteFilesAtomic(Set());
    const std::map<std::string, std::string> want = {
        {"neu.txt", "neu"}, {"karte.jpg", "Bild neu"}, {"karte.dat", "Daten neu"}};
    EXPECT_EQ(test::FolderSnapshot(dir_), want);
}

TEST_F(FileSet, AFailureAtAnyCallKeepsThePreviousFiles) {
    long calls = 0;
    {
        test::InjectedFaults counting;
        WriteFilesAtomic(Set());
        calls = counting.Count();
    }
    // Two links for the backups of the replaced files beside opens, writes, syncs, closes and
    // renames: without any of them the sweep would not reach the steps between the renames.
    ASSERT_GE(calls, 15);
    // Where the file system has no hard links, the backups are copies; the same sweep holds.
    for (const bool copies : {false, true}) {
        for (long k = 0; k < calls; ++k) {
            SCOPED_TRACE((copies ? "copies, call " : "links, call ") + std::to_string(k));
            WriteFileAtomic(P("karte.dat"), "Daten alt");
            WriteFileAtomic(P("karte.jpg"), "Bild alt");
            fs::remove(P("neu.txt"));
            const auto before = test::FolderSnapshot(dir_);
            test::InjectedFaults faults;
            if (copies)
                faults.FailEvery("link", EPERM);
            faults.FailAt(k, EIO);
            bool threw = false;
            try {
                WriteFilesAtomic(Set());
            } catch (const Error& e) {
                threw = true;
                EXPECT_EQ(e.kind(), ErrorKind::File) << e.what();
                EXPECT_NE(std::string(e.what()).find(dir_.string()), std::string::npos);
            }
            if (threw) {
                EXPECT_EQ(test::FolderSnapshot(dir_), before);
            } else {
                // Only a copy's own calls can pass unfailed beyond the count of the link run.
                EXPECT_TRUE(copies);
                EXPECT_EQ(test::FolderSnapshot(dir_).size(), 3u);
            }
        }
    }
}

TEST_F(FileSet, TheSameFileTwiceIsRefusedBeforeAnythingIsWritten) {
    const auto before = test::FolderSnapshot(dir_);
    test::ExpectError(
        [&] {
            WriteFilesAtomic({{P("karte.dat"), "1"}, {P("karte.dat"), "2"}});
        },
        ErrorKind::Refused, "denselben Namen: " + P("karte.dat"));
    EXPECT_EQ(test::FolderSnapshot(dir_), before);
}
