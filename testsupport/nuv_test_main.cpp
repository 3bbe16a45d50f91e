// Test main of every test executable: a headless, locale-independent
// environment with fixed fonts, so that results do not depend on the
// machine running them. One QApplication exists for the whole run; the
// DejaVu fonts are registered by file, so that text metrics come from the
// same font files everywhere (the library draws text aliased and with
// full hinting).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "nuv/platform/Controls.h"

namespace {

void PrepareEnvironment() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (!std::getenv("XDG_RUNTIME_DIR")) {
    const std::string dir = (std::filesystem::temp_directory_path() / "nuv-test-runtime").string();
    std::filesystem::create_directories(dir);
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  }
}

constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";
// fonts-dejavu-core; the oblique faces come with fonts-dejavu-extra and are
// used when present.
constexpr const char* kRequiredFonts[] = {"DejaVuSans.ttf",     "DejaVuSans-Bold.ttf",
                                          "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf",
                                          "DejaVuSerif.ttf",    "DejaVuSerif-Bold.ttf"};
constexpr const char* kOptionalFonts[] = {"DejaVuSans-Oblique.ttf", "DejaVuSans-BoldOblique.ttf",
                                          "DejaVuSansMono-Oblique.ttf",
                                          "DejaVuSansMono-BoldOblique.ttf"};

bool RegisterFonts() {
  for (const char* name : kRequiredFonts) {
    if (QFontDatabase::addApplicationFont(QString::fromLatin1(kFontDir) + QLatin1String(name)) <
        0) {
      std::cerr << "nuv tests: cannot load " << kFontDir << name
                << " (install fonts-dejavu-core, see scripts/install-deps)\n";
      return false;
    }
  }
  for (const char* name : kOptionalFonts)
    QFontDatabase::addApplicationFont(QString::fromLatin1(kFontDir) + QLatin1String(name));
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  font.setStyleStrategy(
      static_cast<QFont::StyleStrategy>(QFont::NoAntialias | QFont::NoFontMerging));
  font.setHintingPreference(QFont::PreferFullHinting);
  QApplication::setFont(font);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareEnvironment();
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  // System colours come from the palette: one fixed palette keeps pixels exact.
  QApplication::setPalette(nuv::ClassicPalette());
  if (!RegisterFonts()) return 1;
  return RUN_ALL_TESTS();
}
