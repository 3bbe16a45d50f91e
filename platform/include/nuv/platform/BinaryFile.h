// Files of fixed-size records (and untyped files, whose "record" is any
// block size, often 1 byte), addressed by record number: open, seek, read
// and write blocks of records, size, truncate. Plus the little-endian byte
// reader and writer through which record layouts are encoded, so that no
// record is ever a packed struct whose layout depends on the compiler.
//
// Errors raise EInOutError: 2/3/5 when opening fails, 100 when a whole
// record cannot be read, 101 when it cannot be written, 102 no name, 103
// not open, 104/105 reading a file opened for writing only or writing one
// opened for reading only, 131 a record number out of range.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "nuv/platform/Streams.h"
#include "nuv/platform/Types.h"

namespace nuv {

class BinaryFile {
 public:
  // RecSize in bytes, at least 1 (ERangeError otherwise).
  explicit BinaryFile(int32_t RecSize = 128);
  BinaryFile(std::string_view FileName, int32_t RecSize);
  ~BinaryFile();
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  void Assign(std::string_view FileName);
  const std::string& FileName() const { return name_; }
  int32_t RecSize() const { return rec_size_; }
  bool IsOpen() const { return fd_ >= 0; }
  // The access with which Reset opens: fmOpenRead, fmOpenWrite or
  // fmOpenReadWrite (the default).
  void SetFileMode(uint16_t Mode) { file_mode_ = Mode & 3; }

  // Opens the existing file at record 0 (closing it first when open); the
  // overloads taking a record size change it.
  void Reset();
  void Reset(int32_t RecSize);
  // Creates or empties the file, for reading and writing.
  void Rewrite();
  void Rewrite(int32_t RecSize);
  void Close();

  // Whole records in the file (a partial last record does not count).
  int64_t FileSize();
  int64_t FilePos();
  bool Eof();
  // Any record number from 0; beyond the end, reads find nothing and
  // writes extend the file.
  void Seek(int64_t RecNo);
  // Cuts the file at the current position.
  void Truncate();

  // One record of RecSize bytes.
  void Read(void* Record);
  void Write(const void* Record);
  // Count records; Result receives the number of whole records moved. The
  // position advances by those records only (a partial record at the end
  // of the file is not consumed).
  void BlockRead(void* Buffer, int32_t Count, int32_t& Result);
  void BlockWrite(const void* Buffer, int32_t Count, int32_t& Result);
  // The same, raising 100/101 when fewer than Count records moved.
  void BlockRead(void* Buffer, int32_t Count);
  void BlockWrite(const void* Buffer, int32_t Count);

 private:
  void SetRecSize(int32_t recSize);
  void Open(int flags, bool readable, bool writable);
  void CheckOpen() const;
  void CheckReadable() const;
  void CheckWritable() const;
  [[noreturn]] void Raise(int32_t code) const;
  int64_t ByteCount(int32_t records) const;

  std::string name_;
  int32_t rec_size_ = 128;
  uint16_t file_mode_ = 2;
  int fd_ = -1;
  bool readable_ = false;
  bool writable_ = false;
  int64_t pos_ = 0;  // bytes
};

// ---------------------------------------------------------------------------
// Record images

static_assert(std::endian::native == std::endian::little, "record images are little-endian");
static_assert(std::numeric_limits<long double>::digits == 64 && sizeof(long double) >= 10,
              "extended values need the x87 80-bit format");

// The 10 bytes of an 80-bit extended value, and back.
inline void ExtendedToBytes(long double X, uint8_t* Bytes10) { std::memcpy(Bytes10, &X, 10); }
inline long double BytesToExtended(const uint8_t* Bytes10) {
  long double x = 0;
  std::memcpy(&x, Bytes10, 10);
  return x;
}

// Writes little-endian values into a fixed buffer, front to back. Writing
// beyond its end raises EWriteError.
class ByteWriter {
 public:
  ByteWriter(void* Buffer, std::size_t Size) : buf_(static_cast<uint8_t*>(Buffer)), size_(Size) {}

  void WriteU8(uint8_t v) { Put(&v, 1); }
  void WriteI8(int8_t v) { Put(&v, 1); }
  void WriteBool(bool v) { WriteU8(v ? 1 : 0); }
  void WriteU16(uint16_t v) { Put(&v, 2); }
  void WriteI16(int16_t v) { Put(&v, 2); }
  void WriteU32(uint32_t v) { Put(&v, 4); }
  void WriteI32(int32_t v) { Put(&v, 4); }
  void WriteI64(int64_t v) { Put(&v, 8); }
  void WriteF32(float v) { Put(&v, 4); }
  void WriteF64(double v) { Put(&v, 8); }
  void WriteExt80(long double v) { Put(&v, 10); }
  // The length byte and all N slots (unused slots zero).
  template <std::size_t N>
  void WriteStr(const ShortString<N>& s) {
    WriteU8(static_cast<uint8_t>(s.Length()));
    Put(s.Data(), N);
  }
  void WriteBytes(const void* data, std::size_t n) { Put(data, n); }
  // n zero bytes (padding).
  void Skip(std::size_t n) {
    Check(n);
    std::memset(buf_ + pos_, 0, n);
    pos_ += n;
  }
  std::size_t Pos() const { return pos_; }

 private:
  void Check(std::size_t n) const {
    if (n > size_ - pos_) throw EWriteError("Stream write error");
  }
  void Put(const void* data, std::size_t n) {
    Check(n);
    std::memcpy(buf_ + pos_, data, n);
    pos_ += n;
  }

  uint8_t* buf_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Reads little-endian values from a buffer, front to back. Reading beyond
// its end raises EReadError.
class ByteReader {
 public:
  ByteReader(const void* Buffer, std::size_t Size) : buf_(static_cast<const uint8_t*>(Buffer)), size_(Size) {}

  uint8_t ReadU8() { return Get<uint8_t>(); }
  int8_t ReadI8() { return Get<int8_t>(); }
  bool ReadBool() { return ReadU8() != 0; }
  uint16_t ReadU16() { return Get<uint16_t>(); }
  int16_t ReadI16() { return Get<int16_t>(); }
  uint32_t ReadU32() { return Get<uint32_t>(); }
  int32_t ReadI32() { return Get<int32_t>(); }
  int64_t ReadI64() { return Get<int64_t>(); }
  float ReadF32() { return Get<float>(); }
  double ReadF64() { return Get<double>(); }
  long double ReadExt80() {
    Check(10);
    const long double x = BytesToExtended(buf_ + pos_);
    pos_ += 10;
    return x;
  }
  // A length byte above N is cut to N.
  template <std::size_t N>
  ShortString<N> ReadStr() {
    const std::size_t len = ReadU8();
    Check(N);
    ShortString<N> s(std::string_view(reinterpret_cast<const char*>(buf_ + pos_), std::min(len, N)));
    pos_ += N;
    return s;
  }
  void ReadBytes(void* data, std::size_t n) {
    Check(n);
    std::memcpy(data, buf_ + pos_, n);
    pos_ += n;
  }
  void Skip(std::size_t n) {
    Check(n);
    pos_ += n;
  }
  std::size_t Pos() const { return pos_; }

 private:
  void Check(std::size_t n) const {
    if (n > size_ - pos_) throw EReadError("Stream read error");
  }
  template <class T>
  T Get() {
    Check(sizeof(T));
    T v;
    std::memcpy(&v, buf_ + pos_, sizeof(T));
    pos_ += sizeof(T);
    return v;
  }

  const uint8_t* buf_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace nuv
