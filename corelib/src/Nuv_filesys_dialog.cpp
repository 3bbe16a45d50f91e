// TUnivSaveDialog: the save dialog whose steps handlers may take over
// (Nuv_filesys).
#include "Nuv_filesys_parts.h"
#include "nuv/Nuv_filesys.h"
#include "nuv/Nuv_stringl.h"
#include "nuv/platform/FileUtils.h"

namespace nuv {

namespace {

// The name with the extension of its last component replaced by ext.
std::string ChangeExtension(const std::string& name, const std::string& ext) {
  const std::size_t start = filesys::NameStart(name);
  const std::size_t dot = name.rfind('.');
  std::string result = name.substr(0, dot != std::string::npos && dot >= start ? dot : name.size());
  if (ext[0] != '.') result += '.';
  return result + ext;
}

}  // namespace

TUnivSaveDialog::TUnivSaveDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TUnivSaveDialog::Execute() {
  for (int32_t round = 0; round < MaxRounds; ++round) {
    if (SelectFile() != mrOk) return false;
    if (!FileDoesExist()) return true;
    if (!OnOverwrite) RaiseComponentError<ENUVFileSysError>(*this, "Overwrite dialog is not assigned");
    TModalResult reply = mrNo;
    OnOverwrite(this, file_name_, reply);
    if (reply == mrCancel) return false;
    if (reply == mrYes) return true;
    if (reply != mrNo)
      RaiseComponentError<ENUVFileSysError>(*this, "Invalid reply argument from overwrite dialog");
  }
  return false;
}

TModalResult TUnivSaveDialog::SelectFile() {
  if (!use_standard_) {
    if (!OnFileSelect)
      RaiseComponentError<ENUVFileSysError>(*this, "File select dialog is not assigned");
    std::string name = file_name_;
    TModalResult action = mrCancel;
    OnFileSelect(this, parameters_, name, action);
    if (action == mrOk) file_name_ = name;
    return action;
  }
  TSaveDialog dialog(nullptr);
  dialog.SetFilter(ExtractParamAsString("filter"));
  dialog.SetTitle(ExtractParamAsString("caption"));
  dialog.SetInitialDir(ExtractParamAsString("initialdir"));
  dialog.SetFileName(file_name_);
  const bool confirmed = dialog.Execute();
  if (const uint32_t error = CommDlgExtendedError(); error != 0)
    RaiseComponentError<ENUVFileSysError>(
        *this, "Error in standard dialog (errnum = $" + IntToHex(error, 4) + ").");
  if (!confirmed) return mrCancel;
  file_name_ = dialog.FileName();
  if (const std::string ext = ExtractParamAsString("ext"); !ext.empty())
    file_name_ = ChangeExtension(file_name_, ext);
  return mrOk;
}

bool TUnivSaveDialog::FileDoesExist() {
  if (use_standard_) return FileExists(file_name_);
  bool exists = false;
  if (OnFileCheck) OnFileCheck(this, file_name_, exists);
  return exists;
}

std::string TUnivSaveDialog::ExtractParamAsString(std::string_view Key) const {
  return ScanForXMLAttrib(parameters_, Key);
}

std::string TUnivSaveDialog::RequiredParam(std::string_view Key) const {
  std::string value = ExtractParamAsString(Key);
  if (value.empty())
    RaiseComponentError<ENUVFileSysError>(
        *this, std::string(Key) + " is not specified in property Parameters");
  return value;
}

int32_t TUnivSaveDialog::ExtractParamAsInt(std::string_view Key) const {
  int32_t value;
  TNumScan scan;
  ScanInt32At(RequiredParam(Key), 0, value, scan);
  return value;
}

double TUnivSaveDialog::ExtractParamAsDouble(std::string_view Key) const {
  double value;
  TNumScan scan;
  ScanDoubleAt(RequiredParam(Key), 0, {{true, true}, true, true}, value, scan);
  return value;
}

}  // namespace nuv
