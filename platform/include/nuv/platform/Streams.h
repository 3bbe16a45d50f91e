// Byte streams: the abstract TStream that the library's persistence code
// reads and writes, and its three implementations over a file, a block of
// memory and a string.
//
// Positions and sizes are 64-bit byte counts. Read and Write return the
// number of bytes actually transferred (fewer at the end of a stream);
// ReadBuffer and WriteBuffer raise EReadError "Stream read error" /
// EWriteError "Stream write error" when the full count cannot be moved.
// The position may be set beyond the end: reads there return 0 bytes and
// writes extend the stream (with zero bytes in between). A position before
// the beginning raises EStreamError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/platform/Classes.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

class EStreamError : public Exception {
  using Exception::Exception;
};
class EFCreateError : public EStreamError {
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
  using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
  using EStreamError::EStreamError;
};

enum TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
 public:
  // Up to Count bytes into Buffer; the number read (0 at the end).
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  // Count bytes from Buffer; the number written.
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Moves to Offset relative to Origin and returns the new position.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  virtual int64_t Size() const = 0;
  // Cuts or extends (with zero bytes) the stream; the position is kept
  // unless it lies beyond the new end.
  virtual void SetSize(int64_t NewSize) = 0;
  virtual int64_t Position() const = 0;
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }

  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source's position into this stream; Count 0
  // copies the whole Source from its beginning. Returns the bytes copied;
  // a Source that ends early raises EReadError.
  int64_t CopyFrom(TStream& Source, int64_t Count);
};

// Open modes of TFileStream: one access mode, optionally combined with a
// share mode. Share modes are accepted and not enforced.
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,  // create or empty the file, open it for reading and writing
};

// A stream over a file, opened by name (see OsFileName for names). Raises
// EFCreateError "Cannot create file \"<name>\". <reason>" when fmCreate
// fails and EFOpenError "Cannot open file \"<name>\". <reason>" otherwise.
// Small reads are served from a read-ahead buffer, so byte-by-byte readers
// and one-byte steps back stay cheap.
class TFileStream : public TStream {
 public:
  TFileStream(std::string_view FileName, uint16_t Mode);
  ~TFileStream() override;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() const override;
  void SetSize(int64_t NewSize) override;
  int64_t Position() const override { return file_pos_ - (buf_len_ - buf_pos_); }

  const std::string& FileName() const { return file_name_; }
  // The POSIX descriptor, for date and attribute queries. Reading or
  // seeking through it bypasses the stream's position.
  int Handle() const { return fd_; }

 private:
  void DropReadAhead();
  int64_t SeekFile(int64_t pos);

  std::string file_name_;
  int fd_ = -1;
  int64_t file_pos_ = 0;  // the descriptor's offset: the end of the buffered bytes
  std::unique_ptr<char[]> buf_;
  int64_t buf_pos_ = 0;
  int64_t buf_len_ = 0;
};

// A stream in memory, growing as it is written.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t NewSize) override;
  int64_t Position() const override { return pos_; }

  // The Size() bytes; valid until the size changes.
  char* Memory() { return data_.data(); }
  const char* Memory() const { return data_.data(); }
  void Clear();
  // Replace the content by all of Stream (read from its beginning) or of
  // the file; the position becomes 0.
  void LoadFromStream(TStream& Stream);
  void LoadFromFile(std::string_view FileName);
  // Write the whole content (independent of the position).
  void SaveToStream(TStream& Stream) const;
  void SaveToFile(std::string_view FileName) const;

 private:
  std::vector<char> data_;
  int64_t pos_ = 0;
};

// A memory stream initialised from and read back as text.
class TStringStream : public TMemoryStream {
 public:
  explicit TStringStream(std::string_view AString = {});
  // The whole content as a string.
  std::string DataString() const { return std::string(Memory(), static_cast<std::size_t>(Size())); }
  // Up to Count bytes from the position.
  std::string ReadString(int64_t Count);
  void WriteString(std::string_view AString) { WriteBuffer(AString.data(), static_cast<int64_t>(AString.size())); }
};

}  // namespace nuv
