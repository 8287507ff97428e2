// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/fileio.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/error.h"
#include "model/format.h"

namespace korvale {
namespace {

enum class Op { Read, Write };

// What an error number means for the file at hand, and what the user can do about it.
std::string Cause(int err, Op op) {
    const bool write = op == Op::Write;
    switch (err) {
    case ENOSPC:
        return "Kein Platz auf dem Datenträger";
    case EDQUOT:
        return "Das Speicherkontingent auf dem Datenträger ist erschöpft";
    case EISDIR:
        return write ? "Ein Ordner kann nicht als Datei geschrieben werden"
                     : "Ein Ordner kann nicht als Datei gelesen werden";
    case ENAMETOOLONG:
        return "Der Dateiname ist zu lang";
    case EROFS:
        return "Der Datenträger ist schreibgeschützt";
    case EACCES:
    case EPERM:
        return write ? "Keine Schreibberechtigung für die Datei oder ihren Ordner"
                     : "Keine Leseberechtigung für die Datei";
    case ENOENT:
        return write ? "Der Ordner existiert nicht" : "Die Datei oder ihr Ordner existiert nicht";
    case ENOTDIR:
        return "Ein Teil des Pfades ist kein Ordner";
    case EFBIG:
        return "Die Datei ist zu groß für den Datenträger";
    case EIO:
        return "Der Datenträger meldet einen Ein-/Ausgabefehler";
    case EMFILE:
    case ENFILE:
        return "Zu viele offene Dateien";
    default:
        return write ? "Die Datei konnte nicht geschrieben werden"
                     : "Die Datei konnte nicht gelesen werden";
    }
}

// The system's message as the first line, the file and the cause as the second.
[[noreturn]] void ThrowFile(int err, Op op, const std::string& path) {
    std::string first;
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        first = "Datei nicht gefunden";
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        first = "Dateizugriff verweigert";
        break;
    default:
        first = Format("E/A-Fehler %d", {err});
    }
    throw Error(ErrorKind::File, first + "\n" + Cause(err, op) + ": " + path);
}

FileSystemCalls& Calls() {
    static FileSystemCalls calls = SystemFileCalls();
    return calls;
}

// Closes the descriptor on every path out of a function.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0)
            Calls().close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the error of the close itself (a delayed write error shows here).
    int close() {
        const int r = Calls().close(fd_);
        fd_ = -1;
        return r;
    }

  private:
    int fd_;
};

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::uint32_t NameHash(std::string_view name) {
    std::uint32_t h = 2166136261u; // FNV-1a
    for (const char c : name) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

// The start of every temporary name of `target`: ".<stem>~<hash>.".
std::string TemporaryPrefix(const std::string& target) {
    const std::string name = NameOf(target);
    // The stem only helps a person see whose file it is; it is cut at a character boundary so
    // that the temporary name stays valid UTF-8 where the file's name is.
    std::size_t cut = name.size() < 32 ? name.size() : 32;
    while (cut > 0 && cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    std::string prefix = ".";
    prefix.append(name, 0, cut);
    prefix += '~';
    prefix += Format("%.8x", {static_cast<long long>(NameHash(name))});
    prefix += '.';
    return prefix;
}

unsigned RandomNumber() {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 rng{std::random_device{}()};
    return static_cast<unsigned>(rng()) ^ (counter.fetch_add(1) * 2654435761u);
}

// Whether `entry` (a name in the target's folder) is a temporary file of the target made by a
// process that no longer runs; only such files are removed.
bool IsLeftover(const std::string& entry, const std::string& prefix) {
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    const std::string_view rest = std::string_view(entry).substr(prefix.size());
    // "<pid>.<8 hex digits>.tmp"
    std::size_t i = 0;
    long long pid = 0;
    while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && i < 10)
        pid = pid * 10 + (rest[i++] - '0');
    if (i == 0 || rest.size() != i + 1 + 8 + 4 || rest[i] != '.' || rest.substr(i + 9) != ".tmp")
        return false;
    for (std::size_t k = i + 1; k < i + 9; ++k) {
        const char c = rest[k];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    if (pid <= 0 || pid == ::getpid() || pid > INT_MAX)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void RemoveLeftovers(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = TemporaryPrefix(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> found;
    while (const dirent* e = ::readdir(dir)) {
        if (IsLeftover(e->d_name, prefix))
            found.emplace_back(e->d_name);
    }
    ::closedir(dir);
    const std::string base = target.rfind('/') == std::string::npos ? "" : folder + "/";
    for (const std::string& name : found)
        Calls().unlink((base + name).c_str());
}

// One file of a set on its way to its target.
struct Pending {
    std::string shown;  // the name as the caller gave it, for messages
    std::string target; // where it goes (a link followed)
    const std::function<void(ByteSink&)>* produce = nullptr;
    bool existed = false;
    mode_t mode = 0;
    std::string temp;   // the new content, until renamed
    std::string backup; // the old content while later files are renamed
    bool renamed = false;
};

// Passes the bytes on to an open file in chunks: small pieces are gathered up to a chunk, a
// piece of a chunk or more goes to the system as it is, so nothing is copied twice.
class FileSink final : public ByteSink {
  public:
    FileSink(int fd, const std::string& shown) : fd_(fd), shown_(shown) {}
    void Append(std::string_view bytes) override {
        if (buffer_.size() + bytes.size() <= StreamChunkBytes) {
            if (buffer_.capacity() == 0 && bytes.size() < StreamChunkBytes)
                buffer_.reserve(StreamChunkBytes);
            buffer_.append(bytes);
            return;
        }
        Flush();
        if (bytes.size() >= StreamChunkBytes)
            WriteAll(bytes);
        else
            buffer_.append(bytes);
    }
    void Flush() {
        WriteAll(buffer_);
        buffer_.clear();
    }

  private:
    void WriteAll(std::string_view bytes) {
        const char* data = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const ssize_t n = Calls().write(fd_, data, left);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                ThrowFile(errno, Op::Write, shown_);
            }
            data += n;
            left -= static_cast<std::size_t>(n);
        }
    }
    int fd_;
    const std::string& shown_;
    std::string buffer_;
};

// Writes the bytes `produce` makes into a new temporary file of `p.target` and returns its
// name. On any failure, also one of `produce`, the file is removed and the error passed on.
std::string WriteTemporary(const Pending& p, const std::function<void(ByteSink&)>& produce) {
    std::string temp;
    int fd = -1;
    // Created with 0666 so that the umask applies as it does to any new file.
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = TemporaryFileName(p.target, ::getpid(), RandomNumber());
        fd = Calls().open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            ThrowFile(errno, Op::Write, p.shown);
    }
    if (fd < 0)
        ThrowFile(EEXIST, Op::Write, p.shown);

    Fd file(fd);
    try {
        FileSink sink(file.get(), p.shown);
        if (produce)
            produce(sink);
        sink.Flush();
        if (p.existed && ::fchmod(file.get(), p.mode & 07777) != 0)
            ThrowFile(errno, Op::Write, p.shown);
        if (Calls().fsync(file.get()) != 0)
            ThrowFile(errno, Op::Write, p.shown);
    } catch (...) {
        file.close();
        Calls().unlink(temp.c_str());
        throw;
    }
    if (file.close() != 0) {
        const int err = errno;
        Calls().unlink(temp.c_str());
        ThrowFile(err, Op::Write, p.shown);
    }
    return temp;
}

// Keeps the old content of an existing target under a temporary name: a second link to it,
// or, where the file system has no hard links, a copy.
std::string MakeBackup(const Pending& p) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryFileName(p.target, ::getpid(), RandomNumber());
        if (Calls().link(p.target.c_str(), name.c_str()) == 0)
            return name;
        const int err = errno;
        if (err == EEXIST)
            continue;
        if (err == EPERM || err == EOPNOTSUPP || err == EXDEV || err == EMLINK || err == ENOSYS)
            break;
        ThrowFile(err, Op::Write, p.shown);
    }
    // The copy goes in chunks: the file a large plan replaces is never held whole.
    return WriteTemporary(p, [&p](ByteSink& sink) {
        const int fd = ::open(p.target.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            ThrowFile(errno, Op::Read, p.shown);
        // Reading is no step the fault tests count, so the system's close, not Calls().
        struct Closer {
            int fd;
            ~Closer() { ::close(fd); }
        } in{fd};
        std::string chunk(StreamChunkBytes, '\0');
        for (;;) {
            const ssize_t n = ::read(in.fd, chunk.data(), chunk.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                ThrowFile(errno, Op::Read, p.shown);
            }
            if (n == 0)
                break;
            sink.Append(std::string_view(chunk.data(), static_cast<std::size_t>(n)));
        }
    });
}

// A target that exists but is no regular file: a device, a pipe or a socket. Renaming over it
// would put a plain file in its place (as root even over /dev/null), so it is never replaced.
[[noreturn]] void ThrowNotRegular(Op op, const std::string& shown) {
    throw Error(ErrorKind::File,
                std::string("Dateizugriff verweigert\nDie Datei ist keine gewöhnliche Datei (ein "
                            "Gerät, eine Pipe oder ein Socket) und wird ") +
                    (op == Op::Write ? "nicht ersetzt: " : "nicht gelesen: ") + shown);
}

// Where a name leads, for comparing targets: device and inode of an existing file, else the
// absolute path with links resolved as far as they exist and the rest normalised.
struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;
};

Identity IdentityOf(const std::string& path) {
    Identity id;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        return id;
    }
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(path, ec);
    if (ec) {
        id.path = std::filesystem::path(path).lexically_normal().string();
        return id;
    }
    const std::filesystem::path canon = std::filesystem::weakly_canonical(abs, ec);
    id.path = (ec ? abs.lexically_normal() : canon.lexically_normal()).string();
    return id;
}

bool operator==(const Identity& a, const Identity& b) {
    if (a.exists != b.exists)
        return false;
    return a.exists ? a.device == b.device && a.inode == b.inode : a.path == b.path;
}

WriteTarget CheckOneTarget(const std::string& path) {
    WriteTarget t;
    t.shown = path;
    t.target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        // A missing file is what a first save expects; anything else (a name too long, a
        // folder in the path that is a file) is the user's to know before anything is written.
        if (errno != ENOENT)
            ThrowFile(errno, Op::Write, path);
        return t;
    }
    if (S_ISLNK(st.st_mode)) {
        // A symbolic link is replaced where it points to, so the link itself survives the save.
        if (::stat(path.c_str(), &st) != 0) {
            if (errno != ENOENT)
                ThrowFile(errno, Op::Write, path);
            throw Error(
                ErrorKind::Refused,
                "Die Datei ist ein symbolischer Link auf eine Datei, die es nicht gibt: " + path +
                    "\nBitte den Link entfernen oder einen anderen Dateinamen wählen.");
        }
        char buf[PATH_MAX];
        if (::realpath(path.c_str(), buf) == nullptr)
            ThrowFile(errno, Op::Write, path);
        t.target = buf;
    }
    if (S_ISDIR(st.st_mode))
        ThrowFile(EISDIR, Op::Write, path);
    if (!S_ISREG(st.st_mode))
        ThrowNotRegular(Op::Write, path);
    // The rename would replace a write-protected file as easily as any other; the user who
    // protected it expects it to be refused like a direct write.
    if (Calls().access(t.target.c_str(), W_OK) != 0)
        ThrowFile(errno, Op::Write, path);
    t.existed = true;
    t.mode = st.st_mode;
    return t;
}

// Undoes a set after a failure: renamed targets get their old content back (or disappear
// again if they were new), temporary files and backups are removed.
void RollBack(std::vector<Pending>& set) {
    for (Pending& p : set) {
        if (p.renamed) {
            if (!p.backup.empty()) {
                if (Calls().rename(p.backup.c_str(), p.target.c_str()) == 0)
                    p.backup.clear();
            } else {
                Calls().unlink(p.target.c_str());
            }
        } else if (!p.temp.empty()) {
            Calls().unlink(p.temp.c_str());
        }
        // A backup that could not be put back stays: it is the only copy of the old file.
        if (!p.backup.empty() && !p.renamed)
            Calls().unlink(p.backup.c_str());
    }
}

void SyncFolder(const std::string& target) {
    // Makes the new name itself durable; a failure here loses nothing that was not already
    // written, so it is not reported.
    const int dfd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

FileSystemCalls SystemFileCalls() {
    FileSystemCalls c;
    c.open = [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); };
    c.write = [](int fd, const void* data, size_t size) { return ::write(fd, data, size); };
    c.fsync = [](int fd) { return ::fsync(fd); };
    c.close = [](int fd) { return ::close(fd); };
    c.rename = [](const char* from, const char* to) { return ::rename(from, to); };
    c.link = [](const char* from, const char* to) { return ::link(from, to); };
    c.unlink = [](const char* path) { return ::unlink(path); };
    c.access = [](const char* path, int mode) { return ::access(path, mode); };
    return c;
}

FileSystemCalls& ActiveFileCalls() {
    return Calls();
}

std::string TemporaryFileName(const std::string& target, long pid, unsigned random) {
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    return dir + TemporaryPrefix(target) + Format("%d.%.8x.tmp", {pid, random});
}

std::vector<WriteTarget> CheckWriteTargets(const std::vector<std::string>& paths,
                                           const std::vector<std::string>& inputs) {
    std::vector<WriteTarget> out;
    out.reserve(paths.size());
    std::vector<Identity> ids;
    ids.reserve(paths.size());
    std::vector<Identity> read;
    read.reserve(inputs.size());
    for (const std::string& in : inputs)
        read.push_back(IdentityOf(in));
    for (const std::string& path : paths) {
        WriteTarget t = CheckOneTarget(path);
        Identity id = IdentityOf(t.target);
        for (std::size_t k = 0; k < ids.size(); ++k) {
            if (!(ids[k] == id))
                continue;
            const std::string& first = out[k].shown;
            std::string text = first == path
                                   ? "Zwei Dateien desselben Speicherns haben denselben Namen: "
                                   : "Zwei Dateien desselben Speicherns sind dieselbe Datei: ";
            if (first != path)
                text += first + " und ";
            text += path;
            throw Error(ErrorKind::Refused, text);
        }
        for (std::size_t k = 0; k < read.size(); ++k) {
            if (read[k] == id)
                throw Error(ErrorKind::Refused,
                            "Die Ausgabedatei " + path + " ist die gelesene Datei " + inputs[k] +
                                ": sie würde überschrieben.\nBitte einen anderen Namen wählen.");
        }
        ids.push_back(std::move(id));
        out.push_back(std::move(t));
    }
    return out;
}

bool SameFile(const std::string& a, const std::string& b) {
    return IdentityOf(a) == IdentityOf(b);
}

void WriteFilesAtomic(const std::vector<FileToWrite>& files) {
    WriteFilesAtomic(files, {});
}

void WriteFilesAtomic(const std::vector<FileToWrite>& files,
                      const std::vector<std::string>& inputs) {
    std::vector<FileToStream> streams;
    streams.reserve(files.size());
    for (const FileToWrite& f : files)
        streams.push_back({f.path, [bytes = f.bytes](ByteSink& sink) { sink.Append(bytes); }});
    StreamFilesAtomic(streams, inputs);
}

void StreamFileAtomic(const std::string& path, const std::function<void(ByteSink&)>& produce) {
    StreamFilesAtomic({FileToStream{path, produce}});
}

void StreamFilesAtomic(const std::vector<FileToStream>& files,
                       const std::vector<std::string>& inputs) {
    std::vector<std::string> paths;
    paths.reserve(files.size());
    for (const FileToStream& f : files)
        paths.push_back(f.path);
    const std::vector<WriteTarget> targets = CheckWriteTargets(paths, inputs);
    std::vector<Pending> set;
    set.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        Pending p;
        p.shown = targets[i].shown;
        p.target = targets[i].target;
        p.existed = targets[i].existed;
        p.mode = targets[i].mode;
        p.produce = &files[i].produce;
        set.push_back(std::move(p));
    }

    try {
        for (Pending& p : set)
            p.temp = WriteTemporary(p, *p.produce);
        // The last target is replaced by the last rename; nothing after it can fail, so it
        // needs no backup.
        for (std::size_t i = 0; i + 1 < set.size(); ++i) {
            if (set[i].existed)
                set[i].backup = MakeBackup(set[i]);
        }
        for (Pending& p : set) {
            if (Calls().rename(p.temp.c_str(), p.target.c_str()) != 0)
                ThrowFile(errno, Op::Write, p.shown);
            p.renamed = true;
            p.temp.clear();
        }
    } catch (...) {
        RollBack(set);
        throw;
    }

    for (const Pending& p : set) {
        if (!p.backup.empty())
            Calls().unlink(p.backup.c_str());
    }
    for (const Pending& p : set) {
        SyncFolder(p.target);
        RemoveLeftovers(p.target);
    }
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    WriteFilesAtomic({FileToWrite{path, bytes}});
}

std::string FileSizeText(std::uint64_t bytes) {
    if (bytes < std::uint64_t{1024} * 1024)
        return Format("%d Bytes", {static_cast<long long>(bytes)});
    return Format("%.1f MB", {static_cast<double>(bytes) / (1024.0 * 1024.0)});
}

std::string ReadFileBytes(const std::string& path) {
    return ReadFileBytes(path, kReadLimitBytes);
}

std::string ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
    // Without O_NONBLOCK the open of a pipe waits for a writer that may never come; the
    // check below refuses it before any read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        ThrowFile(errno, Op::Read, path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        ThrowFile(err, Op::Read, path);
    }
    const auto tooLarge = [&](const std::string& size) {
        ::close(fd);
        throw Error(ErrorKind::Limit, "Datei zu groß\nDie Datei hat " + size +
                                          ", gelesen werden höchstens " + FileSizeText(maxBytes) +
                                          ": " + path);
    };
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        ThrowNotRegular(Op::Read, path);
    }
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        tooLarge(FileSizeText(static_cast<std::uint64_t>(st.st_size)));
    std::string out;
    if (st.st_size > 0)
        out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            ThrowFile(err, Op::Read, path);
        }
        if (n == 0)
            break;
        // A file that grows while it is read (or reports no size) is held to the limit too.
        if (out.size() + static_cast<std::size_t>(n) > maxBytes)
            tooLarge("mehr als " + FileSizeText(maxBytes));
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

} // namespace korvale
