// The save dialog, modal results, and the seam through which tests (and
// applications that bring their own dialogs) answer it.
//
// The dialog is Qt's own file dialog, not the desktop's, so that it looks
// and behaves alike everywhere. Filters are written "Text files|*.txt;*.csv|
// All files|*.*": description and patterns alternate, separated by "|";
// "*.*" matches every file name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "nuv/platform/Classes.h"

namespace nuv {

using TModalResult = int32_t;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;

// Members of the dialog options; TOpenOptions holds them as bits.
enum TOpenOption : uint8_t {
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofPathMustExist,
  ofEnableSizing
};
using TOpenOptions = uint32_t;
constexpr TOpenOptions OpenOptionBit(TOpenOption o) { return 1u << o; }

// Extended error of a dialog that could not be shown.
inline constexpr uint32_t CDERR_DIALOGFAILURE = 0xFFFF;

class TSaveDialog : public TComponent {
 public:
  explicit TSaveDialog(TComponent* AOwner);

  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string_view value) { filter_ = value; }
  // 1-based index of the filter shown first, and of the one chosen.
  int32_t FilterIndex() const { return filter_index_; }
  void SetFilterIndex(int32_t value) { filter_index_ = value; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string_view value) { title_ = value; }
  const std::string& InitialDir() const { return initial_dir_; }
  void SetInitialDir(std::string_view value) { initial_dir_ = value; }
  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string_view value) { file_name_ = value; }
  // Appended (without the dot) when the user types a name without one.
  const std::string& DefaultExt() const { return default_ext_; }
  void SetDefaultExt(std::string_view value) { default_ext_ = value; }
  // Default: hide read-only, enable sizing. The dialog asks before
  // overwriting only with ofOverwritePrompt.
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions value) { options_ = value; }

  // Shows the dialog; true when the user chose a file (FileName holds it).
  // False when cancelled, or when the dialog could not be shown (no display
  // anybody can see): CommDlgExtendedError tells the two apart.
  bool Execute();

 private:
  std::string filter_;
  std::string title_;
  std::string initial_dir_;
  std::string file_name_;
  std::string default_ext_;
  int32_t filter_index_ = 1;
  TOpenOptions options_ = OpenOptionBit(ofHideReadOnly) | OpenOptionBit(ofEnableSizing);
};

// 0 when the last dialog was shown (and confirmed or cancelled), otherwise
// the error code of its failure (CDERR_DIALOGFAILURE).
uint32_t CommDlgExtendedError();

// Answers save dialogs instead of the user: called by Execute with the
// dialog (ExtendedError preset to 0); the hook sets FileName (and
// FilterIndex) and returns true for OK, or returns false for cancel,
// setting ExtendedError to report a failure. An empty hook restores the
// real dialog.
using TSaveDialogHook = std::function<bool(TSaveDialog& Dialog, uint32_t& ExtendedError)>;
void SetSaveDialogHook(TSaveDialogHook hook);

// The filter as Qt's name filters, in Windows-1252 ("Text files (*.txt
// *.csv)", "All files (*)").
std::vector<std::string> DialogNameFilters(std::string_view Filter);

}  // namespace nuv
