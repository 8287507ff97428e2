// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing whole files, with the system's German error messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

namespace korvale {

// Writes the bytes to a temporary file beside `path`, flushes it and renames it over `path`:
// a failure leaves any older file intact, removes the temporary file and throws
// Error(ErrorKind::File). The first line of the message is the system's text ("Datei nicht
// gefunden" for a missing folder, "Dateizugriff verweigert", or "E/A-Fehler <errno>"), the
// second names the file and says what went wrong ("Kein Platz auf dem Datenträger: <path>").
// The temporary file is synced before the rename. A replaced file keeps its permissions, a
// new one gets 0666 less the umask; a symbolic link is followed, so the link stays and its
// target is replaced. A folder as target fails with "E/A-Fehler 21", a write-protected file
// with "Dateizugriff verweigert". Temporary files of the same target left by a process that
// no longer runs (a crash between writing and renaming) are removed after a successful write.
// Before anything is written the target is checked as CheckWriteTargets checks it.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// One file of a set written together.
struct FileToWrite {
    std::string path;
    std::string_view bytes; // must stay valid during the call
};

// Writes a set of files all or nothing: every temporary file is written and synced first, then
// the renames follow; the files replaced so far keep a backup (a hard link, or a copy where the
// file system has none) until the last rename has succeeded. After any failure every target
// holds its previous content (or is absent again, if it was), no temporary file is left, and
// Error(ErrorKind::File) names the file that failed. The targets are checked first as
// CheckWriteTargets checks them, `inputs` being the files the same run has read.
void WriteFilesAtomic(const std::vector<FileToWrite>& files);
void WriteFilesAtomic(const std::vector<FileToWrite>& files,
                      const std::vector<std::string>& inputs);

// Takes the bytes of one file piece by piece, in the order they are made.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual void Append(std::string_view bytes) = 0;
};

// A sink that collects the bytes in a string, for callers and tests that want the whole text.
class StringSink final : public ByteSink {
  public:
    void Append(std::string_view bytes) override { text.append(bytes); }
    std::string text;
};

// One file of a set whose bytes are made while it is written: `produce` hands them to the
// sink in pieces of any size, so that a large file never lies whole in memory. An exception
// thrown by `produce` fails the set like a write error (and is passed on as it is).
struct FileToStream {
    std::string path;
    std::function<void(ByteSink&)> produce;
};

// As WriteFilesAtomic, with the bytes of each file streamed into its temporary file in chunks
// of at most StreamChunkBytes: the same checks first, every temporary file written and synced
// before the first rename, and after any failure (of the system or of a producer, even in the
// middle of a file) every target as it was and no temporary file left.
void StreamFilesAtomic(const std::vector<FileToStream>& files,
                       const std::vector<std::string>& inputs = {});
// The same for one file.
void StreamFileAtomic(const std::string& path, const std::function<void(ByteSink&)>& produce);

// What a streaming write holds in memory before it passes the bytes on to the system.
inline constexpr std::size_t StreamChunkBytes = std::size_t{1} << 20;

// A target of a save after its check: what the writer replaces, and what was there.
struct WriteTarget {
    std::string shown;  // the name as the caller gave it, for messages
    std::string target; // the file that is replaced: a symbolic link followed to its target
    bool existed = false;
    mode_t mode = 0; // of the existing file, which the new one keeps
};

// The one check of every writer (one file, a set, a stream), made before anything is written:
//  - a symbolic link is followed to its target; a link whose target does not exist is refused
//    (Refused), because the file would appear where the link once led, perhaps on a volume
//    that is not mounted now, where nobody looks for it;
//  - a target that exists must be a regular file: a folder fails with "E/A-Fehler 21", a
//    device, pipe or socket with "Dateizugriff verweigert" (File) and is never replaced; a
//    write-protected file with "Dateizugriff verweigert";
//  - two targets that are one file (however spelled: "./a", "dir//a", a link, a hard link)
//    and a target that is one of `inputs` are refused (Refused).
// Returns the targets in the given order.
std::vector<WriteTarget> CheckWriteTargets(const std::vector<std::string>& paths,
                                           const std::vector<std::string>& inputs = {});

// Whether two names lead to one file: the same device and inode where both exist, the same
// absolute path with links resolved and "." , ".." and "//" taken out where neither does.
bool SameFile(const std::string& a, const std::string& b);

// The most bytes a reader takes unless it names another limit: far above any survey area,
// mission, control-point file or map project, far below what would exhaust the memory.
inline constexpr std::uint64_t kReadLimitBytes = std::uint64_t{256} * 1024 * 1024;

// Reads the whole file. Throws Error(ErrorKind::File) with "Datei nicht gefunden",
// "Dateizugriff verweigert" or "E/A-Fehler <errno>" as first line and the file's name with the
// cause as second line; a folder gives "E/A-Fehler 21". Only regular files are read: a device,
// pipe or socket (also behind a link) is refused with "Dateizugriff verweigert" without
// waiting for a writer. A file larger than `maxBytes` is refused (Limit) with a message
// naming its size and the limit.
std::string ReadFileBytes(const std::string& path);
std::string ReadFileBytes(const std::string& path, std::uint64_t maxBytes);

// A size for messages: "<n> Bytes" below one megabyte, else megabytes with one decimal.
std::string FileSizeText(std::uint64_t bytes);

// The name of a temporary file of `target` made by process `pid`: ".<at most 32 bytes of the
// file's name>~<hash of the whole name>.<pid>.<random>.tmp" in the target's folder, at most 72
// bytes long, so that any file name the system allows can be written.
std::string TemporaryFileName(const std::string& target, long pid, unsigned random);

// The system calls of the writers above. Tests replace single members to make a call fail at
// a chosen point (a full disk, a refused access, a failing rename); nothing else changes them.
struct FileSystemCalls {
    std::function<int(const char* path, int flags, mode_t mode)> open;
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(int fd)> close;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(const char* from, const char* to)> link;
    std::function<int(const char* path)> unlink;
    std::function<int(const char* path, int mode)> access;
};

// The calls of the operating system.
FileSystemCalls SystemFileCalls();
// The calls in use; tests set them and restore SystemFileCalls() afterwards.
FileSystemCalls& ActiveFileCalls();

} // namespace korvale
