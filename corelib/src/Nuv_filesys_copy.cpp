// Copying files and trees with progress and cancellation (Nuv_filesys).
//
// Progress is reported per 8192-byte block, but the data moves in larger
// pieces through copy_file_range, so the kernel copies without a round trip
// through user memory; pread/pwrite take over where that is not supported
// and tell read errors from write errors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <memory>
#include <vector>

#include "Nuv_filesys_parts.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

namespace {

namespace fs = std::filesystem;

std::atomic<bool> g_abortCopying{false};

constexpr int64_t kBlockSize = 8192;
// Blocks per system call: 1 MiB.
constexpr int64_t kBlocksPerChunk = 128;

int32_t Clamp32(int64_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); }

class TFd {
 public:
  explicit TFd(int fd = -1) : fd_(fd) {}
  ~TFd() { Close(); }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return fd_; }
  bool Close() {
    const bool ok = fd_ < 0 || ::close(fd_) == 0;
    fd_ = -1;
    return ok;
  }

 private:
  int fd_;
};

// Copies byte ranges between two open files at equal offsets. Below the
// size the source had at the start its holes stay unwritten; beyond it
// (files that grow, or report no size, as those of /proc do) data is read
// until the end.
class TRangeCopier {
 public:
  TRangeCopier(int src, int dst, int64_t size) : src_(src), dst_(dst), size_(size) {}

  // Copies [from, to); Reached is where the data ended (before `to` when
  // the source ended). fcOk, fcReadError or fcWriteError.
  int32_t Copy(int64_t from, int64_t to, int64_t& Reached) {
    Reached = from;
    const int64_t sparseEnd = std::min(to, size_);
    while (Reached < sparseEnd) {
      int64_t dataEnd;
      if (!NextData(Reached, sparseEnd, dataEnd)) {
        Reached = sparseEnd;
        break;
      }
      const int32_t rc = CopyData(Reached, dataEnd);
      if (rc != fcOk || short_) return rc;
    }
    return Reached < to ? CopyData(Reached, to) : fcOk;
  }

  // The source ended within the last range.
  bool Short() const { return short_; }

 private:
  // Moves pos to the next data at or after it and sets dataEnd to where
  // that data stops (at most `to`); false when only a hole is left.
  bool NextData(int64_t& pos, int64_t to, int64_t& dataEnd) {
    if (!(pos >= segStart_ && pos < segEnd_)) {
      const off_t data = holes_ ? ::lseek(src_, pos, SEEK_DATA) : pos;
      if (data < 0 && errno == ENXIO) return false;
      if (data < 0) {
        holes_ = false;  // no hole support: all of it is data
        segStart_ = pos;
        segEnd_ = INT64_MAX;
      } else {
        const off_t hole = holes_ ? ::lseek(src_, data, SEEK_HOLE) : INT64_MAX;
        segStart_ = data;
        segEnd_ = hole < 0 ? INT64_MAX : hole;
      }
      pos = segStart_;
      if (pos >= to) return false;
    }
    dataEnd = std::min(segEnd_, to);
    return true;
  }

  int32_t CopyData(int64_t& pos, int64_t end) {
    while (pos < end) {
      const std::size_t want = static_cast<std::size_t>(end - pos);
      if (kernelCopy_) {
        loff_t in = pos, out = pos;
        const ssize_t n = ::copy_file_range(src_, &in, dst_, &out, want, 0);
        if (n > 0) {
          pos += n;
          continue;
        }
        if (n == 0) return SourceEnded();
        if (errno == EINTR) continue;
        // Unsupported here: the buffer takes over for good. Any other error:
        // the buffer copies this piece and tells which side failed.
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
            errno == EBADF)
          kernelCopy_ = false;
      }
      return CopyThroughBuffer(pos, end);
    }
    return fcOk;
  }

  int32_t CopyThroughBuffer(int64_t& pos, int64_t end) {
    if (!buffer_) buffer_ = std::make_unique<char[]>(kBufferSize);
    while (pos < end) {
      const std::size_t want = static_cast<std::size_t>(std::min<int64_t>(end - pos, kBufferSize));
      const ssize_t n = ::pread(src_, buffer_.get(), want, pos);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return fcReadError;
      if (n == 0) return SourceEnded();
      for (ssize_t written = 0; written < n;) {
        const ssize_t w = ::pwrite(dst_, buffer_.get() + written, n - written, pos + written);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return fcWriteError;
        written += w;
      }
      pos += n;
    }
    return fcOk;
  }

  int32_t SourceEnded() {
    short_ = true;
    return fcOk;
  }

  static constexpr int64_t kBufferSize = kBlockSize * kBlocksPerChunk;

  int src_, dst_;
  int64_t size_;
  bool kernelCopy_ = true;
  bool holes_ = true;
  bool short_ = false;
  int64_t segStart_ = 0, segEnd_ = 0;
  std::unique_ptr<char[]> buffer_;
};

// The blocks of the file with their callbacks and the cancellation checks,
// until a block comes out short; Done receives the bytes copied. The
// blocks the size promises go in large pieces, any beyond it one by one.
int32_t CopyBlocks(int src, int dst, int64_t size, const TFileCopyCallback& Callback,
                   int64_t& Done) {
  TRangeCopier copier(src, dst, size);
  const int64_t planned = size / kBlockSize + 1;
  Done = 0;
  for (int64_t block = 0;;) {
    const int64_t last = block < planned ? std::min(planned, block + kBlocksPerChunk) : block + 1;
    int64_t end = block;
    bool cancelled = false;
    while (end < last && !cancelled) {
      if (Callback) Callback(Clamp32(end * kBlockSize), Clamp32(size));
      ++end;
      cancelled = g_abortCopying.load(std::memory_order_relaxed);
    }
    const int32_t rc = copier.Copy(block * kBlockSize, end * kBlockSize, Done);
    if (rc != fcOk) return rc;
    if (cancelled) return fcCancelled;
    if (copier.Short()) return fcOk;
    block = end;
  }
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string ParentOs(const std::string& osName) {
  const std::size_t sep = osName.rfind('/');
  if (sep == std::string::npos) return ".";
  return sep == 0 ? "/" : osName.substr(0, sep);
}

std::string LeafOs(const std::string& osName) {
  const std::size_t sep = osName.rfind('/');
  return sep == std::string::npos ? osName : osName.substr(sep + 1);
}

// Creates the copy beside destOs under a temporary name, with the
// permissions the copy is to have.
int CreateCopyTarget(const std::string& destOs, const struct stat& src, bool clearReadOnly,
                     std::string& tempOs) {
  struct stat old {};
  const bool replacing = ::stat(destOs.c_str(), &old) == 0;
  if (replacing && (S_ISDIR(old.st_mode) || SameFile(old, src) || ::access(destOs.c_str(), W_OK) != 0))
    return -1;
  const int fd =
      filesys::CreateExclusive(ParentOs(destOs), "." + LeafOs(destOs) + ".nuvcopy-", tempOs, 0666);
  if (fd < 0) return -1;
  mode_t mode = 0;
  if (clearReadOnly)
    mode = (src.st_mode & 07777) | S_IWUSR;
  else if (replacing)
    mode = old.st_mode & 07777;
  if (mode != 0) ::fchmod(fd, mode);
  return fd;
}

// The copy of one regular file between operating-system names; destOs is
// the exact target. The cancellation flag is left as it is.
int32_t CopyOsFile(const std::string& srcOs, const std::string& destOs, bool clearReadOnly,
                   const TFileCopyCallback& Callback) {
  TFd src(srcOs.empty() ? -1 : ::open(srcOs.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (src.Get() < 0 || ::fstat(src.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return fcSourceError;
  const int64_t size = st.st_size;
  if (Callback) Callback(0, Clamp32(size));

  int64_t done = 0;
  std::string tempOs;
  TFd dst(destOs.empty() ? -1 : CreateCopyTarget(destOs, st, clearReadOnly, tempOs));
  int32_t rc = dst.Get() < 0 ? fcDestError : CopyBlocks(src.Get(), dst.Get(), size, Callback, done);
  if (rc == fcOk) {
    const timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    // A trailing hole is not written: the length sets it.
    if (::ftruncate(dst.Get(), done) != 0 || ::futimens(dst.Get(), times) != 0 || !dst.Close())
      rc = fcWriteError;
    else if (::rename(tempOs.c_str(), destOs.c_str()) != 0)
      rc = fcDestError;
  }
  if (rc != fcOk && !tempOs.empty()) ::unlink(tempOs.c_str());
  if (Callback) Callback(Clamp32(done), Clamp32(size));
  return rc;
}

// A symbolic link recreated with the same target text, replacing an
// existing file or link of that name.
int32_t CopyOsLink(const std::string& srcOs, const std::string& destOs) {
  std::string target(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink(srcOs.c_str(), target.data(), target.size());
    if (n < 0) return fcSourceError;
    if (static_cast<std::size_t>(n) < target.size()) {
      target.resize(static_cast<std::size_t>(n));
      break;
    }
    target.resize(target.size() * 2);
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = filesys::JoinOs(ParentOs(destOs), "." + LeafOs(destOs) + ".nuvlink-" +
                                                                   filesys::UniqueSuffix());
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
      if (errno == EEXIST) continue;
      return fcDestError;
    }
    if (::rename(temp.c_str(), destOs.c_str()) == 0) return fcOk;
    ::unlink(temp.c_str());
    return fcDestError;
  }
  return fcDestError;
}

bool MakeDirectory(const std::string& osDir) {
  std::error_code ec;
  fs::create_directories(osDir, ec);
  return fs::is_directory(osDir, ec);
}

class TTreeCopy {
 public:
  TTreeCopy(bool clearReadOnly, const TTreeCopyCallback& callback, char sep)
      : clear_read_only_(clearReadOnly), callback_(callback), sep_(sep) {}

  int32_t Result() const { return result_; }

  // destDir: the destination directory in the caller's form.
  void Copy(const std::string& srcOs, const std::string& destDir, const std::string& destOs) {
    std::vector<filesys::TDirEntry> entries;
    if (!filesys::ListDirectory(srcOs, entries)) return Fail(fcSourceError);
    for (const filesys::TDirEntry& e : entries) {
      if (e.Kind == filesys::TEntryKind::Directory) continue;
      if (Cancelled()) return;
      ++file_count_;
      CopyEntry(e, filesys::JoinOs(srcOs, e.OsName), filesys::ChildName(destDir, e.Name, sep_),
                filesys::JoinOs(destOs, e.OsName));
    }
    for (const filesys::TDirEntry& e : entries) {
      if (e.Kind != filesys::TEntryKind::Directory) continue;
      if (Cancelled()) return;
      const std::string subOs = filesys::JoinOs(destOs, e.OsName);
      if (!MakeDirectory(subOs)) {
        Fail(fcDestError);
        continue;
      }
      Copy(filesys::JoinOs(srcOs, e.OsName), filesys::ChildName(destDir, e.Name, sep_), subOs);
    }
  }

 private:
  void CopyEntry(const filesys::TDirEntry& e, const std::string& srcOs, const std::string& destName,
                 const std::string& destOs) {
    if (e.IsLink) {
      if (callback_) callback_(0, 0, destName, file_count_);
      return Fail(CopyOsLink(srcOs, destOs));
    }
    TFileCopyCallback progress;
    if (callback_)
      progress = [&](int32_t done, int32_t total) { callback_(done, total, destName, file_count_); };
    Fail(CopyOsFile(srcOs, destOs, clear_read_only_, progress));
  }

  bool Cancelled() {
    if (!g_abortCopying.load(std::memory_order_relaxed)) return false;
    result_ = fcCancelled;
    return true;
  }

  void Fail(int32_t rc) {
    if (rc == fcCancelled || (rc != fcOk && result_ == fcOk)) result_ = rc;
  }

  bool clear_read_only_;
  const TTreeCopyCallback& callback_;
  char sep_;
  int32_t file_count_ = 0;
  int32_t result_ = fcOk;
};

}  // namespace

int32_t FileCopyFeedBk(std::string_view Source, std::string_view Dest, bool ClearReadOnly,
                       const TFileCopyCallback& Callback) {
  g_abortCopying = false;
  const std::string srcOs = Source.empty() ? std::string() : OsFileName(Source);
  std::string destOs = Dest.empty() ? std::string() : OsFileName(Dest);
  struct stat st {};
  if (!destOs.empty() && ::stat(destOs.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    destOs = filesys::JoinOs(destOs, LeafOs(srcOs));
  return CopyOsFile(srcOs, destOs, ClearReadOnly, Callback);
}

int32_t CopyFileTree(std::string_view SourceDir, std::string_view DestDir, bool ClearReadOnly,
                     const TTreeCopyCallback& Callback) {
  g_abortCopying = false;
  const std::string srcOs = SourceDir.empty() ? std::string() : OsFileName(SourceDir);
  const std::string destOs = DestDir.empty() ? std::string() : OsFileName(DestDir);
  std::error_code ec;
  if (srcOs.empty() || !fs::is_directory(srcOs, ec)) return fcSourceError;
  if (destOs.empty()) return fcDestError;
  const fs::path src = fs::canonical(srcOs, ec);
  const fs::path dest = fs::weakly_canonical(destOs, ec);
  if (ec) return fcDestError;
  if (dest == src) return fcOk;
  const std::string srcText = src.string();
  const std::string destText = dest.string();
  if (destText.size() > srcText.size() && destText.compare(0, srcText.size(), srcText) == 0 &&
      (srcText.back() == '/' || destText[srcText.size()] == '/'))
    return fcDestInsideSource;
  if (!MakeDirectory(destOs)) return fcDestError;
  TTreeCopy copy(ClearReadOnly, Callback, filesys::SeparatorOf(DestDir, '/'));
  copy.Copy(srcOs, std::string(DestDir), destOs);
  return copy.Result();
}

void AbortAnyFileCopying() { g_abortCopying = true; }

}  // namespace nuv
