#include "nuv/platform/Dialogs.h"

#include <QApplication>
#include <QFileDialog>

#include "QtBoundary.h"

namespace nuv {

namespace {

uint32_t g_last_error = 0;

TSaveDialogHook& Hook() {
  static TSaveDialogHook hook;
  return hook;
}

std::vector<std::string_view> Split(std::string_view s, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t at = s.find(separator, start);
    parts.push_back(
        s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<std::string> DialogNameFilters(std::string_view Filter) {
  std::vector<std::string> filters;
  if (Filter.empty()) return filters;
  const std::vector<std::string_view> parts = Split(Filter, '|');
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    std::string patterns;
    for (std::string_view p :
         Split(i + 1 < parts.size() ? parts[i + 1] : std::string_view(), ';')) {
      p = Trimmed(p);
      if (p.empty()) continue;
      if (!patterns.empty()) patterns += ' ';
      patterns += p == "*.*" ? std::string_view("*") : p;
    }
    // A description that shows its patterns already would show them twice.
    std::string_view description = parts[i];
    if (const std::size_t open = description.rfind(" (");
        open != std::string_view::npos && description.ends_with(')'))
      description = description.substr(0, open);
    filters.push_back(std::string(description) + " (" + (patterns.empty() ? "*" : patterns) + ")");
  }
  return filters;
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TSaveDialog::Execute() {
  g_last_error = 0;
  if (Hook()) {
    uint32_t error = 0;
    const bool ok = Hook()(*this, error);
    g_last_error = error;
    return ok && error == 0;
  }
  EnsureGuiApplication();
  if (IsHeadless()) {
    g_last_error = CDERR_DIALOGFAILURE;
    return false;
  }
  QFileDialog dialog(QApplication::activeWindow(), ToQString(title_), QtFileName(initial_dir_));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite,
                   !(options_ & OpenOptionBit(ofOverwritePrompt)));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  QStringList filters;
  for (const std::string& f : DialogNameFilters(filter_)) filters.push_back(ToQString(f));
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (filter_index_ >= 1 && filter_index_ <= filters.size())
      dialog.selectNameFilter(filters[filter_index_ - 1]);
  }
  if (!default_ext_.empty()) dialog.setDefaultSuffix(ToQString(default_ext_));
  if (!file_name_.empty()) dialog.selectFile(QtFileName(file_name_));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  file_name_ = FromQtFileName(dialog.selectedFiles().constFirst());
  const qsizetype chosen = filters.indexOf(dialog.selectedNameFilter());
  if (chosen >= 0) filter_index_ = static_cast<int32_t>(chosen) + 1;
  return true;
}

uint32_t CommDlgExtendedError() { return g_last_error; }

void SetSaveDialogHook(TSaveDialogHook hook) { Hook() = std::move(hook); }

}  // namespace nuv
