#include "nuv/platform/BinaryFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "PosixIo.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

constexpr int32_t kNegativeSeek = 131;

}  // namespace

BinaryFile::BinaryFile(int32_t RecSize) { SetRecSize(RecSize); }

BinaryFile::BinaryFile(std::string_view FileName, int32_t RecSize) : name_(FileName) {
  SetRecSize(RecSize);
}

BinaryFile::~BinaryFile() {
  if (IsOpen()) detail::CloseFile(fd_);
}

void BinaryFile::SetRecSize(int32_t recSize) {
  if (recSize < 1) throw ERangeError("BinaryFile: the record size must be at least 1");
  rec_size_ = recSize;
}

void BinaryFile::Assign(std::string_view FileName) {
  if (IsOpen()) Close();
  name_ = FileName;
}

void BinaryFile::Raise(int32_t code) const {
  throw EInOutError(code, InOutErrorText(code) + " (" + name_ + ")");
}

void BinaryFile::Open(int flags, bool readable, bool writable) {
  if (IsOpen()) Close();
  if (name_.empty()) Raise(ioFileNotAssigned);
  const detail::TOpenResult opened = detail::OpenFile(name_, flags);
  if (opened.Fd < 0) Raise(opened.IoCode);
  fd_ = opened.Fd;
  readable_ = readable;
  writable_ = writable;
  pos_ = 0;
}

void BinaryFile::Reset() {
  if (file_mode_ == fmOpenRead) Open(O_RDONLY, true, false);
  else if (file_mode_ == fmOpenWrite) Open(O_WRONLY, false, true);
  else Open(O_RDWR, true, true);
}

void BinaryFile::Reset(int32_t RecSize) {
  SetRecSize(RecSize);
  Reset();
}

void BinaryFile::Rewrite() { Open(O_RDWR | O_CREAT | O_TRUNC, true, true); }

void BinaryFile::Rewrite(int32_t RecSize) {
  SetRecSize(RecSize);
  Rewrite();
}

void BinaryFile::Close() {
  CheckOpen();
  const bool closed = detail::CloseFile(fd_);
  fd_ = -1;
  if (!closed && writable_) Raise(ioDiskFull);
}

void BinaryFile::CheckOpen() const {
  if (!IsOpen()) Raise(ioFileNotOpen);
}

void BinaryFile::CheckReadable() const {
  CheckOpen();
  if (!readable_) Raise(ioFileNotOpenForInput);
}

void BinaryFile::CheckWritable() const {
  CheckOpen();
  if (!writable_) Raise(ioFileNotOpenForOutput);
}

int64_t BinaryFile::ByteCount(int32_t records) const {
  return records > 0 ? static_cast<int64_t>(records) * rec_size_ : 0;
}

int64_t BinaryFile::FileSize() {
  CheckOpen();
  struct stat st {};
  if (::fstat(fd_, &st) != 0) Raise(InOutCodeFromErrno(errno));
  return st.st_size / rec_size_;
}

int64_t BinaryFile::FilePos() {
  CheckOpen();
  return pos_ / rec_size_;
}

bool BinaryFile::Eof() { return FilePos() >= FileSize(); }

void BinaryFile::Seek(int64_t RecNo) {
  CheckOpen();
  if (RecNo < 0 || RecNo > std::numeric_limits<int64_t>::max() / rec_size_) Raise(kNegativeSeek);
  pos_ = RecNo * rec_size_;
}

void BinaryFile::Truncate() {
  CheckWritable();
  if (::ftruncate(fd_, pos_) != 0) Raise(InOutCodeFromErrno(errno));
}

void BinaryFile::BlockRead(void* Buffer, int32_t Count, int32_t& Result) {
  CheckReadable();
  Result = 0;
  const int64_t bytes = ByteCount(Count);
  char* out = static_cast<char*>(Buffer);
  int64_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::pread(fd_, out + done, static_cast<size_t>(bytes - done), pos_ + done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Raise(InOutCodeFromErrno(errno));
    if (n == 0) break;
    done += n;
  }
  Result = static_cast<int32_t>(done / rec_size_);
  pos_ += static_cast<int64_t>(Result) * rec_size_;
}

void BinaryFile::BlockWrite(const void* Buffer, int32_t Count, int32_t& Result) {
  CheckWritable();
  Result = 0;
  const int64_t bytes = ByteCount(Count);
  const char* in = static_cast<const char*>(Buffer);
  int64_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::pwrite(fd_, in + done, static_cast<size_t>(bytes - done), pos_ + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  Result = static_cast<int32_t>(done / rec_size_);
  pos_ += done;
}

void BinaryFile::BlockRead(void* Buffer, int32_t Count) {
  int32_t result = 0;
  BlockRead(Buffer, Count, result);
  if (result < Count) Raise(ioReadPastEof);
}

void BinaryFile::BlockWrite(const void* Buffer, int32_t Count) {
  int32_t result = 0;
  BlockWrite(Buffer, Count, result);
  if (result < Count) Raise(ioDiskFull);
}

void BinaryFile::Read(void* Record) { BlockRead(Record, 1); }
void BinaryFile::Write(const void* Record) { BlockWrite(Record, 1); }

}  // namespace nuv
