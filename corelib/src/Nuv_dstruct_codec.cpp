// Run-length coding and ASCII85.
#include <algorithm>
#include <cstring>

#include "Nuv_dstruct_internal.h"
#include "nuv/Nuv_dstruct.h"

namespace nuv {

// ---------------------------------------------------------------------------
// TRLEncoder

TRLEncoder::TRLEncoder(TComponent* AOwner) : TComponent(AOwner) { out_.reserve(4 * std::size_t{256}); }

void TRLEncoder::SetBufLeng(int32_t Value) {
  // A block of 0 bytes would make every caller's fetch loop endless.
  if (Value < 1) return;
  out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(out_head_));
  out_head_ = 0;
  detail::CheckedAllocation(*this, int64_t{4} * Value, detail::kNoMemory,
                            [&](std::size_t n) { out_.reserve(out_.size() + n); });
  buf_leng_ = Value;
}

void TRLEncoder::PutRun(uint8_t Count, uint8_t B) {
  Put(kEscape);
  Put(Count);
  Put(B);
}

void TRLEncoder::FlushPendingRun() {
  if (run_length_ == 0) return;
  if (run_byte_ != kEscape && run_length_ <= 2) {
    for (int32_t i = 0; i < run_length_; ++i) Put(run_byte_);
  } else {
    PutRun(static_cast<uint8_t>(run_length_), run_byte_);
  }
}

bool TRLEncoder::Encode(const void* Data, int32_t Count) {
  const auto* bytes = static_cast<const uint8_t*>(Data);
  for (int32_t i = 0; i < Count; ++i) {
    const uint8_t b = bytes[i];
    run_open_ = true;
    if (b == run_byte_) {
      if (++run_length_ == 255) {
        PutRun(255, b);
        run_length_ = 0;
      }
    } else {
      FlushPendingRun();
      run_byte_ = b;
      run_length_ = 1;
    }
  }
  return BlockWaiting();
}

int32_t TRLEncoder::Deliver(void* Buf, int32_t Count) {
  if (Count == 0) return 0;
  std::memcpy(Buf, out_.data() + out_head_, static_cast<std::size_t>(Count));
  out_head_ += static_cast<std::size_t>(Count);
  // Drop what was delivered once it outweighs the rest, so that the buffer
  // stays small without moving bytes on every block.
  if (out_head_ == out_.size()) {
    out_.clear();
    out_head_ = 0;
  } else if (out_head_ >= out_.size() / 2) {
    out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(out_head_));
    out_head_ = 0;
  }
  return Count;
}

bool TRLEncoder::GetResult(void* Buf) {
  if (!BlockWaiting()) return false;
  Deliver(Buf, buf_leng_);
  return true;
}

int32_t TRLEncoder::Finish(void* Buf) {
  if (run_open_) {
    PutRun(static_cast<uint8_t>(run_length_), run_byte_);
    run_length_ = 0;
    run_open_ = false;
  }
  return Deliver(Buf, static_cast<int32_t>(std::min<int64_t>(WaitingBytes(), buf_leng_)));
}

bool TRLEncoder::Decode(uint8_t B) {
  switch (dec_state_) {
    case rlData:
      if (B == kEscape) dec_state_ = rlLeadin;
      else Put(B);
      break;
    case rlLeadin:
      dec_count_ = B;
      dec_state_ = rlCnt;
      break;
    case rlCnt:
      out_.insert(out_.end(), dec_count_, B);
      dec_state_ = rlData;
      break;
  }
  return BlockWaiting();
}

void TRLEncoder::Reset() {
  out_.clear();
  out_head_ = 0;
  run_byte_ = 0;
  run_length_ = 0;
  run_open_ = false;
  dec_state_ = rlData;
  dec_count_ = 0;
}

// ---------------------------------------------------------------------------
// ASCII85

namespace {

constexpr std::size_t kBlock = 64 * 1024;

// Reads until Count bytes are in or the stream ends.
std::size_t ReadFully(TStream& Stream, uint8_t* Buf, std::size_t Count) {
  std::size_t done = 0;
  while (done < Count) {
    const int64_t n = Stream.Read(Buf + done, static_cast<int64_t>(Count - done));
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

// Collects output and writes it to the stream in large pieces.
class TOutputBuffer {
 public:
  explicit TOutputBuffer(TStream& Dest) : dest_(Dest) { buf_.reserve(kBlock + 8); }
  void Put(char C) {
    buf_.push_back(C);
    if (buf_.size() >= kBlock) Flush();
  }
  void Flush() {
    dest_.WriteBuffer(buf_.data(), static_cast<int64_t>(buf_.size()));
    buf_.clear();
  }

 private:
  TStream& dest_;
  std::string buf_;
};

// N + 1 base-85 digits of the N-byte big-endian group, most significant
// first.
void PutGroup(TOutputBuffer& Out, const uint8_t* Group, int N) {
  uint32_t value = 0;
  for (int i = 0; i < N; ++i) value = (value << 8) | Group[i];
  char digits[5];
  for (int i = N; i >= 0; --i) {
    digits[i] = static_cast<char>('!' + value % 85);
    value /= 85;
  }
  for (int i = 0; i <= N; ++i) Out.Put(digits[i]);
}

// The N low bytes of Value, most significant first.
void PutBytes(TOutputBuffer& Out, uint64_t Value, int N) {
  for (int i = N - 1; i >= 0; --i) Out.Put(static_cast<char>((Value >> (8 * i)) & 0xFF));
}

}  // namespace

void EncodeASCII85(TStream& Source, TStream& Dest) {
  TOutputBuffer out(Dest);
  std::vector<uint8_t> block(kBlock);
  for (;;) {
    const std::size_t n = ReadFully(Source, block.data(), block.size());
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
      const uint8_t* g = &block[i];
      if ((g[0] | g[1] | g[2] | g[3]) == 0) out.Put('z');
      else PutGroup(out, g, 4);
    }
    if (i < n) PutGroup(out, &block[i], static_cast<int>(n - i));
    if (n < block.size()) break;
  }
  out.Put('~');
  out.Put('>');
  out.Flush();
}

int32_t DecodeASCII85(TStream& Source, TStream& Dest) {
  TOutputBuffer out(Dest);
  std::vector<uint8_t> block(4096);
  std::size_t len = 0;
  std::size_t pos = 0;
  uint64_t value = 0;
  int count = 0;
  int32_t result = a85Ok;
  for (;;) {
    if (pos == len) {
      len = static_cast<std::size_t>(std::max<int64_t>(Source.Read(block.data(), static_cast<int64_t>(block.size())), 0));
      pos = 0;
      if (len == 0) break;
    }
    const char c = static_cast<char>(block[pos++]);
    if (c == '\r' || c == '\n') continue;
    if (c == '~') break;
    if (c == 'z') {
      if (count > 0) {
        result = a85ZInGroup;
        break;
      }
      PutBytes(out, 0, 4);
      continue;
    }
    if (c < '!' || c > 'u') {
      result = a85BadChar;
      break;
    }
    value = value * 85 + static_cast<uint64_t>(c - '!');
    if (++count == 5) {
      if (value > 0xFFFFFFFFu) {
        result = a85GroupTooLarge;
        break;
      }
      PutBytes(out, value, 4);
      value = 0;
      count = 0;
    }
  }
  // The unread rest of the block belongs to whatever follows the data.
  if (pos < len) Source.Seek(-static_cast<int64_t>(len - pos), soCurrent);
  if (result == a85Ok && count == 1) result = a85LoneChar;
  if (result == a85Ok && count > 1) {
    // A tail of k characters stands for k - 1 bytes; a larger value cannot
    // have come from the encoder.
    if (value >> (8 * (count - 1)) != 0) result = a85GroupTooLarge;
    else PutBytes(out, value, count - 1);
  }
  out.Flush();
  return result;
}

}  // namespace nuv
