#include "model/fileio.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/error.h"
#include "model/format.h"

namespace korvale {
namespace {

[[noreturn]] void ThrowErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        throw Error(ErrorKind::File, "Datei nicht gefunden");
    case EACCES:
    case EPERM:
    case EROFS:
        throw Error(ErrorKind::File, "Dateizugriff verweigert");
    default:
        throw Error(ErrorKind::File, Format("E/A-Fehler %d", {err}));
    }
}

// Closes the descriptor on every path out of a function.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports the error of the close itself (a delayed write error shows here).
    int close() {
        const int r = ::close(fd_);
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

// A symbolic link is replaced where it points to, so the link itself survives the save.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char buf[PATH_MAX];
        if (::realpath(path.c_str(), buf) != nullptr)
            return buf;
    }
    return path;
}

std::string TempName(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937_64 rng{std::random_device{}()};
    const auto slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    const unsigned long long r =
        rng() ^ (static_cast<unsigned long long>(::getpid()) << 20) ^ counter.fetch_add(1);
    return dir + "." + name + "." + Format("%x", {static_cast<long long>(r & 0xFFFFFFFFFFFF)});
}

} // namespace

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    const std::string target = ResolveTarget(path);

    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && S_ISDIR(old.st_mode))
        ThrowErrno(EISDIR);
    // The rename would replace a write-protected file as easily as any other; the user who
    // protected it expects it to be refused like a direct write.
    if (existed && ::access(target.c_str(), W_OK) != 0)
        ThrowErrno(errno);

    // Created with 0666 so that the umask applies as it does to any new file.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = TempName(target);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            ThrowErrno(errno);
    }
    if (fd < 0)
        ThrowErrno(EEXIST);

    Fd file(fd);
    auto fail = [&](int err) {
        file.close();
        ::unlink(temp.c_str());
        ThrowErrno(err);
    };

    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(file.get(), p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (existed && ::fchmod(file.get(), old.st_mode & 07777) != 0)
        fail(errno);
    if (::fsync(file.get()) != 0)
        fail(errno);
    if (file.close() != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        ThrowErrno(err);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        ThrowErrno(err);
    }
    // Make the new name itself durable; a failure here loses nothing that was not already
    // written, so it is not reported.
    const int dfd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

std::string ReadFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        ThrowErrno(errno);
    Fd file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        ThrowErrno(errno);
    if (S_ISDIR(st.st_mode))
        ThrowErrno(EISDIR);
    std::string out;
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(errno);
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

} // namespace korvale
