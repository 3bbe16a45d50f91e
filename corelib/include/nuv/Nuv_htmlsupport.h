// HTML support: THtmlProducer fills an HTML template by handing each
// special tag "<#name params>" to an event, and free functions encode and
// decode URLs, take the path of an HTTP address, count the words of HTML
// text, convert characters to and from HTML entities and write the frame
// of a page.
//
// Text is Windows-1252 bytes throughout; the named entities are those of
// HTMLLat1Entities (codes 160..255) and amp, lt, gt, quot.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/platform/Streams.h"

namespace nuv {

// Replaces one special tag: TagName is lower-case, Params trimmed of
// blanks, Replacement arrives preset to the whole tag text.
using TOnHTMLTagEvent = std::function<void(TObject* Sender, const std::string& TagName,
                                           const std::string& Params, std::string& Replacement)>;

class THtmlProducer : public TComponent {
 public:
  explicit THtmlProducer(TComponent* AOwner);
  ~THtmlProducer() override;

  const std::string& Template() const { return *template_; }
  void SetTemplate(std::string_view Template);
  // The file's lines, each followed by CR LF (LF, CR LF and a lone CR end
  // a line). File errors raise EInOutError and keep the old template.
  void ReadTemplateFromFile(std::string_view FileName);
  // All of Stream from position 0; the stream is left at its end.
  void ReadTemplateFromStream(TStream& Stream);

  // Copies the template, replacing every special tag: a "<" directly
  // followed by "#" opens one, which runs to the next ">" or, without one,
  // to the end of the template. The name is the text after "<#" up to the
  // first blank or the ">", lower-cased; the parameters are the rest up to
  // the ">", trimmed of blanks. OnHTMLTag decides the replacement; when it
  // is not assigned the tag stays as it is. The result is also kept as the
  // converted text. An exception of the handler propagates and leaves the
  // converted text of the previous call.
  std::string Convert();
  // A string stream over the converted text at position 0. The producer
  // owns it: it stays valid until the next call of this function or the
  // producer's destruction, whichever comes first.
  TStringStream& ConvertedHTMLAsStream();
  // Writes the converted text as it is (no terminator added). The text goes
  // to a new file beside FileName that replaces it only when complete, so
  // a failure raises EInOutError and leaves an existing file untouched.
  void WriteConvertedHTMLToFile(std::string_view FileName);

  TOnHTMLTagEvent OnHTMLTag;

 private:
  // Shared with a running Convert, so that a handler may set a new
  // template without pulling the text from under the scan.
  std::shared_ptr<const std::string> template_;
  std::string converted_;
  std::unique_ptr<TStringStream> stream_;
};

// ---------------------------------------------------------------------------
// URLs

// Each of ! * ( ) ; : @ & = + $ , / ? % # [ ] and the blank becomes "%"
// and its code in two upper-case hexadecimal digits; every other byte
// (control characters and 128..255 included) stays.
std::string URLEncode(std::string_view S);
// Two decoding passes: in each, "%" and two hexadecimal digits (either
// case) become the byte of that code, any other "%" stays. So "%2541"
// gives "A", and a literal "%41" does not survive URLEncode and URLDecode.
// "+" stays "+".
std::string URLDecode(std::string_view S);
// Drops everything up to and including the first "http://" (any case),
// then everything after the last "/". When no "/" is left only the first
// character remains, and nothing of an empty rest.
std::string ExtractHTTPPath(std::string_view URL);

// ---------------------------------------------------------------------------
// Words

// Words of the text outside tags. "<" sets InTag and ">" clears it; bytes
// while InTag is set are skipped. InTag is the caller's, so a tag may span
// calls. Outside tags the word characters and delimiters are those of
// CountWords: at each delimiter a run of at least two word characters is a
// word, unless SkipNumbers is set and it starts with a digit. "<" is such
// a delimiter, so it ends a pending word before the tag begins. A run at
// the end of S is not counted (it does not continue into the next call).
int32_t CountWordsHTML(std::string_view S, bool SkipNumbers, bool& InTag);

// ---------------------------------------------------------------------------
// Entities

// The entity of Ch ("&amp;", "&lt;", "&gt;", "&quot;", and "&nbsp;" to
// "&yuml;" of HTMLLat1Entities for 160..255), otherwise Ch itself.
std::string AnsiToHTMLEntity(char Ch);
// The character of one entity, given with or without its "&" and ";":
// the names of AnsiToHTMLEntity (case matters, "&Auml;" is not "&auml;"),
// apos, the HTML names of the Windows-1252 characters 128..159 ("&euro;",
// "&ndash;" ...) and numeric entities "&#233;", "&#xE9;" of characters
// that Windows-1252 has (128..159 meaning those bytes, as browsers read
// them). '\0' for anything else, "&#0;" included.
char HTMLEntityToAnsi(std::string_view Entity);
// Escapes & < > " and writes 160..255 as their entities, for text that
// goes into an element or a quoted attribute.
std::string MakeStringHTMLCompatible(std::string_view S);
// Replaces every entity that HTMLEntityToAnsi knows, written with its "&"
// and ";", by its character. Unknown names, entities without ";" and
// numbers without a Windows-1252 character stay as they are.
std::string ResolveHTMLEntities(std::string_view S);

// The start of an HTML 4.01 page up to and including "<body>" when
// OpenBody is set (else up to "</head>"), lines ended by CR LF: document
// type, "<html>", "<head>", the windows-1252 charset, the Title and, for
// those not empty, author, keywords and description meta tags. The texts
// are escaped with MakeStringHTMLCompatible.
std::string DefaultHTMLHead(std::string_view Title, std::string_view Author,
                            std::string_view Keywords, std::string_view Description,
                            bool OpenBody);
// The end of the page: "</body>" when CloseBody is set, then "</html>",
// each followed by CR LF.
std::string DefaultHTMLFoot(bool CloseBody);

}  // namespace nuv
