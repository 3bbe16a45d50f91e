// XML element blocks, the line-oriented persistence of every library (part
// of Nuv_streams; include "nuv/Nuv_streams.h"). An object writes itself as
// one block, every line ended by CR LF:
//
//   <?xml version="1.0"?>                        only when a header is wanted
//                                                an empty line
//   <!-- TCustomTextLabel / Nuvkit -->           the class's comment
//   <custtextlbl sig="Nuvkit" vers="1.0" id="lbl1">
//     <posxy x= 1.500E+0001 y=-2.000E+0000 />    one line per child element
//     <caption>Peak A</caption>
//   </custtextlbl>
//
// A block stands alone in a file or follows other blocks in a file that
// several objects share. A reader finds its block by root name and id
// (FindXMLBlock), then reads the child elements with the tag reader
// (ReadXMLBlockElements) and takes values from the attribute text with
// ScanForXMLAttrib and the ScanXML... value readers.
//
// Values are written unescaped, exactly as the object holds them: a double
// quote in a quoted attribute or the id, a ">" in an element's attribute,
// an end tag in element content and a line end in the id do not survive a
// write and read. Such a value spoils at most its own element or block;
// the blocks after it are still found and read.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Streams.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

// The envelope's fixed texts.
inline constexpr std::string_view XMLSignature = "Nuvkit";
inline constexpr std::string_view XMLVersion = "1.0";
inline constexpr std::string_view XMLHeaderLine = "<?xml version=\"1.0\"?>";

// ---------------------------------------------------------------------------
// Tag readers and attribute scanner

// Read the next tag from the current position of a text file open for
// input or of a stream. TagList holds lower-case names; its last entry
// stands for every name that is not in the list. Content and Attributes
// are set empty; then the reader skips to the next "<" and reads the tag
// up to its ">". The name is lower-cased and ends at the first blank, tab
// or line end; Attributes is the rest, trimmed, without a closing "/>".
// A start tag (a name that does not begin with "/", "?" or "!") also reads
// the element's content: everything up to the first "</name>" in any case
// (consumed too), nested tags included. Empty elements "<name .../>", end
// tags, "<?...?>" and "<!...>" have no content.
//
// Result: the index (from 0) of the name in TagList; a name that is not
// there, and the end of the input (also inside an unfinished "<..."), give
// the last index. -1 (with Content and Attributes empty) marks an element
// that is not closed: its content ran into the end of the input, or into
// the end tag of an enclosing element of the list (an entry "/outer" whose
// start tag is not part of the content). The input is then behind the
// text read, so the next block can still be found.
int32_t ReadNextTagInTextFile(TextFile& F, std::span<const std::string> TagList,
                              std::string& Content, std::string& Attributes);
int32_t ReadNextTagInStream(TStream& Stream, std::span<const std::string> TagList,
                            std::string& Content, std::string& Attributes);

// The value of the attribute AttrName (any case) in an attribute text as
// the tag readers return it: pairs name=value separated by white space; a
// value is quoted (running to the next double quote) or unquoted (running
// to the next white space or double quote). Quotes are removed, nothing
// else is decoded. The first pair of that name wins. Empty when the name
// is absent or when a malformed pair (a quote in a name, "=" where a value
// should start or inside an unquoted value) comes first.
std::string ScanForXMLAttrib(std::string_view AttrList, std::string_view AttrName);

// Walks the pairs of an attribute text as ScanForXMLAttrib reads them, for
// readers that take many attributes from one tag in a single pass.
class TXMLAttribReader {
 public:
  explicit TXMLAttribReader(std::string_view AttrList) : text_(AttrList) {}
  // The next pair: its name without surrounding white space (may be empty)
  // and its value without quotes, both views into the attribute text.
  // False at the end, and from a malformed pair on.
  bool Next(std::string_view& Name, std::string_view& Value);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Reads tags from the stream's position until one named Tag (any case):
// true with its attributes and, for a start tag, its content read as the
// tag readers do; the stream is behind it. Tags passed over keep their
// content unread, so a search can enter any element. False (Content and
// Attributes empty) when the stream ends first or the element found is
// not closed.
bool ScanStreamForXMLTag(TStream& Stream, std::string_view Tag, std::string& Content,
                         std::string& Attributes);
// The stream counterpart of DetectNextTagInString: reads to the next tag
// whose name is in TagList (lower-case names) and leaves the stream behind
// its ">". Index is the entry's index, or -1 when the stream ends first.
// Returns the text read before that tag, tags passed over included.
std::string ReadStreamUntilTagList(TStream& Stream, std::span<const std::string> TagList,
                                   int32_t& Index);

// ---------------------------------------------------------------------------
// Finding and reading a block

// Reads lines from the current position until one opens a block of Root:
// its first tag (after white space, "<?...>" and "<!...>") is "<" + Root
// in any case, the line holds the signature "nuvkit" (any case), the vers
// attribute, if given, is "1.0", and, unless ID is empty, the id equals ID
// (both trimmed, case ignored). An empty ID takes the first block of Root. True with that
// line consumed and RootAttributes set to the root tag's attribute text as
// written (the id and the class's own attributes); false, with
// RootAttributes empty, at the end of the input.
bool FindXMLBlock(TextFile& F, std::string_view Root, std::string_view ID,
                  std::string& RootAttributes);
bool FindXMLBlock(TStream& Stream, std::string_view Root, std::string_view ID,
                  std::string& RootAttributes);

// Called with the index in Children of each child element read, its
// content and its attribute text.
using TXMLElementEvent =
    std::function<void(int32_t Index, const std::string& Content, const std::string& Attributes)>;

// Reads the child elements of the block whose start line FindXMLBlock has
// consumed, up to the root's end tag "</Root>". Children are the element
// names the class knows (any case); other tags are skipped. True at the
// root's end tag, with the input behind it; false at the end of the input
// or at an element that is not closed (see the tag readers). The elements
// read before a failure have been handed to OnElement.
bool ReadXMLBlockElements(TextFile& F, std::string_view Root, std::span<const std::string> Children,
                          const TXMLElementEvent& OnElement);
bool ReadXMLBlockElements(TStream& Stream, std::string_view Root,
                          std::span<const std::string> Children, const TXMLElementEvent& OnElement);

// ---------------------------------------------------------------------------
// Values

// Value texts as the blocks store them, unquoted:
//  integer  decimal, "-" for negatives                          3, -12
//  Boolean  "1" or "0"
//  colour   "$" and six upper-case hex digits of the low 24 bits   $FF8000
//  float    the scientific form E(X, W) with its sign position and
//           four exponent digits, W = 12 (three decimals) or more:
//           as many decimals as the value needs to read back as the
//           same double                             1.500E+0001, -1.2345678E+0003
//           NaN and infinities "NAN", "INF", "-INF"
//  set      the names of the members present (bit i for Names[i]), in
//           order, separated by single blanks; quoted when written
std::string XMLIntStr(int64_t Value);
std::string XMLBoolStr(bool Value);
std::string XMLColorStr(int32_t Color);
std::string XMLFloatStr(double Value);
std::string XMLSetStr(uint32_t Members, std::span<const std::string_view> Names);

// Value readers; none raises. Leading white space is skipped.
// Decimal: one "+" or "-", then digits up to the first other character;
// no digits give 0, values beyond the int32 range are clamped to it.
int32_t ScanXMLInt(std::string_view Value);
// Exactly when the decimal value is 1.
bool ScanXMLBool(std::string_view Value);
// Hexadecimal: an optional "$", then hex digits of either case up to the
// first other character (the last eight count); none give 0.
int32_t ScanXMLColor(std::string_view Value);
// The longest number at the start: sign, digits, "." or "," as decimal
// separator, an exponent "E" with optional sign. No number gives 0; values
// beyond the largest double are clamped to it, values too small for a
// double become 0. "NAN", "INF" and "-INF" (any case) read as written.
double ScanXMLFloat(std::string_view Value);
// The members named in a blank-separated list; unknown names are ignored.
uint32_t ScanXMLSet(std::string_view Value, std::span<const std::string_view> Names);
// Sets Target to the index of Value in Names (exact comparison) and
// returns true; an unknown name leaves Target unchanged.
template <class E, std::size_t N>
bool ScanXMLEnum(std::string_view Value, const std::array<std::string_view, N>& Names, E& Target) {
  const int32_t ix = IndexOfName(Names, Value);
  if (ix < 0) return false;
  Target = static_cast<E>(ix);
  return true;
}

// The attribute text of one element, built pair by pair: pairs are
// separated by single blanks; texts and sets are quoted, every other value
// is written bare.
class TXMLAttributes {
 public:
  TXMLAttributes& AddInt(std::string_view Name, int64_t Value);
  TXMLAttributes& AddBool(std::string_view Name, bool Value);
  TXMLAttributes& AddColor(std::string_view Name, int32_t Color);
  TXMLAttributes& AddFloat(std::string_view Name, double Value);
  // Names[Value]; an index beyond the array writes an empty value, which
  // readers pass over.
  TXMLAttributes& AddEnum(std::string_view Name, std::size_t Value,
                          std::span<const std::string_view> Names);
  TXMLAttributes& AddSet(std::string_view Name, uint32_t Members,
                         std::span<const std::string_view> Names);
  TXMLAttributes& AddText(std::string_view Name, std::string_view Value);

  const std::string& Text() const { return text_; }

 private:
  TXMLAttributes& Add(std::string_view Name, std::string_view Value, bool Quoted);
  std::string text_;
};

// ---------------------------------------------------------------------------
// Writing a block

// Writes one block line by line at the current position of a text file
// open for output or of a stream. Writers into an open file take an
// indentation: every line of the block except the empty one starts with
// Indent blanks (clamped to 1..255), child elements with two more. Whole-
// file writers construct it without indentation. I/O errors propagate as
// the file's or stream's exceptions.
class TXMLBlockWriter {
 public:
  explicit TXMLBlockWriter(TextFile& F);
  TXMLBlockWriter(TextFile& F, int32_t Indent);
  explicit TXMLBlockWriter(TStream& Stream);
  TXMLBlockWriter(TStream& Stream, int32_t Indent);

  // The header line when CreateHeader is set, the empty line, the comment
  // "<!-- " + ClassComment + " / Nuvkit -->" and the root start tag with
  // sig, vers and the ID as given, then RootAttributes (a class's own).
  void BeginBlock(bool CreateHeader, std::string_view ClassComment, std::string_view Root,
                  std::string_view ID, std::string_view RootAttributes = {});
  // "<Name Attributes />".
  void EmptyElement(std::string_view Name, std::string_view Attributes);
  void EmptyElement(std::string_view Name, const TXMLAttributes& Attributes) {
    EmptyElement(Name, Attributes.Text());
  }
  // "<Name Attributes>Content</Name>" on one line.
  void ContentElement(std::string_view Name, std::string_view Content,
                      std::string_view Attributes = {});
  // A line of its own at the children's indentation, for layouts of their own.
  void ChildLine(std::string_view Text);
  // "</Root>".
  void EndBlock();

 private:
  void StartLine(std::size_t indent);
  void EndLine();

  TextFile* file_ = nullptr;
  TStream* stream_ = nullptr;
  std::size_t indent_ = 0;
  std::string root_;
  std::string line_;
};

// ---------------------------------------------------------------------------
// Files

// Writes a whole file through Write, which gets a text file open for
// output. The text goes to a new file beside FileName that replaces
// FileName only when Write has returned and the file is complete; if
// anything fails, FileName keeps its old content, the new file is removed
// and the exception propagates. A read-only FileName raises EInOutError 5.
void SaveXMLFile(std::string_view FileName, const std::function<void(TextFile& F)>& Write);

// Opens FileName for input, returns what Read returns and closes the file.
// False when the file cannot be opened; read errors propagate.
bool LoadXMLFile(std::string_view FileName, const std::function<bool(TextFile& F)>& Read);

// Stores one block in a file of several blocks: the file's blocks of Root
// with this ID (trimmed, case ignored), their comment and empty lines
// included, are dropped, every other byte is kept, and Write appends the
// new block (CreateHeader true only for a file that did not exist). Safe
// as SaveXMLFile. False, with the file untouched, when a block to replace
// has no end tag.
bool StoreXMLBlockInFile(std::string_view FileName, std::string_view Root, std::string_view ID,
                         const std::function<void(TextFile& F, bool CreateHeader)>& Write);

}  // namespace nuv
