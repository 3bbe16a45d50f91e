// Font names: the alias table that serves well-known font names from the
// bundled DejaVu families (with the TrueType flag each name has where it
// comes from), the list of installed names, and the TrueType test.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

class QFont;

namespace nuv {

struct TFontAlias {
  const char* Name;
  const char* Family;
  bool TrueType;
};

// The alias of a name (case-insensitive), or nullptr.
const TFontAlias* FindFontAlias(std::string_view name);
// The Qt family a font name draws with.
QString QtFamilyOf(std::string_view name);
// Installed family names and the alias names, sorted case-insensitively;
// families whose names are not Windows-1252 are left out.
std::vector<std::string> InstalledFontNames();
// Outline font with TrueType glyphs: the alias's flag, else whether the
// font that Qt picks has a "glyf" table.
bool IsTrueTypeFont(std::string_view name, const QFont& font);

}  // namespace nuv
