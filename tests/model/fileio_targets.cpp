// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// What the writers may replace and the readers may read: only regular files, each target once,
// never an input of the same run; readers never wait on a pipe and stop at their size limit.
// Every refusal leaves the folder exactly as it was, with no temporary file.
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include "model/error.h"
#include "model/fileio.h"
#include "tests/support/expect_error.h"
#include "tests/support/folder_state.h"
#include "tests/support/temp_dir.h"

using namespace korvale;
namespace fs = std::filesystem;

namespace {

class FileTargets : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFileAtomic(P("a.x"), "alt");
        WriteFileAtomic(P("gebiet.geojson"), "{}");
        fs::create_directory(dir_ / "sub");
        ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0644), 0);
        // A socket is made by binding; the descriptor is not needed afterwards.
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const std::string sock = P("sock");
        ASSERT_LT(sock.size(), sizeof addr.sun_path);
        sock.copy(addr.sun_path, sock.size());
        ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
        ::close(s);
        fs::create_symlink(P("a.x"), P("link-a"));
        fs::create_symlink(P("nirgends/weg.x"), P("dangling"));
        fs::create_symlink(P("fifo"), P("link-fifo"));
        ASSERT_EQ(::link(P("a.x").c_str(), P("hard-a").c_str()), 0);
        // Character devices (copies of /dev/null and /dev/zero) only root can make.
        root_ = ::geteuid() == 0 &&
                ::mknod(P("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0 &&
                ::mknod(P("zero").c_str(), S_IFCHR | 0666, makedev(1, 5)) == 0;
    }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }

    // Runs f, which must fail with kind and decisive text and leave the folder as it was.
    void Refused(const std::string& label, const std::function<void()>& f, ErrorKind kind,
                 const std::string& decisive) {
        SCOPED_TRACE(label);
        const auto before = test::FolderState(dir_);
        test::ExpectError(f, kind, decisive);
        EXPECT_EQ(test::FolderState(dir_), before);
    }

    const korvale::testing::TempDir tmp_{"korvale_targets"};
    const fs::path dir_ = tmp_.path();
    bool root_ = false;
};

const std::string kNotRegular =
    "Dateizugriff verweigert\nDie Datei ist keine gewöhnliche Datei (ein Gerät, eine Pipe oder "
    "ein Socket) und wird nicht ";

} // namespace

TEST_F(FileTargets, OnlyRegularFilesAreReplaced) {
    std::vector<std::string> special = {"fifo", "sock", "link-fifo"};
    if (root_) {
        special.push_back("null");
        special.push_back("zero");
    }
    for (const std::string& name : special) {
        const std::string msg = kNotRegular + "ersetzt: " + P(name);
        Refused(
            name + " alone", [&] { WriteFileAtomic(P(name), "x"); }, ErrorKind::File, msg);
        // In a set, the regular files before it are not touched either.
        Refused(
            name + " in a set",
            [&] {
                WriteFilesAtomic({{P("neu.x"), "n"}, {P(name), "x"}});
            },
            ErrorKind::File, msg);
    }
    Refused(
        "folder", [&] { WriteFileAtomic(P("sub"), "x"); }, ErrorKind::File, "E/A-Fehler 21");
    Refused(
        "dangling link", [&] { WriteFileAtomic(P("dangling"), "x"); }, ErrorKind::Refused,
        "Die Datei ist ein symbolischer Link auf eine Datei, die es nicht gibt: " + P("dangling"));
    if (!root_)
        GTEST_SKIP() << "character devices need root (mknod); pipes and sockets were checked";
}

TEST_F(FileTargets, OneFileUnderTwoNamesIsRefused) {
    const std::string sub = P("sub");
    const struct {
        std::string first, second;
    } cases[] = {
        {P("a.x"), dir_.string() + "/./a.x"},
        {P("a.x"), dir_.string() + "//a.x"},
        {P("a.x"), sub + "/../a.x"},
        {P("a.x"), P("link-a")},
        {P("hard-a"), P("a.x")},
        {P("neu.x"), sub + "/../neu.x"}, // neither exists yet
        {P("neu.x"), dir_.string() + "//neu.x"},
    };
    for (const auto& c : cases) {
        Refused(
            c.first + " / " + c.second,
            [&] {
                WriteFilesAtomic({{c.first, "1"}, {P("b.x"), "b"}, {c.second, "2"}});
            },
            ErrorKind::Refused,
            "Zwei Dateien desselben Speicherns sind dieselbe Datei: " + c.first + " und " +
                c.second);
        EXPECT_TRUE(SameFile(c.first, c.second));
    }
    EXPECT_FALSE(SameFile(P("a.x"), P("b.x")));
    EXPECT_FALSE(SameFile(P("neu.x"), P("sub/neu.x")));
}

TEST_F(FileTargets, AnInputOfTheRunIsNeverAnOutput) {
    const std::string area = P("gebiet.geojson");
    for (const std::string& out : {area, dir_.string() + "/./gebiet.geojson"}) {
        Refused(
            out,
            [&] {
                WriteFilesAtomic({{P("plan.dxf"), "d"}, {out, "plan"}}, {area});
            },
            ErrorKind::Refused,
            "Die Ausgabedatei " + out + " ist die gelesene Datei " + area + ": sie würde");
    }
    // Other outputs beside the input are written.
    WriteFilesAtomic({{P("plan.dxf"), "d"}, {P("plan.geojson"), "p"}}, {area});
    EXPECT_EQ(ReadFileBytes(P("plan.geojson")), "p");
    EXPECT_EQ(ReadFileBytes(area), "{}");
}

TEST_F(FileTargets, ReadersTakeOnlyRegularFilesAndNeverWait) {
    // A pipe without a writer would block a plain open for ever.
    std::vector<std::string> special = {"fifo", "link-fifo", "sock"};
    if (root_) {
        special.push_back("null");
        special.push_back("zero"); // endless: would fill the memory
    }
    for (const std::string& name : special) {
        if (name == "sock") {
            // A socket cannot be opened at all: the system's own error.
            test::ExpectError([&] { ReadFileBytes(P(name)); }, ErrorKind::File, P(name));
            continue;
        }
        Refused(
            name, [&] { ReadFileBytes(P(name)); }, ErrorKind::File,
            kNotRegular + "gelesen: " + P(name));
    }
    EXPECT_EQ(ReadFileBytes(P("link-a")), "alt");
}

TEST_F(FileTargets, ReadersStopAtTheirSizeLimit) {
    { std::ofstream(P("klein.x"), std::ios::binary) << std::string(1000, 'k'); }
    EXPECT_EQ(ReadFileBytes(P("klein.x"), 1000).size(), 1000u);
    Refused(
        "small limit", [&] { ReadFileBytes(P("klein.x"), 999); }, ErrorKind::Limit,
        "Datei zu groß\nDie Datei hat 1000 Bytes, gelesen werden höchstens 999 Bytes: " +
            P("klein.x"));
    // A sparse file takes no space on the disk but reports its full size.
    const int fd = ::open(P("gross.x").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 300LL * 1024 * 1024), 0);
    ::close(fd);
    Refused(
        "default limit", [&] { ReadFileBytes(P("gross.x")); }, ErrorKind::Limit,
        "Die Datei hat 300.0 MB, gelesen werden höchstens 256.0 MB: " + P("gross.x"));
}
