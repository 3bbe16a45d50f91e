// Text files read and written sequentially, with the classic semantics the
// library's readers and writers rely on: a file is assigned a name, then
// opened for input (Reset) or output (Rewrite, Append), read character by
// character, by lines or by numbers, written as text and numbers, and
// closed. Lines are written with CR LF; reading accepts LF, CR LF and a
// lone CR. Contents are bytes, never transcoded.
//
// Errors raise EInOutError with the classic codes: 2 file not found, 3 path
// not found, 5 access denied, 100 read past the end of the file (a number
// where only blanks remain), 101 write failure, 102 no name assigned, 103
// file not open, 104 not open for input, 105 not open for output, 106 a
// token that is not a number.
//
// Reading numbers skips blanks, tabs, line ends and other control
// characters, then takes the token up to the next such character. A token
// that is not a valid number is consumed and then reported as 106, leaving
// the target unchanged, so a reader may carry on with the next number.
//
// Both directions are buffered: written text reaches the file when the
// buffer fills, on Flush and on Close. Destroying an open file closes it,
// ignoring write errors; call Close to see them.
#pragma once

#include <charconv>
#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace nuv {

class TextFile {
 public:
  TextFile() = default;
  explicit TextFile(std::string_view FileName) : name_(FileName) {}
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Sets the name for the next Reset/Rewrite/Append (closing the file when
  // it is open).
  void Assign(std::string_view FileName);
  const std::string& FileName() const { return name_; }
  bool IsOpen() const { return mode_ != TMode::Closed; }

  // Each closes the file first when it is open.
  void Rewrite();  // create or empty, for output
  void Reset();    // existing file, for input from its start
  void Append();   // existing file, for output at its end
  void Close();    // raises 103 when not open
  void Flush();    // writes the buffered text of an output file

  // ---- input (104 on an output file)
  bool Eof();
  // At a line end or the end of the file.
  bool Eoln();
  // Skip blanks, tabs and line ends, then Eof.
  bool SeekEof();
  // Skip blanks and tabs, then Eoln.
  bool SeekEoln();
  // One byte, line-end bytes included; #26 (Ctrl-Z) at the end of the file.
  void Read(char& C) {
    if (mode_ == TMode::Input && pos_ < end_) C = buf_[pos_++];
    else ReadCharSlow(C);
  }
  // The rest of the line, without consuming the line end.
  void Read(std::string& S);
  void Read(int32_t& Value);
  void Read(int64_t& Value);
  void Read(double& Value);
  void Read(long double& Value);
  // Skip to the start of the next line (the end of the file ends it too).
  void ReadLn();
  void ReadLn(std::string& S);

  // ---- output (105 on an input file)
  void Write(std::string_view S) { Put(S.data(), S.size()); }
  void Write(const char* S) { Write(std::string_view(S)); }
  void Write(char C) { Put(&C, 1); }
  // "TRUE" or "FALSE".
  void Write(bool B) { Write(B ? "TRUE" : "FALSE"); }
  // An integer right-justified in Width characters.
  template <std::integral I>
    requires(!std::same_as<I, char> && !std::same_as<I, bool>)
  void Write(I Value, int32_t Width = 0) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, Value).ptr;
    WriteJustified(digits, static_cast<std::size_t>(end - digits), Width);
  }
  // The scientific form E(X, Width) of FormatScientific.
  template <std::floating_point F>
  void Write(F X, int32_t Width) {
    WriteScientific(static_cast<long double>(X), Width);
  }
  // The fixed form F(X, Width, Decimals) of FormatFixed.
  template <std::floating_point F>
  void Write(F X, int32_t Width, int32_t Decimals) {
    WriteFixed(static_cast<long double>(X), Width, Decimals);
  }
  void WriteLn() { Put("\r\n", 2); }
  void WriteLn(std::string_view S) {
    Write(S);
    WriteLn();
  }

 private:
  enum class TMode : uint8_t { Closed, Input, Output };

  void Open(int flags, TMode mode);
  void CheckInput();
  void CheckOutput();
  [[noreturn]] void Raise(int32_t code) const;
  // Input: refills the buffer; false at the end of the file.
  bool Fill();
  // The next byte (0..255) without consuming it, -1 at the end of the file.
  int Peek();
  template <class Keep>
  int SkipWhile(Keep keep);
  template <class Keep>
  bool AppendWhile(std::string& s, std::size_t limit, Keep keep);
  void SkipLineEnd();
  void ReadCharSlow(char& C);
  template <class T>
  void ReadNumber(T& value);
  // Output.
  void Put(const char* data, std::size_t size);
  void Reserve(std::size_t size);
  void FlushBuffer();
  void WriteJustified(const char* text, std::size_t size, int32_t width);
  void WriteFixed(long double x, int32_t width, int32_t decimals);
  void WriteScientific(long double x, int32_t width);

  std::string name_;
  int fd_ = -1;
  TMode mode_ = TMode::Closed;
  std::unique_ptr<char[]> buf_;
  // Input: the unread bytes are [pos_, end_). Output: [0, pos_) waits.
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::string token_;
};

}  // namespace nuv
