#include "nuv/platform/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "PosixIo.h"

namespace nuv {

namespace {

constexpr int64_t kReadAhead = 32 * 1024;
constexpr int64_t kCopyBlock = 64 * 1024;

// Base + Offset, refusing positions before the beginning and overflow.
int64_t TargetPosition(int64_t base, int64_t offset) {
  int64_t target = 0;
  if (__builtin_add_overflow(base, offset, &target) || target < 0)
    throw EStreamError("Invalid stream position");
  return target;
}

[[noreturn]] void RaiseFileStreamError(const std::string& what, int errnoValue) {
  throw EStreamError(what + ": " + detail::ErrnoText(errnoValue));
}

}  // namespace

// ---------------------------------------------------------------------------
// TStream

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  if (Count <= 0) return 0;
  std::vector<char> block(static_cast<std::size_t>(std::min(Count, kCopyBlock)));
  for (int64_t left = Count; left > 0;) {
    const int64_t n = std::min(left, static_cast<int64_t>(block.size()));
    Source.ReadBuffer(block.data(), n);
    WriteBuffer(block.data(), n);
    left -= n;
  }
  return Count;
}

// ---------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(std::string_view FileName, uint16_t Mode) : file_name_(FileName) {
  const bool create = (Mode & fmCreate) == fmCreate;
  int flags = O_RDONLY;
  if (create) flags = O_RDWR | O_CREAT | O_TRUNC;
  else if ((Mode & 3) == fmOpenWrite) flags = O_WRONLY;
  else if ((Mode & 3) == fmOpenReadWrite) flags = O_RDWR;
  const detail::TOpenResult opened = detail::OpenFile(FileName, flags);
  if (opened.Fd >= 0) {
    fd_ = opened.Fd;
    return;
  }
  const std::string text = "\"" + file_name_ + "\". " + detail::ErrnoText(opened.Errno);
  if (create) throw EFCreateError("Cannot create file " + text);
  throw EFOpenError("Cannot open file " + text);
}

TFileStream::~TFileStream() { detail::CloseFile(fd_); }

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  char* out = static_cast<char*>(Buffer);
  int64_t done = std::min(Count, buf_len_ - buf_pos_);
  if (done > 0) {
    std::memcpy(out, buf_.get() + buf_pos_, static_cast<std::size_t>(done));
    buf_pos_ += done;
  }
  const int64_t rest = Count - done;
  if (rest == 0) return done;
  buf_pos_ = buf_len_ = 0;
  if (rest >= kReadAhead) {
    const int64_t n = detail::ReadFully(fd_, out + done, rest);
    if (n > 0) file_pos_ += n;
    return done + std::max<int64_t>(n, 0);
  }
  if (!buf_) buf_ = std::make_unique<char[]>(kReadAhead);
  buf_len_ = std::max<int64_t>(detail::ReadFully(fd_, buf_.get(), kReadAhead), 0);
  file_pos_ += buf_len_;
  buf_pos_ = std::min(rest, buf_len_);
  std::memcpy(out + done, buf_.get(), static_cast<std::size_t>(buf_pos_));
  return done + buf_pos_;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  DropReadAhead();
  if (Count <= 0) return 0;
  const int64_t n = detail::WriteFully(fd_, Buffer, Count);
  file_pos_ += n;
  return n;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int64_t base = Origin == soBeginning ? 0 : (Origin == soCurrent ? Position() : Size());
  const int64_t target = TargetPosition(base, Offset);
  const int64_t bufferStart = file_pos_ - buf_len_;
  if (buf_len_ > 0 && target >= bufferStart && target <= file_pos_) {
    buf_pos_ = target - bufferStart;
    return target;
  }
  buf_pos_ = buf_len_ = 0;
  return SeekFile(target);
}

int64_t TFileStream::Size() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) RaiseFileStreamError("Cannot get the size of \"" + file_name_ + "\"", errno);
  return st.st_size;
}

void TFileStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Invalid stream size");
  DropReadAhead();
  if (::ftruncate(fd_, NewSize) != 0) RaiseFileStreamError("Cannot set the size of \"" + file_name_ + "\"", errno);
  if (file_pos_ > NewSize) SeekFile(NewSize);
}

void TFileStream::DropReadAhead() {
  if (buf_pos_ < buf_len_) SeekFile(Position());
  buf_pos_ = buf_len_ = 0;
}

int64_t TFileStream::SeekFile(int64_t pos) {
  const off_t result = ::lseek(fd_, pos, SEEK_SET);
  if (result < 0) RaiseFileStreamError("Cannot seek in \"" + file_name_ + "\"", errno);
  file_pos_ = result;
  return file_pos_;
}

// ---------------------------------------------------------------------------
// TMemoryStream

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  const int64_t available = Size() - pos_;
  if (Count <= 0 || available <= 0) return 0;
  const int64_t n = std::min(Count, available);
  std::memcpy(Buffer, data_.data() + pos_, static_cast<std::size_t>(n));
  pos_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const int64_t end = TargetPosition(pos_, Count);
  if (end > Size()) data_.resize(static_cast<std::size_t>(end));
  std::memcpy(data_.data() + pos_, Buffer, static_cast<std::size_t>(Count));
  pos_ = end;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int64_t base = Origin == soBeginning ? 0 : (Origin == soCurrent ? pos_ : Size());
  pos_ = TargetPosition(base, Offset);
  return pos_;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Invalid stream size");
  data_.resize(static_cast<std::size_t>(NewSize));
  pos_ = std::min(pos_, NewSize);
}

void TMemoryStream::Clear() {
  std::vector<char>().swap(data_);
  pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& Stream) {
  Stream.SetPosition(0);
  std::vector<char> content(static_cast<std::size_t>(Stream.Size()));
  Stream.ReadBuffer(content.data(), static_cast<int64_t>(content.size()));
  data_.swap(content);
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(std::string_view FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& Stream) const {
  Stream.WriteBuffer(data_.data(), Size());
}

void TMemoryStream::SaveToFile(std::string_view FileName) const {
  TFileStream file(FileName, fmCreate);
  SaveToStream(file);
}

// ---------------------------------------------------------------------------
// TStringStream

TStringStream::TStringStream(std::string_view AString) {
  WriteString(AString);
  SetPosition(0);
}

std::string TStringStream::ReadString(int64_t Count) {
  const int64_t available = std::max<int64_t>(Size() - Position(), 0);
  std::string result(static_cast<std::size_t>(std::clamp<int64_t>(Count, 0, available)), '\0');
  Read(result.data(), static_cast<int64_t>(result.size()));
  return result;
}

}  // namespace nuv
