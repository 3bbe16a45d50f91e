// Small containers, checksums and encoders: run-length coding, byte
// matrices, bit fields, a byte FIFO, combinations and permutations, CRC-16,
// CRC-32, ASCII85 and SHA-1; the string table, the associative array and
// the nearest-value search of Nuv_dstruct_strings.h.
//
// The four classes here are components; their memory errors are raised as
// ENUVDStructError with the component wording. Invalid indices and
// mismatched operands are ignored (getters return 0 or false).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Streams.h"

namespace nuv {

class ENUVDStructError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

// Target := target op source; the "Not" forms use the complement of the
// source.
enum TLogicOp : uint8_t { loAND, loOR, loXOR, loANDNot, loORNot, loXORNot };

enum TCRC16Mode : uint8_t { crcZModem, crcCCITT };

// Decoder states of TRLEncoder: copying data, escape seen (count next),
// count seen (value next).
enum TDecodeSt : uint8_t { rlData, rlLeadin, rlCnt };

// ---------------------------------------------------------------------------
// Run-length coding

// A byte-oriented run-length coder. A run is coded as the escape byte 165,
// the count and the byte; single and double bytes other than the escape
// byte stay as they are. Output collects in an internal buffer, which grows
// as needed, and is handed out in blocks of BufLeng bytes.
//
// Encoding: Encode data, take full blocks with GetResult while it returns
// true, then call Finish until it returns less than BufLeng. Decoding: feed
// bytes to Decode, take full blocks with GetResult, and the rest with
// Finish; DecodeState is rlData at the end of complete data.
class TRLEncoder : public TComponent {
 public:
  static constexpr uint8_t kEscape = 165;

  explicit TRLEncoder(TComponent* AOwner);

  int32_t BufLeng() const { return buf_leng_; }
  // Block size, at least 1 (smaller values are ignored). Reserves room for
  // 4 × Value bytes; raises "not enough memory on heap" when that fails.
  void SetBufLeng(int32_t Value);

  // Feeds Count bytes (Count ≤ 0 feeds none); true when at least BufLeng
  // output bytes are waiting.
  bool Encode(const void* Data, int32_t Count);
  // Moves the next BufLeng waiting bytes into Buf (room for BufLeng bytes)
  // and returns true; false and nothing moved when fewer are waiting.
  bool GetResult(void* Buf);
  // Flushes the pending run of the encoder (always as escape, count, byte)
  // when bytes were encoded since the last Reset or Finish, then moves up
  // to BufLeng waiting bytes into Buf and returns how many.
  int32_t Finish(void* Buf);
  // Feeds one coded byte; true when at least BufLeng decoded bytes wait.
  bool Decode(uint8_t B);
  TDecodeSt DecodeState() const { return dec_state_; }
  // Bytes waiting to be fetched.
  int64_t WaitingBytes() const { return static_cast<int64_t>(out_.size() - out_head_); }
  // Empties the buffer and resets encoder and decoder.
  void Reset();

 private:
  void Put(uint8_t B) { out_.push_back(B); }
  void PutRun(uint8_t Count, uint8_t B);
  void FlushPendingRun();
  int32_t Deliver(void* Buf, int32_t Count);
  bool BlockWaiting() const { return WaitingBytes() >= buf_leng_; }

  int32_t buf_leng_ = 256;
  std::vector<uint8_t> out_;
  std::size_t out_head_ = 0;  // first waiting byte of out_
  uint8_t run_byte_ = 0;
  int32_t run_length_ = 0;  // 0..254 between calls
  bool run_open_ = false;   // bytes encoded since the last flush
  TDecodeSt dec_state_ = rlData;
  uint8_t dec_count_ = 0;
};

// ---------------------------------------------------------------------------
// Byte matrix

// A column-major matrix of bytes with bit access; indices from 1, bits
// 0..7. Every change fires OnChange.
class TByteMatrix : public TComponent {
 public:
  explicit TByteMatrix(TComponent* AOwner);

  int32_t NrOfColumns() const { return cols_; }
  int32_t NrOfRows() const { return rows_; }
  void SetNrOfColumns(int32_t Value) { Resize(Value, rows_); }
  void SetNrOfRows(int32_t Value) { Resize(cols_, Value); }

  // Keeps the overlapping content, new cells are 0. False when the
  // dimensions are unchanged or not positive. Raises "not enough memory on
  // heap" when the matrix cannot be allocated.
  bool Resize(int32_t NrCols, int32_t NrRows);
  void Fill(uint8_t B);
  void SetByte(int32_t Col, int32_t Row, uint8_t B);
  uint8_t GetByte(int32_t Col, int32_t Row) const;
  void SetBit(int32_t Col, int32_t Row, int32_t Bit, bool Value);
  bool GetBit(int32_t Col, int32_t Row, int32_t Bit) const;
  void ToggleBit(int32_t Col, int32_t Row, int32_t Bit);
  // Element-wise; nothing happens when the dimensions differ.
  void CombineWith(const TByteMatrix& Other, TLogicOp Op);

  TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  uint8_t* Cell(int32_t Col, int32_t Row);
  const uint8_t* Cell(int32_t Col, int32_t Row) const;

  int32_t cols_ = 1;
  int32_t rows_ = 1;
  std::vector<uint8_t> data_;
};

// ---------------------------------------------------------------------------
// Bit field

// Bits 0..Size (Size + 1 bits), 8 per byte, least significant first.
class TBitFld : public TComponent {
 public:
  // Largest Size: the bit count must fit a 32-bit index.
  static constexpr int32_t kMaxSize = INT32_MAX - 1;

  explicit TBitFld(TComponent* AOwner);

  int32_t Size() const { return size_; }
  // 0..kMaxSize (others ignored); keeps the bits below both sizes, new
  // bits are clear.
  void SetSize(int32_t Value);

  // Ix 0..Size; others are ignored or read as false.
  void SetBit(int32_t Ix, bool Value);
  bool GetBit(int32_t Ix) const;
  void ToggleBit(int32_t Ix);
  void Clear();
  // Complements every usable bit.
  void Invert();
  // Takes Source's size and bits.
  void Clone(const TBitFld& Source);
  int32_t CountTrueBits() const;
  // The lowest set index, -1 if none.
  int32_t FirstTrueBit() const;
  // The indices 0..Size whose bit equals Value, ascending.
  void MakeListOfBits(TIntArray& List, bool Value) const;
  // Only when the sizes are equal.
  void CombineWith(const TBitFld& Other, TLogicOp Op);
  // Sets round(Percent / 100 × Size) randomly chosen bits and clears the
  // rest; Percent is clamped to 0..100 (NaN counts as 0).
  void RandomFill(double Percent);
  // The same with Count bits, clamped to 0..Size.
  void RandomFill(int32_t Count);

 private:
  int32_t BitCount() const { return size_ + 1; }
  // Keeps the unused bits of the last byte clear, so counts and
  // comparisons need not mask them.
  void ClearPadding();

  int32_t size_ = 1000;
  std::vector<uint8_t> bits_;
};

// ---------------------------------------------------------------------------
// FIFO

// A ring buffer of Size bytes holding at most Size - 1 of them.
class TFifo : public TComponent {
 public:
  // Raises "FIFO structure too large" when the buffer cannot be allocated.
  explicit TFifo(TComponent* AOwner);

  int32_t Size() const { return static_cast<int32_t>(buf_.size()); }
  // At least 2 (smaller values are ignored). The waiting bytes are kept in
  // order; when they do not fit, the oldest are dropped. Raises "FIFO
  // structure too large" when the buffer cannot be allocated.
  void SetSize(int32_t Value);

  // False when full.
  bool PutByte(uint8_t B);
  // Stores B in any case; when full, the oldest byte is dropped first and
  // the result is true, otherwise false.
  bool ForceByte(uint8_t B);
  // False when empty.
  bool GetByte(uint8_t& B);
  // Puts B back at the output end, to be read next; false (and nothing
  // stored) when full.
  bool LoadBack(uint8_t B);
  // The byte Ix places from the output end (0-based), not removed; false
  // when Ix is not below the count.
  bool SenseByte(int32_t Ix, uint8_t& B) const;
  int32_t CountBytes() const;
  void Clear() { in_ = out_ = 0; }

 private:
  std::size_t Next(std::size_t Ix) const { return Ix + 1 == buf_.size() ? 0 : Ix + 1; }
  bool Full() const { return Next(in_) == out_; }

  std::vector<uint8_t> buf_;
  std::size_t in_ = 0;   // next slot to write
  std::size_t out_ = 0;  // next byte to read
};

// ---------------------------------------------------------------------------
// Combinations and permutations

// Comb[0] holds k, Comb[1..k] an increasing selection from 1..N. Advances
// to the next selection in lexicographic order; false and unchanged after
// the last one, and for inconsistent input (Comb shorter than k + 1, N
// above 255 or below k).
bool NextCombination(std::span<uint8_t> Comb, int32_t N);
// Perm[0] holds n, Perm[1..n] a permutation of 1..n. Advances to the next
// of the n! orders that start from 1, 2, ..., n (for n = 3: 123, 213, 231,
// 132, 312, 321); false and unchanged after the last one and when Perm is
// not a permutation of 1..n.
bool NextPermutation(std::span<uint8_t> Perm);

// ---------------------------------------------------------------------------
// Checksums

// One step of CRC-16, polynomial 1021 hexadecimal, most significant bit
// first.
uint16_t CalcNextCRC16(uint8_t B, uint16_t CRC);
// CRC-16 of the first Count bytes of Buf (at most its size), starting at 0
// (crcZModem) or FFFF hexadecimal (crcCCITT), without final complement.
uint16_t CRC16ofBuffer(std::span<const uint8_t> Buf, int32_t Count, TCRC16Mode Mode);

// One step of the reflected CRC-32 (polynomial EDB88320 hexadecimal).
uint32_t CalcNextCRC32(uint8_t B, uint32_t CRC);
// The CRC-32 of ISO 3309 / IEEE 802.3 of Count bytes at Buf (Count ≤ 0
// gives the CRC of no bytes, 0).
uint32_t CRC32ofBuffer(const void* Buf, int64_t Count);
// The same over a file's bytes; 0 when the file cannot be read.
uint32_t CalcCRC32ofFile(std::string_view FileName);

// ---------------------------------------------------------------------------
// ASCII85

// Writes the rest of Source as ASCII85: groups of four bytes as five
// characters "!".."u", a group of four zero bytes as "z", a final group of
// n < 4 bytes as n + 1 characters, then "~>".
void EncodeASCII85(TStream& Source, TStream& Dest);

// Result codes of DecodeASCII85.
inline constexpr int32_t a85Ok = 0;
inline constexpr int32_t a85BadChar = -1;       // a character outside "!".."u"
inline constexpr int32_t a85ZInGroup = -2;      // "z" inside a group
inline constexpr int32_t a85GroupTooLarge = -3; // a group above its byte count
inline constexpr int32_t a85LoneChar = -4;      // a final group of one character

// Decodes ASCII85 from Source's position into Dest, skipping carriage
// returns and line feeds, up to and including "~" or to the end of Source.
// Returns 0 or a negative code above; the bytes of the groups before an
// error are written.
int32_t DecodeASCII85(TStream& Source, TStream& Dest);

// ---------------------------------------------------------------------------
// SHA-1

using TSHA1Digest = std::array<uint8_t, 20>;

TSHA1Digest SHA1FromString(std::string_view S);
// From the stream's position to its end.
TSHA1Digest SHA1FromStream(TStream& Stream);
// Raises the stream errors of TFileStream when the file cannot be opened.
TSHA1Digest SHA1FromFile(std::string_view FileName);
// 40 upper-case hexadecimal digits, two per byte in digest order.
std::string SHA1DigestToHex(const TSHA1Digest& Digest);

}  // namespace nuv

#include "nuv/Nuv_dstruct_strings.h"
