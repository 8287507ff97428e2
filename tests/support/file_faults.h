// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Fault injection for the file writers: replaces the system calls of model/fileio with ones
// that fail where a test says, and runs a writer through the failures a user meets (a
// read-only folder or file, a full disk, a folder or an overlong name as target, a failing
// write, fsync, close or rename at any call). After each failure the folder must hold exactly
// what it held before, byte for byte, and the error must be a file error naming the file.
#pragma once

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "model/error.h"
#include "model/fileio.h"
#include "tests/support/expect_error.h"

namespace korvale::test {

// Installs failing calls for its lifetime. Calls are counted across open, write, fsync, close,
// rename, link and access (unlink never fails: it is what cleans up after a failure).
class InjectedFaults {
  public:
    InjectedFaults() {
        const FileSystemCalls sys = SystemFileCalls();
        FileSystemCalls& c = ActiveFileCalls();
        c.open = [this, sys](const char* p, int f, mode_t m) {
            return Fails("open") ? -1 : sys.open(p, f, m);
        };
        c.write = [this, sys](int fd, const void* d, size_t n) -> ssize_t {
            return Fails("write") ? -1 : sys.write(fd, d, n);
        };
        c.fsync = [this, sys](int fd) { return Fails("fsync") ? -1 : sys.fsync(fd); };
        // A failing close still releases the descriptor, as the system's does.
        c.close = [this, sys](int fd) {
            const bool fail = Fails("close");
            const int saved = errno;
            const int r = sys.close(fd);
            errno = fail ? saved : errno;
            return fail ? -1 : r;
        };
        c.rename = [this, sys](const char* a, const char* b) {
            return Fails("rename") ? -1 : sys.rename(a, b);
        };
        c.link = [this, sys](const char* a, const char* b) {
            return Fails("link") ? -1 : sys.link(a, b);
        };
        c.access = [this, sys](const char* p, int m) {
            return Fails("access") ? -1 : sys.access(p, m);
        };
    }
    ~InjectedFaults() { ActiveFileCalls() = SystemFileCalls(); }
    InjectedFaults(const InjectedFaults&) = delete;
    InjectedFaults& operator=(const InjectedFaults&) = delete;

    // Every call of this kind fails with err.
    void FailEvery(const std::string& call, int err) {
        every_ = call;
        everyErr_ = err;
    }
    // The n-th counted call (from 0) fails with err.
    void FailAt(long n, int err) {
        at_ = n;
        err_ = err;
    }
    long Count() const { return count_; }
    std::string Failed() const { return failed_; }

  private:
    bool Fails(const char* call) {
        const bool every = call == every_;
        const bool fail = every || count_ == at_;
        ++count_;
        if (fail) {
            failed_ = call;
            errno = every ? everyErr_ : err_;
        }
        return fail;
    }
    std::string every_;
    int everyErr_ = EIO;
    long at_ = -1;
    int err_ = EIO;
    long count_ = 0;
    std::string failed_;
};

// Every entry of a folder with the bytes of its files ("<folder>" for a folder).
inline std::map<std::string, std::string> FolderSnapshot(const std::filesystem::path& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.is_directory()) {
            out[e.path().filename().string()] = "<folder>";
            continue;
        }
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        out[e.path().filename().string()] = bytes.str();
    }
    return out;
}

// Runs `write` (which writes its file to the path it is given and throws Error on failure)
// through the faults, with an older file at dir/name ("name" must contain a '.').
inline void ExpectWriterSurvivesFaults(const std::filesystem::path& dir, const std::string& name,
                                       const std::function<void(const std::string&)>& write) {
    const std::string target = (dir / name).string();
    const std::string old = "der vorige Inhalt\r\n";
    WriteFileAtomic(target, old);

    auto failsCleanly = [&](const std::string& label, const std::function<void()>& attempt,
                            const std::string& decisive, const std::string& shown) {
        SCOPED_TRACE(label);
        const auto before = FolderSnapshot(dir);
        const std::string message = ExpectError(attempt, ErrorKind::File, decisive);
        EXPECT_NE(message.find(shown), std::string::npos) << message;
        EXPECT_EQ(FolderSnapshot(dir), before);
    };

    const struct {
        const char* label;
        const char* call;
        int err;
        const char* decisive;
    } injected[] = {
        {"read-only folder", "open", EACCES,
         "Dateizugriff verweigert\nKeine Schreibberechtigung für die Datei oder ihren Ordner: "},
        {"read-only file system", "open", EROFS,
         "Dateizugriff verweigert\nDer Datenträger ist schreibgeschützt: "},
        {"write-protected file", "access", EACCES, "Dateizugriff verweigert\n"},
        {"full disk", "write", ENOSPC, "E/A-Fehler 28\nKein Platz auf dem Datenträger: "},
        {"quota", "write", EDQUOT, "E/A-Fehler 122\nDas Speicherkontingent"},
        {"fsync", "fsync", EIO, "E/A-Fehler 5\n"},
        {"close", "close", EIO, "E/A-Fehler 5\n"},
        {"rename", "rename", EIO, "E/A-Fehler 5\n"},
    };
    for (const auto& c : injected) {
        InjectedFaults faults;
        faults.FailEvery(c.call, c.err);
        failsCleanly(
            c.label, [&] { write(target); }, c.decisive, target);
    }

    const std::string folder = (dir / ("ordner." + name)).string();
    std::filesystem::create_directory(folder);
    failsCleanly(
        "folder as target", [&] { write(folder); },
        "E/A-Fehler 21\nEin Ordner kann nicht als Datei geschrieben werden: ", folder);
    const std::string tooLong = (dir / (std::string(252, 'n') + ".dat")).string();
    failsCleanly(
        "name too long", [&] { write(tooLong); },
        "E/A-Fehler 36\nDer Dateiname ist zu lang: ", tooLong);

    // A failure at every call a successful write makes, one after the other.
    long calls = 0;
    {
        InjectedFaults counting;
        write(target);
        calls = counting.Count();
    }
    ASSERT_GT(calls, 3);
    WriteFileAtomic(target, old);
    for (long k = 0; k < calls; ++k) {
        InjectedFaults faults;
        faults.FailAt(k, EIO);
        failsCleanly(
            "call " + std::to_string(k), [&] { write(target); }, "\n", target);
    }
}

} // namespace korvale::test
