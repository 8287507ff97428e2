// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Files whose bytes are made while they are written: they reach the disk in bounded chunks,
// and a failure in the middle of one (of the disk or of the code making the bytes) leaves every
// target of the set as it was and no temporary file behind.
#include <algorithm>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/error.h"
#include "model/fileio.h"
#include "tests/support/expect_error.h"
#include "tests/support/file_faults.h"

using namespace korvale;
namespace fs = std::filesystem;

namespace {

// Some megabytes in pieces of a few hundred bytes, as a drawing or a geodata writer makes them.
constexpr int kPieces = 12000;
std::string Piece(int i) {
    return std::string(static_cast<std::size_t>(100 + i % 400), static_cast<char>('a' + i % 26)) +
           "\r\n";
}
std::string AllPieces() {
    std::string all;
    for (int i = 0; i < kPieces; ++i)
        all += Piece(i);
    return all;
}
void MakePieces(ByteSink& sink) {
    for (int i = 0; i < kPieces; ++i)
        sink.Append(Piece(i));
}

class FileStream : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/korvale_filestream_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        WriteFileAtomic(P("plan.dxf"), "Zeichnung alt");
        WriteFileAtomic(P("plan.geojson"), "Geodaten alt");
    }
    void TearDown() override {
        ActiveFileCalls() = SystemFileCalls();
        fs::remove_all(dir_);
    }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

} // namespace

TEST_F(FileStream, WritesTheBytesInBoundedChunks) {
    std::vector<std::size_t> writes;
    const FileSystemCalls sys = SystemFileCalls();
    ActiveFileCalls().write = [&](int fd, const void* d, size_t n) {
        writes.push_back(n);
        return sys.write(fd, d, n);
    };
    const std::string big(StreamChunkBytes * 2 + 7, 'x');
    StreamFilesAtomic({{P("plan.dxf"), MakePieces},
                       {P("plan.geojson"),
                        [&](ByteSink& sink) {
                            sink.Append("{");
                            sink.Append(big); // a piece larger than a chunk goes on as it is
                            sink.Append("}");
                        }},
                       {P("leer.txt"), [](ByteSink&) {}}});
    ActiveFileCalls() = sys;

    const std::map<std::string, std::string> want = {
        {"plan.dxf", AllPieces()}, {"plan.geojson", "{" + big + "}"}, {"leer.txt", ""}};
    EXPECT_EQ(test::FolderSnapshot(dir_), want);
    // The small pieces were gathered, not written one by one, and no chunk of them grew
    // beyond the bound.
    ASSERT_GE(writes.size(), 3u);
    EXPECT_LT(writes.size(), 20u);
    const std::size_t pieces = AllPieces().size();
    std::size_t smallWrites = 0;
    for (const std::size_t n : writes)
        smallWrites += n <= StreamChunkBytes ? n : 0;
    EXPECT_EQ(smallWrites, pieces + 2);
}

TEST_F(FileStream, AFailureInTheMiddleOfAFileKeepsEveryOldFile) {
    const auto before = test::FolderSnapshot(dir_);
    const struct {
        const char* label;
        std::function<void(ByteSink&)> produce; // of the second file
        int writeFailsAt;                       // the n-th write call fails (-1: none)
        ErrorKind kind;
        std::string decisive;
    } cases[] = {
        {"disk full after the first chunk", MakePieces, 2, ErrorKind::File,
         "E/A-Fehler 28\nKein Platz auf dem Datenträger: " + P("plan.geojson")},
        {"the writer refuses a value half way",
         [](ByteSink& sink) {
             for (int i = 0; i < kPieces / 2; ++i)
                 sink.Append(Piece(i));
             throw Error(ErrorKind::Refused, "eine Koordinate ist keine endliche Zahl");
         },
         -1, ErrorKind::Refused, "keine endliche Zahl"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const FileSystemCalls sys = SystemFileCalls();
        int calls = 0;
        ActiveFileCalls().write = [&](int fd, const void* d, size_t n) -> ssize_t {
            if (calls++ == c.writeFailsAt) {
                errno = ENOSPC;
                return -1;
            }
            return sys.write(fd, d, n);
        };
        test::ExpectError(
            [&] {
                StreamFilesAtomic({{P("neu.csv"), [](ByteSink& s) { s.Append("neu"); }},
                                   {P("plan.geojson"), c.produce},
                                   {P("plan.dxf"), MakePieces}});
            },
            c.kind, c.decisive);
        ActiveFileCalls() = sys;
        EXPECT_EQ(test::FolderSnapshot(dir_), before);
    }
}

TEST_F(FileStream, OutOfMemoryWhileMakingTheBytesLeavesNothingBehind) {
    const auto before = test::FolderSnapshot(dir_);
    EXPECT_THROW(StreamFileAtomic(P("plan.dxf"),
                                  [](ByteSink& sink) {
                                      MakePieces(sink);
                                      throw std::bad_alloc();
                                  }),
                 std::bad_alloc);
    EXPECT_EQ(test::FolderSnapshot(dir_), before);
}

TEST_F(FileStream, SurvivesEveryInjectedFault) {
    test::ExpectWriterSurvivesFaults(
        dir_, "strom.dxf", [](const std::string& path) { StreamFileAtomic(path, MakePieces); });
}
