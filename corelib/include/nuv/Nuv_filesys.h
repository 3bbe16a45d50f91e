// File-system utilities: path and file-name helpers, directory and disk
// probes, copying single files and whole trees with progress and
// cancellation, deleting, the recycle bin, case renaming, recursive scans,
// text-file searches and appends, byte-order-mark detection, a generator of
// pronounceable passwords, and TUnivSaveDialog, a save dialog whose steps
// event handlers can take over.
//
// Paths are Windows-1252 text as everywhere in the library; callers may
// separate them with "\" or "/", and names built here use the separator the
// caller wrote ("/" when the caller wrote none). The platform maps them to
// the operating system (nuv/platform/FileUtils.h): "C:" is the root file
// system, other drive letters have no root, names resolve case-insensitively
// where the exact name does not exist.
//
// Symbolic links are never followed by the recursive operations: a link to
// a directory is neither entered nor deleted through, a link itself is what
// gets copied, renamed or removed.
//
// Failures of the copy operations come back as result codes; probes and
// searches return their "not found" values; opening errors of the text-file
// readers and writers propagate as EInOutError. Misuse of the dialog raises
// ENUVFileSysError.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_streams.h"  // ReadHeaderOfASC belongs to this unit's interface too
#include "nuv/platform/Classes.h"
#include "nuv/platform/Dialogs.h"
#include "nuv/platform/SysServices.h"
#include "nuv/platform/TextFile.h"

namespace nuv {

class ENUVFileSysError : public ENUVError {
 public:
  using ENUVError::ENUVError;
};

enum TTextfileType : uint8_t {
  tftUnicode_le,
  tftUnicode_be,
  tftUnicode4_le,
  tftUnicode4_be,
  tftRTF,
  tftUTF8,
  tftUnknown
};

using TNumericFeedback = std::function<void(TObject* Sender, double num)>;
using TStringFeedback = std::function<void(TObject* Sender, const std::string& msg)>;

// Progress of one file copy. Byte counts are clamped to the int32 range.
using TFileCopyCallback = std::function<void(int32_t BytesDone, int32_t BytesTotal)>;
// Progress of a tree copy: the current file's progress, its destination
// name and the number of files begun so far (the current one included).
using TTreeCopyCallback = std::function<void(int32_t BytesDone, int32_t BytesTotal,
                                             const std::string& FileName, int32_t FileCount)>;
// Progress of a scan: the directory being entered and the files found
// before it.
using TFileScanCallback = std::function<void(const std::string& Directory, int32_t Count)>;

// ---------------------------------------------------------------------------
// Paths and folders

// The name after the last "\" or "/" (or after a leading drive "X:").
std::string StripPath(std::string_view FileName);
// The directory plus the file name cut before its first "." (so
// "file.tar.gz" loses both extensions and ".profile" becomes empty).
std::string StripExtension(std::string_view FileName);
// FileName unchanged when Ext is empty or the file name (not a directory
// above it) has an extension; otherwise the name cut at its first "." (a
// trailing one) plus Ext, with a "." put before Ext when it has none.
std::string EnsureDefaultFileExt(std::string_view FileName, std::string_view Ext);
// Shortens a path for display: from its first separator ("\", or "/" when
// the path has no "\") on, directory components are replaced by ".." while
// the text is at least MaxLen characters long and a further separator
// follows. A path without separators comes back unchanged.
std::string AbridgeFilePath(std::string_view Path, int32_t MaxLen);
// The drive number of a path, 0 = A to 25 = Z: the letter of a path that
// starts with "X:"; 2 (C:, the root file system) for any other path, as
// every such name lives there; -1 for an empty path or a "?:" whose first
// character is no letter.
int32_t ExtractDrive(std::string_view Path);
// A root directory: "X:\" or "X:/" (at most 3 characters after trimming),
// or "\" or "/" alone.
bool IsRootDir(std::string_view Path);
// Every character is allowed in short DOS names (the set of
// ReduceStringToFN83CompliantChars, the separators and the ":" of a leading
// drive) and every part between separators and "." is shorter than 10
// characters. False for an empty path.
bool IsDOS83Path(std::string_view Path);
// The absolute path with each existing component spelt as on disk; the
// components from the first one that does not exist stay as given. Keeps
// "\" separators (and a leading "C:") when the caller wrote them; a path on
// a drive without root comes back unchanged.
std::string DOSToWinPath(std::string_view Path);

bool DirExists(std::string_view Dir);
// An existing directory without entries; false when Dir is no directory.
bool DirEmpty(std::string_view Dir);
// True when no new file can be created in Dir (also when Dir does not
// exist). The probe is created exclusively under a unique name and deleted
// again, so no existing file is touched.
bool DirIsReadOnly(std::string_view Dir);
// The same probe in the root directory of drive 0 = A .. 25 = Z.
bool DiskIsReadOnly(int32_t Drive);
// The platform's drive type of "X:\" for drive 0 = A .. 25 = Z; 0
// (DRIVE_UNKNOWN) for other numbers.
uint32_t GetDiskDriveType(int32_t Drive);
// Bytes free on drive 0 = A .. 25 = Z; -1 for a drive without root or on
// failure.
long double DiskFreeExtended(int32_t Drive);
// Size in bytes (64-bit); -1 when the file does not exist or is a
// directory.
int64_t GetFileSize(std::string_view FileName);
// GetSystemDir, GetWindowsDir and GetTempDir are the platform's
// (nuv/platform/SysServices.h).
// The value of the environment variable matching Name ignoring case (the
// last match wins); empty when absent.
std::string GetEnviroVar(std::string_view Name);
// The encoding announced by the first bytes: EF BB BF tftUTF8, FF FE 00 00
// tftUnicode4_le, 00 00 FE FF tftUnicode4_be, FF FE tftUnicode_le, FE FF
// tftUnicode_be, "{\r" tftRTF. Only the bytes the file has are compared;
// tftUnknown otherwise, also for a file that cannot be read.
TTextfileType CheckTextFileType(std::string_view FileName);

// ---------------------------------------------------------------------------
// Copying and deleting

// Results of FileCopyFeedBk and CopyFileTree.
inline constexpr int32_t fcOk = 0;
inline constexpr int32_t fcSourceError = -1;  // source missing, unreadable or not a file
inline constexpr int32_t fcDestError = -2;    // destination not creatable, or the source itself
inline constexpr int32_t fcWriteError = -3;
inline constexpr int32_t fcReadError = -4;
inline constexpr int32_t fcCancelled = -5;         // AbortAnyFileCopying during the copy
inline constexpr int32_t fcDestInsideSource = -6;  // tree copy into its own subtree

// Copies Source to Dest (into it, under the source's name, when Dest is a
// directory). The callback gets (0, size) once the source is open, then
// (bytes done, size) before each 8192-byte block until one comes out short
// (a file of n bytes has n div 8192 + 1 blocks; one that holds more than its
// size says, as those of /proc, is read to its end), and a last call with
// (bytes done, size) whatever the outcome. The copy is written beside Dest under
// a temporary name and renamed over it only on success, so a failed or
// cancelled copy leaves an existing Dest as it was. The copy gets the
// source's modification time; with ClearReadOnly the source's permissions
// with owner write, otherwise those of a new file (or of the Dest it
// replaces). Holes of sparse files stay holes. Never raises.
int32_t FileCopyFeedBk(std::string_view Source, std::string_view Dest, bool ClearReadOnly,
                       const TFileCopyCallback& Callback);
// Copies the files of SourceDir into DestDir, creating the directories as
// needed, then the subdirectories recursively; symbolic links are copied as
// links. Equal (or equivalent) directories copy nothing (fcOk); a DestDir
// inside SourceDir is refused (fcDestInsideSource). A failing file does not
// stop the walk: the result is fcOk or the code of the first failure;
// AbortAnyFileCopying stops it with fcCancelled. Never raises.
int32_t CopyFileTree(std::string_view SourceDir, std::string_view DestDir, bool ClearReadOnly,
                     const TTreeCopyCallback& Callback);
// Sets the process-wide cancellation flag (a std::atomic<bool>, so another
// thread may call it); every copy operation clears it when it starts.
void AbortAnyFileCopying();

// Deletes the files matching Mask (directory plus wildcards): not
// directories (nor links to them), nor names starting with "."; returns how
// many were deleted.
int32_t DeleteFiles(std::string_view Mask);
// The same set of files moved to the desktop trash; returns how many were
// moved.
int32_t MoveToRecycleBin(std::string_view Mask);
// Deletes the tree: files and links first, then each directory. Links are
// removed, never followed (Dir itself being a link, only the link goes).
// Stops at the first failure with its path in FailedName (empty on
// success); false then.
bool DelDirTree(std::string_view Dir, std::string& FailedName);
// Renames every entry matching Mask to upper or lower case (Windows-1252),
// recursing into matching subdirectories. An entry whose new name exists
// already (another entry differing only in case) keeps its name. Returns
// the number of entries renamed.
int32_t SetAllFilenameCase(std::string_view Mask, bool Upper);

// ---------------------------------------------------------------------------
// Scanning and text files

// Appends the full names of the files matching Mask (the upper-cased mask
// directory plus the name as on disk; with Recursive the subdirectories'
// names follow in the same way) to List: the directory's own files in
// case-insensitive name order, then each subdirectory depth first. Files
// are all entries other than directories and links to directories, hidden
// ones included. A mask without directory searches the working directory.
void ScanFilesToStrList(std::string_view Mask, bool Recursive, std::vector<std::string>& List,
                        const TFileScanCallback& Callback);
int32_t CountFiles(std::string_view Mask, bool Recursive, const TFileScanCallback& Callback);

// Appends Line (Lines) with CR LF to the text file, creating it when it
// does not exist.
void AppendToTextFile(std::string_view FileName, std::string_view Line);
void AppendToTextFile(std::string_view FileName, std::span<const std::string> Lines);
// The lines as ReadLn reads them (LF, CR LF and a lone CR end a line; a
// last line without end counts). The TextFile form resets F before and
// after counting.
int64_t CountLinesInTextFile(TextFile& F);
int64_t CountLinesInTextFile(std::string_view FileName);
// Skips characters below "!", then returns those up to the next one below
// "!" or the end of the file.
std::string ReadNextWordInTextFile(TextFile& F);
// Counts characters line by line (line ends not counted): a line without S
// adds its length, the first line with S adds the position of S and gives
// the result when the count is at most MaxChars. 0 when S is not found
// within MaxChars characters, or is empty.
int32_t DetectStringInFile(std::string_view FileName, std::string_view S, bool IgnoreCase,
                           int32_t MaxChars);
// The position of S in the first line containing it, Line receiving that
// line; 0 (Line empty) when no line does.
int32_t FindFirstMatchInTextFile(std::string_view FileName, std::string_view S, bool IgnoreCase,
                                 std::string& Line);
// FileName when it exists, else the first file of its name found in the
// subdirectories of its directory (depth first, ignoring case); empty when
// there is none.
std::string FileDetect(std::string_view FileName);

// ---------------------------------------------------------------------------
// Passwords from the platform's generator (not for secrets that must resist
// an attacker who knows the seed).

// Len clamped to 4..14: an odd Len starts with a vowel of "aeiouy", then
// consonant-vowel pairs, and two digits at position 7 (at the end of a
// shorter text); exactly Len characters.
std::string InventPassword(int32_t Len);
// As above; MixedCase upper-cases each letter with probability 1/2,
// SpecialChars replaces each character with probability 1/5 by one of
// "_!$%#=0123456789".
std::string InventPassword(int32_t Len, bool MixedCase, bool SpecialChars);

// ---------------------------------------------------------------------------
// TUnivSaveDialog

using TOnFileSelectEvent = std::function<void(TObject* Sender, const std::string& Parameters,
                                              std::string& SelectedFileName,
                                              TModalResult& UserAction)>;
using TOnFileCheckEvent =
    std::function<void(TObject* Sender, const std::string& FileName, bool& FileDoesExist)>;
using TOnOverwriteEvent = std::function<void(TObject* Sender, const std::string& FileName,
                                             TModalResult& OverwriteReply)>;

class TUnivSaveDialog : public TComponent {
 public:
  // Rounds of Execute after which it gives up (false), so that handlers
  // that keep answering "no" to the same name cannot hang the caller.
  static constexpr int32_t MaxRounds = 100;

  explicit TUnivSaveDialog(TComponent* AOwner);

  // Attributes filter, ext, caption and initialdir, written name="value".
  const std::string& Parameters() const { return parameters_; }
  void SetParameters(std::string_view value) { parameters_ = value; }
  bool UseStandardDialog() const { return use_standard_; }
  void SetUseStandardDialog(bool value) { use_standard_ = value; }
  // Preset before Execute, the chosen name after it.
  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string_view value) { file_name_ = value; }

  TOnFileSelectEvent OnFileSelect;
  TOnFileCheckEvent OnFileCheck;
  TOnOverwriteEvent OnOverwrite;

  // Asks for a file name until the answer is final: true with FileName set
  // when the name is new or may be overwritten, false when cancelled.
  // Raises ENUVFileSysError when the standard dialog fails or a needed
  // handler is missing or gives an invalid reply.
  bool Execute();

  // The value of Key in Parameters.
  std::string ExtractParamAsString(std::string_view Key) const;
  // The number at the start of the value ("." or "," as decimal
  // separator; 0 when it starts with no number). Raises ENUVFileSysError
  // when Key is absent.
  int32_t ExtractParamAsInt(std::string_view Key) const;
  double ExtractParamAsDouble(std::string_view Key) const;

 private:
  // Step 1: the name and the action code (mrOk to go on).
  TModalResult SelectFile();
  bool FileDoesExist();
  std::string RequiredParam(std::string_view Key) const;

  std::string parameters_;
  std::string file_name_;
  bool use_standard_ = true;
};

}  // namespace nuv
