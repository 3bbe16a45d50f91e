#include "nuv/Nuv_nuvbase.h"

#include <algorithm>

#include "corelib_units.h"
#include "nuv/platform/Bitmap.h"
#include "nuv/platform/CodePage.h"
#include "nuv/platform/Forms.h"
#include "nuv/platform/Printers.h"

namespace nuv {

const TRangeArray<TRangeArray<ShortString<4>, 1, 12>, lgUnknown, lgSpanish> MonthShort{{
    {{"M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"}},  // lgUnknown
    {{"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"}},  // lgEnglish
    {{"J\xE4n", "Feb", "M\xE4r", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"}},  // lgGerman
    {{"jan", "f\xE9v", "mar", "avr", "mai", "juin", "jul", "ao\xFB", "sep", "oct", "nov", "d\xE9" "c"}},  // lgFrench
    {{"Ene", "Feb", "Mar", "Abr", "May", "Jun", "Jul", "Ago", "Sep", "Oct", "Nov", "Dic"}},  // lgSpanish
}};

const TRangeArray<TRangeArray<ShortString<10>, 1, 12>, lgUnknown, lgSpanish> MonthLong{{
    {{"M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"}},  // lgUnknown
    {{"January", "February", "March", "April", "May", "June", "July", "August", "September", "October", "November", "December"}},  // lgEnglish
    {{"J\xE4nner", "Februar", "M\xE4rz", "April", "Mai", "Juni", "Juli", "August", "September", "Oktober", "November", "Dezember"}},  // lgGerman
    {{"janvier", "f\xE9vrier ", "mars", "avril", "mai", "juin", "juillet", "ao\xFBt", "septembre", "octobre", "novembre", "d\xE9" "cembre"}},  // lgFrench
    {{"enero", "febrero", "marzo", "abril", "mai", "junio", "julio", "agosto", "septiembre", "octubre", "noviembre", "diciembre"}},  // lgSpanish
}};

const TRangeArray<TRangeArray<ShortString<3>, 1, 7>, lgUnknown, lgSpanish> WeekDayShort{{
    {{"D01", "D02", "D03", "D04", "D05", "D06", "D07"}},  // lgUnknown
    {{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}},  // lgEnglish
    {{"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"}},  // lgGerman
    {{"lun", "mar", "mer", "jeu", "ven", "sam", "dim"}},  // lgFrench
    {{"lun", "mar", "mie", "jue", "vie", "sab", "dom"}},  // lgSpanish
}};

const TRangeArray<TRangeArray<ShortString<10>, 1, 7>, lgUnknown, lgSpanish> WeekDayLong{{
    {{"D01", "D02", "D03", "D04", "D05", "D06", "D07"}},  // lgUnknown
    {{"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"}},  // lgEnglish
    {{"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"}},  // lgGerman
    {{"lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"}},  // lgFrench
    {{"lunes", "martes", "mi\xE9rcoles", "jueves", "viernes", "s\xE1" "bado", "domingo"}},  // lgSpanish
}};

const TRangeArray<TRangeArray<ShortString<6>, 0, 12>, lgUnknown, lgSpanish> NumWords{{
    {{"N00", "N01", "N02", "N03", "N04", "N05", "N06", "N07", "N08", "N09", "N10", "N11", "N12"}},  // lgUnknown
    {{"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten", "eleven", "twelve"}},  // lgEnglish
    {{"null", "eins", "zwei", "drei", "vier", "f\xFCnf", "sechs", "sieben", "acht", "neun", "zehn", "elf", "zw\xF6lf"}},  // lgGerman
    {{"z\xE9ro", "celui", "deux", "trois", "quatre", "cinq", "six", "sept", "huit", "neuf", "dix", "onze", "douze"}},  // lgFrench
    {{"cero", "uno", "dos", "tres", "cuatro", "cinco", "seis", "siete", "ocho", "nueve", "diez", "once", "doce"}},  // lgSpanish
}};

const TRangeArray<TRangeArray<ShortString<15>, lgUnknown, lgSpanish>, lgUnknown, lgSpanish> LanguageID{{
    {{"???", "???", "???", "???", "???"}},  // lgUnknown described
    {{"???", "English", "englisch", "anglais", "ingl\xE9s"}},  // lgEnglish described
    {{"???", "German", "deutsch", "allemand", "alem\xE1n"}},  // lgGerman described
    {{"???", "French", "franz\xF6sisch", "fran\xE7" "ais", "franc\xE9s"}},  // lgFrench described
    {{"???", "Spanish", "spanisch", "espagnol", "espa\xF1ol"}},  // lgSpanish described
}};

const TRangeArray<ShortString<2>, lgUnknown, lgSpanish> ISO639_2Char{{"??", "en", "de", "fr", "es"}};

const TRangeArray<ShortString<3>, lgUnknown, lgSpanish> ISO639_3Char{{"???", "eng", "ger", "fre", "spa"}};

const TRangeArray<ShortString<8>, 160, 255> HTMLLat1Entities{{
    "&nbsp;", "&iexcl;", "&cent;", "&pound;", "&curren;", "&yen;", "&brvbar;", "&sect;",
    "&uml;", "&copy;", "&ordf;", "&laquo;", "&not;", "&shy;", "&reg;", "&macr;",
    "&deg;", "&plusmn;", "&sup2;", "&sup3;", "&acute;", "&micro;", "&para;", "&middot;",
    "&cedil;", "&sup1;", "&ordm;", "&raquo;", "&frac14;", "&frac12;", "&frac34;", "&iquest;",
    "&Agrave;", "&Aacute;", "&Acirc;", "&Atilde;", "&Auml;", "&Aring;", "&AElig;", "&Ccedil;",
    "&Egrave;", "&Eacute;", "&Ecirc;", "&Euml;", "&Igrave;", "&Iacute;", "&Icirc;", "&Iuml;",
    "&ETH;", "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;", "&Otilde;", "&Ouml;", "&times;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;", "&Uuml;", "&Yacute;", "&THORN;", "&szlig;",
    "&agrave;", "&aacute;", "&acirc;", "&atilde;", "&auml;", "&aring;", "&aelig;", "&ccedil;",
    "&egrave;", "&eacute;", "&ecirc;", "&euml;", "&igrave;", "&iacute;", "&icirc;", "&iuml;",
    "&eth;", "&ntilde;", "&ograve;", "&oacute;", "&ocirc;", "&otilde;", "&ouml;", "&divide;",
    "&oslash;", "&ugrave;", "&uacute;", "&ucirc;", "&uuml;", "&yacute;", "&thorn;", "&yuml;",
}};

int32_t ProcStat = 0;
TMathFeedBackProc MathFeedBackProc;
bool AbortMathProc = false;

void IncProcStat() {
  ++ProcStat;
  if (MathFeedBackProc) MathFeedBackProc(ProcStat);
}

void SetCanvasFontSizeScaled(TCanvas& Canvas, int32_t Size) {
  TFont& font = *Canvas.Font();
  const int32_t screen = Screen().PixelsPerInch();
  const int32_t own = font.PixelsPerInch();
  if (own == screen) return font.SetSize(Size);
  font.SetPixelsPerInch(screen);
  font.SetSize(Size);
  font.SetPixelsPerInch(own);
}

bool FontIsTrueType(std::string_view FontName) {
  const std::vector<std::string> fonts = Screen().Fonts();
  if (std::none_of(fonts.begin(), fonts.end(), [&](const std::string& f) { return AnsiSameText(f, FontName); }))
    throw ENUVError("FontIsTrueType: font \"" + std::string(FontName) + "\" is not installed");
  // Measured the way a screen-compatible device sees the font.
  TBitmap probe;
  probe.SetSize(1, 1);
  probe.Canvas()->Font()->SetName(FontName);
  TTextMetric tm;
  probe.Canvas()->GetTextMetrics(tm);
  return (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
}

void PrintBitmap(const TBitmap& Bitmap, int32_t X, int32_t Y) {
  Printer().Canvas()->StretchDraw(Bounds(X, Y, Bitmap.Width(), Bitmap.Height()), Bitmap);
}

namespace units {

void Nuv_nuvbase_Init() { ProcStat = 0; }
void Nuv_nuvbase_Finalize() {}

}  // namespace units

}  // namespace nuv
