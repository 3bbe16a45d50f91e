#include "nuv/platform/TextFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "PosixIo.h"
#include "nuv/platform/SysUtils.h"

namespace nuv {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
// Longer tokens are no number; only this much of them is kept.
constexpr std::size_t kMaxToken = 1024;

// Lambdas rather than functions, so that the scanning templates inline them.
constexpr auto IsBlank = [](unsigned char c) { return c <= ' '; };
constexpr auto IsLineEnd = [](unsigned char c) { return c == '\r' || c == '\n'; };

}  // namespace

TextFile::~TextFile() {
  if (!IsOpen()) return;
  try {
    Close();
  } catch (const EInOutError&) {
    // A destructor cannot report; Close() is the way to see write errors.
  }
}

void TextFile::Assign(std::string_view FileName) {
  if (IsOpen()) Close();
  name_ = FileName;
}

void TextFile::Open(int flags, TMode mode) {
  if (IsOpen()) Close();
  if (name_.empty()) Raise(ioFileNotAssigned);
  const detail::TOpenResult opened = detail::OpenFile(name_, flags);
  if (opened.Fd < 0) Raise(opened.IoCode);
  if (!buf_) buf_ = std::make_unique<char[]>(kBufferSize);
  fd_ = opened.Fd;
  mode_ = mode;
  pos_ = end_ = 0;
}

void TextFile::Rewrite() { Open(O_WRONLY | O_CREAT | O_TRUNC, TMode::Output); }
void TextFile::Reset() { Open(O_RDONLY, TMode::Input); }
void TextFile::Append() { Open(O_WRONLY | O_APPEND, TMode::Output); }

void TextFile::Close() {
  if (!IsOpen()) Raise(ioFileNotOpen);
  const bool output = mode_ == TMode::Output;
  const std::size_t pending = output ? pos_ : 0;
  const bool written = pending == 0 || detail::WriteFully(fd_, buf_.get(), static_cast<int64_t>(pending)) ==
                                           static_cast<int64_t>(pending);
  const bool closed = detail::CloseFile(fd_);
  fd_ = -1;
  mode_ = TMode::Closed;
  pos_ = end_ = 0;
  if (!written || (output && !closed)) Raise(ioDiskFull);
}

void TextFile::Flush() {
  if (!IsOpen()) Raise(ioFileNotOpen);
  if (mode_ == TMode::Output) FlushBuffer();
}

void TextFile::Raise(int32_t code) const {
  throw EInOutError(code, InOutErrorText(code) + " (" + name_ + ")");
}

void TextFile::CheckInput() {
  if (mode_ != TMode::Input) Raise(mode_ == TMode::Closed ? ioFileNotOpen : ioFileNotOpenForInput);
}

void TextFile::CheckOutput() {
  if (mode_ != TMode::Output) Raise(mode_ == TMode::Closed ? ioFileNotOpen : ioFileNotOpenForOutput);
}

// ---------------------------------------------------------------------------
// Input

bool TextFile::Fill() {
  if (pos_ < end_) return true;
  ssize_t n = 0;
  do {
    n = ::read(fd_, buf_.get(), kBufferSize);
  } while (n < 0 && errno == EINTR);
  if (n < 0) Raise(InOutCodeFromErrno(errno));
  pos_ = 0;
  end_ = static_cast<std::size_t>(n);
  return n > 0;
}

int TextFile::Peek() { return Fill() ? static_cast<unsigned char>(buf_[pos_]) : -1; }

// Consumes bytes while keep(byte) holds; returns the byte that stopped it
// (not consumed) or -1 at the end of the file.
template <class Keep>
int TextFile::SkipWhile(Keep keep) {
  while (Fill()) {
    while (pos_ < end_) {
      const unsigned char c = static_cast<unsigned char>(buf_[pos_]);
      if (!keep(c)) return c;
      ++pos_;
    }
  }
  return -1;
}

// Like SkipWhile, appending the consumed bytes to s as long as it holds
// fewer than limit; false when bytes had to be dropped.
template <class Keep>
bool TextFile::AppendWhile(std::string& s, std::size_t limit, Keep keep) {
  bool complete = true;
  while (Fill()) {
    const std::size_t start = pos_;
    while (pos_ < end_ && keep(static_cast<unsigned char>(buf_[pos_]))) ++pos_;
    const std::size_t room = limit > s.size() ? limit - s.size() : 0;
    const std::size_t run = pos_ - start;
    s.append(buf_.get() + start, std::min(run, room));
    complete = complete && run <= room;
    if (pos_ < end_) break;
  }
  return complete;
}

void TextFile::SkipLineEnd() {
  const int c = Peek();
  if (c == '\r') {
    ++pos_;
    if (Peek() == '\n') ++pos_;
  } else if (c == '\n') {
    ++pos_;
  }
}

bool TextFile::Eof() {
  CheckInput();
  return Peek() < 0;
}

bool TextFile::Eoln() {
  CheckInput();
  const int c = Peek();
  return c < 0 || IsLineEnd(static_cast<unsigned char>(c));
}

bool TextFile::SeekEof() {
  CheckInput();
  return SkipWhile(IsBlank) < 0;
}

bool TextFile::SeekEoln() {
  CheckInput();
  const int c = SkipWhile([](unsigned char b) { return b == ' ' || b == '\t'; });
  return c < 0 || IsLineEnd(static_cast<unsigned char>(c));
}

void TextFile::ReadCharSlow(char& C) {
  CheckInput();
  if (!Fill()) {
    C = '\x1A';
    return;
  }
  C = buf_[pos_++];
}

void TextFile::Read(std::string& S) {
  CheckInput();
  S.clear();
  AppendWhile(S, S.max_size(), [](unsigned char c) { return !IsLineEnd(c); });
}

void TextFile::ReadLn() {
  CheckInput();
  SkipWhile([](unsigned char c) { return !IsLineEnd(c); });
  SkipLineEnd();
}

void TextFile::ReadLn(std::string& S) {
  Read(S);
  SkipLineEnd();
}

template <class T>
void TextFile::ReadNumber(T& value) {
  CheckInput();
  if (SkipWhile(IsBlank) < 0) Raise(ioReadPastEof);
  token_.clear();
  const bool complete = AppendWhile(token_, kMaxToken, [](unsigned char c) { return !IsBlank(c); });
  T result{};
  int32_t code = 0;
  Val(token_, result, code);
  if (code != 0 || !complete) Raise(ioInvalidInput);
  value = result;
}

void TextFile::Read(int32_t& Value) { ReadNumber(Value); }
void TextFile::Read(int64_t& Value) { ReadNumber(Value); }
void TextFile::Read(double& Value) { ReadNumber(Value); }
void TextFile::Read(long double& Value) { ReadNumber(Value); }

// ---------------------------------------------------------------------------
// Output

void TextFile::FlushBuffer() {
  const std::size_t pending = pos_;
  pos_ = 0;
  if (pending > 0 &&
      detail::WriteFully(fd_, buf_.get(), static_cast<int64_t>(pending)) != static_cast<int64_t>(pending))
    Raise(ioDiskFull);
}

void TextFile::Reserve(std::size_t size) {
  CheckOutput();
  if (kBufferSize - pos_ < size) FlushBuffer();
}

void TextFile::Put(const char* data, std::size_t size) {
  Reserve(size);
  if (size >= kBufferSize) {
    if (detail::WriteFully(fd_, data, static_cast<int64_t>(size)) != static_cast<int64_t>(size))
      Raise(ioDiskFull);
    return;
  }
  std::memcpy(buf_.get() + pos_, data, size);
  pos_ += size;
}

void TextFile::WriteJustified(const char* text, std::size_t size, int32_t width) {
  const std::size_t field = std::max<std::size_t>(size, std::clamp(width, 0, kMaxFieldWidth));
  Reserve(field);
  std::memset(buf_.get() + pos_, ' ', field - size);
  std::memcpy(buf_.get() + pos_ + field - size, text, size);
  pos_ += field;
}

void TextFile::WriteFixed(long double x, int32_t width, int32_t decimals) {
  Reserve(kMaxNumberTextLength);
  pos_ += FormatFixedTo(buf_.get() + pos_, kMaxNumberTextLength, x, width, decimals);
}

void TextFile::WriteScientific(long double x, int32_t width) {
  Reserve(kMaxNumberTextLength);
  pos_ += FormatScientificTo(buf_.get() + pos_, kMaxNumberTextLength, x, width);
}

}  // namespace nuv
