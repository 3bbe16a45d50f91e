#include "Fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QRawFont>
#include <algorithm>

#include "QtBoundary.h"
#include "nuv/platform/CodePage.h"

namespace nuv {

namespace {

// Names that drawings written elsewhere ask for, mapped to families that
// every installation of the library has, so that text measures alike on
// every machine. The flag is the name's TrueType bit on the platform that
// made it common ("MS Sans Serif", "Courier" and friends are raster fonts
// there).
constexpr TFontAlias kAliases[] = {
    {"Arial", "DejaVu Sans", true},
    {"Courier", "DejaVu Sans Mono", false},
    {"Courier New", "DejaVu Sans Mono", true},
    {"Lucida Console", "DejaVu Sans Mono", true},
    {"MS Sans Serif", "DejaVu Sans", false},
    {"MS Serif", "DejaVu Serif", false},
    {"Small Fonts", "DejaVu Sans", false},
    {"System", "DejaVu Sans", false},
    {"Tahoma", "DejaVu Sans", true},
    {"Times New Roman", "DejaVu Serif", true},
    {"Verdana", "DejaVu Sans", true},
};

}  // namespace

const TFontAlias* FindFontAlias(std::string_view name) {
  for (const TFontAlias& a : kAliases)
    if (AnsiSameText(a.Name, name)) return &a;
  return nullptr;
}

QString QtFamilyOf(std::string_view name) {
  const TFontAlias* alias = FindFontAlias(name);
  return alias ? QString::fromLatin1(alias->Family) : ToQString(name);
}

std::vector<std::string> InstalledFontNames() {
  EnsureGuiApplication();
  std::vector<std::string> names;
  for (const QString& family : QFontDatabase::families()) {
    std::string ansi = FromQString(family);
    if (ToQString(ansi) == family) names.push_back(std::move(ansi));
  }
  for (const TFontAlias& a : kAliases) names.emplace_back(a.Name);
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
  names.erase(
      std::unique(names.begin(), names.end(),
                  [](const std::string& a, const std::string& b) { return AnsiSameText(a, b); }),
      names.end());
  return names;
}

bool IsTrueTypeFont(std::string_view name, const QFont& font) {
  if (const TFontAlias* alias = FindFontAlias(name)) return alias->TrueType;
  return !QRawFont::fromFont(font).fontTable("glyf").isEmpty();
}

}  // namespace nuv
