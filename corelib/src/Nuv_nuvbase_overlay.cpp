// Settings objects of chart overlays: crosshair, date/time label and the
// text label with its XML block.
#include <string>
#include <vector>

#include "nuv/Nuv_nuvbase.h"
#include "nuv/Nuv_streams.h"

namespace nuv {

namespace {

// Stores value and fires the event only when it differs.
template <class T, class Owner>
void SetIfChanged(Owner& owner, T& field, T value) {
  if (field == value) return;
  field = value;
  owner.Changed();
}

}  // namespace

// ---------------------------------------------------------------------------
// TCrossHair

void TCrossHair::Changed() {
  if (OnChange) OnChange(this);
}

void TCrossHair::SetCrossHPosX(double value) {
  posX_ = value;
  Changed();
}
void TCrossHair::SetCrossHPosY(double value) {
  posY_ = value;
  Changed();
}
void TCrossHair::SetCrossHColor(TColor value) {
  color_ = value;
  Changed();
}
void TCrossHair::SetCrossHLayer(int32_t value) {
  layer_ = value <= 1 ? 1 : 2;
  Changed();
}
void TCrossHair::SetCrossHMode(TCrossHMode value) {
  mode_ = value;
  Changed();
}
void TCrossHair::SetCrossHLineType(TPenStyle value) {
  lineType_ = value;
  Changed();
}
void TCrossHair::SetCrossHLineWid(int32_t value) {
  lineWid_ = value;
  Changed();
}

void TCrossHair::Assign(const TPersistent& Source) {
  const auto* other = dynamic_cast<const TCrossHair*>(&Source);
  if (!other) return TPersistent::Assign(Source);
  posX_ = other->posX_;
  posY_ = other->posY_;
  color_ = other->color_;
  layer_ = other->layer_;
  mode_ = other->mode_;
  lineType_ = other->lineType_;
  lineWid_ = other->lineWid_;
  Changed();
}

// ---------------------------------------------------------------------------
// TDTLabel

void TDTLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TDTLabel::SetTimeFormat(TTimeFormat value) {
  timeFormat_ = value;
  Changed();
}
void TDTLabel::SetDAteOrder(TDateOrder value) {
  dateOrder_ = value;
  Changed();
}
void TDTLabel::SetDateSeparator(char value) { SetIfChanged(*this, dateSeparator_, value); }
void TDTLabel::SetTimeSeparator(char value) { SetIfChanged(*this, timeSeparator_, value); }
void TDTLabel::SetYearLength(TYearLength value) { SetIfChanged(*this, yearLength_, value); }
void TDTLabel::SetMonthName(bool value) { SetIfChanged(*this, monthName_, value); }
void TDTLabel::SetDateForTime(TDateForTime value) { SetIfChanged(*this, dateForTime_, value); }

void TDTLabel::Assign(const TPersistent& Source) {
  const auto* other = dynamic_cast<const TDTLabel*>(&Source);
  if (!other) return TPersistent::Assign(Source);
  timeFormat_ = other->timeFormat_;
  dateSeparator_ = other->dateSeparator_;
  timeSeparator_ = other->timeSeparator_;
  yearLength_ = other->yearLength_;
  monthName_ = other->monthName_;
  dateOrder_ = other->dateOrder_;
  dateForTime_ = other->dateForTime_;
  Changed();
}

// ---------------------------------------------------------------------------
// TCustomTextLabel

TCustomTextLabel::TCustomTextLabel() : font_(std::make_unique<TFont>()) {}

TCustomTextLabel::~TCustomTextLabel() = default;

void TCustomTextLabel::Changed() {
  if (eventsHeld_ == 0 && OnChange) OnChange(this);
}

void TCustomTextLabel::SetTxtLblPosX(double value) {
  posX_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblPosY(double value) {
  posY_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblLayer(int32_t value) {
  if (!(value >= 1 && value <= 16)) return;
  layer_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblShadowDx(int32_t value) {
  shadowDx_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblShadowDy(int32_t value) {
  shadowDy_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblColorShadow(TColor value) {
  colorShadow_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblAlignment(TAlignment value) {
  alignment_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblVertAlignment(TVerticalAlignment value) {
  vertAlignment_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblScreenPos(TTxtLblAttachMode value) {
  attachMode_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblColorBkg(TColor value) {
  colorBkg_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblColorBrd(TColor value) {
  colorBrd_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblTranspar(bool value) {
  transparent_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblFont(const TFont& value) {
  if (&value != font_.get()) font_->Assign(value);
  Changed();
}
void TCustomTextLabel::SetTxtLblCaption(std::string_view value) {
  caption_.assign(value);
  for (char& c : caption_)
    if (static_cast<unsigned char>(c) < ' ' && c != '\n') c = ' ';
  Changed();
}
void TCustomTextLabel::SetTxtLblMode(TTxtLblMode value) {
  mode_ = value;
  Changed();
}
void TCustomTextLabel::SetTxtLblVisible(bool value) {
  visible_ = value;
  Changed();
}

void TCustomTextLabel::Assign(const TPersistent& Source) {
  const auto* other = dynamic_cast<const TCustomTextLabel*>(&Source);
  if (!other) return TPersistent::Assign(Source);
  if (other == this) return Changed();
  posX_ = other->posX_;
  posY_ = other->posY_;
  layer_ = other->layer_;
  shadowDx_ = other->shadowDx_;
  shadowDy_ = other->shadowDy_;
  colorShadow_ = other->colorShadow_;
  alignment_ = other->alignment_;
  vertAlignment_ = other->vertAlignment_;
  attachMode_ = other->attachMode_;
  colorBkg_ = other->colorBkg_;
  colorBrd_ = other->colorBrd_;
  transparent_ = other->transparent_;
  font_->Assign(*other->font_);
  caption_ = other->caption_;
  mode_ = other->mode_;
  visible_ = other->visible_;
  Changed();
}

// ---------------------------------------------------------------------------
// The "custtextlbl" block

namespace {

constexpr std::string_view kRoot = "custtextlbl";
constexpr std::string_view kComment = "TCustomTextLabel";

enum TLabelElement : int32_t {
  leLocation,
  leColors,
  leShadowOffset,
  leLayer,
  leTransparent,
  leVisible,
  leAlignment,
  leAttachMode,
  leFont,
  leStyle,
  leCaption
};
const std::vector<std::string> kChildren{"posxy",   "colors",     "shadowofs", "layer",
                                         "transparent", "visible", "alignment", "attachmode",
                                         "font",    "style",      "caption"};

constexpr uint32_t kFontStyleMask = (1u << xmlFontStyle.size()) - 1;

}  // namespace

void TCustomTextLabel::WriteBlock(TXMLBlockWriter& w, bool CreateHeader,
                                  std::string_view ID) const {
  w.BeginBlock(CreateHeader, kComment, kRoot, ID);
  w.EmptyElement("posxy", TXMLAttributes().AddFloat("x", posX_).AddFloat("y", posY_));
  w.ContentElement("caption", caption_);
  w.EmptyElement("colors", TXMLAttributes()
                               .AddColor("brd", colorBrd_)
                               .AddColor("bg", colorBkg_)
                               .AddColor("shdw", colorShadow_));
  w.EmptyElement("shadowofs", TXMLAttributes().AddInt("dx", shadowDx_).AddInt("dy", shadowDy_));
  w.EmptyElement("layer", TXMLAttributes().AddInt("val", layer_));
  w.EmptyElement("transparent", TXMLAttributes().AddBool("val", transparent_));
  w.EmptyElement("visible", TXMLAttributes().AddBool("val", visible_));
  w.EmptyElement("alignment", TXMLAttributes()
                                  .AddEnum("horiz", alignment_, xmlAlignment)
                                  .AddEnum("vert", vertAlignment_, xmlVerticalAlignment));
  w.EmptyElement("attachmode", TXMLAttributes().AddEnum("val", attachMode_, xmlTxtLblAttachMode));
  w.EmptyElement("font", TXMLAttributes()
                             .AddText("name", font_->Name())
                             .AddInt("size", font_->Size())
                             .AddColor("color", font_->Color())
                             .AddSet("style", font_->Style() & kFontStyleMask, xmlFontStyle));
  w.EmptyElement("style", TXMLAttributes().AddEnum("val", mode_, xmlTxtLblMode));
  w.EndBlock();
}

template <class In>
bool TCustomTextLabel::ReadBlock(In& Input, std::string_view ID) {
  std::string rootAttributes;
  if (!FindXMLBlock(Input, kRoot, ID, rootAttributes)) return false;
  ++eventsHeld_;
  bool complete = false;
  try {
    complete = ReadXMLBlockElements(
        Input, kRoot, kChildren,
        [this](int32_t index, const std::string& content, const std::string& attributes) {
          auto attr = [&attributes](std::string_view name) {
            return ScanForXMLAttrib(attributes, name);
          };
          switch (index) {
            case leLocation:
              SetTxtLblPosX(ScanXMLFloat(attr("x")));
              SetTxtLblPosY(ScanXMLFloat(attr("y")));
              break;
            case leColors:
              SetTxtLblColorBrd(ScanXMLColor(attr("brd")));
              SetTxtLblColorBkg(ScanXMLColor(attr("bg")));
              SetTxtLblColorShadow(ScanXMLColor(attr("shdw")));
              break;
            case leShadowOffset:
              SetTxtLblShadowDx(ScanXMLInt(attr("dx")));
              SetTxtLblShadowDy(ScanXMLInt(attr("dy")));
              break;
            case leLayer:
              SetTxtLblLayer(ScanXMLInt(attr("val")));
              break;
            case leTransparent:
              SetTxtLblTranspar(ScanXMLBool(attr("val")));
              break;
            case leVisible:
              SetTxtLblVisible(ScanXMLBool(attr("val")));
              break;
            case leAlignment:
              ScanXMLEnum(attr("horiz"), xmlAlignment, alignment_);
              ScanXMLEnum(attr("vert"), xmlVerticalAlignment, vertAlignment_);
              break;
            case leAttachMode:
              ScanXMLEnum(attr("val"), xmlTxtLblAttachMode, attachMode_);
              break;
            case leFont: {
              TFont font;
              font.Assign(*font_);
              font.SetName(attr("name"));
              font.SetSize(ScanXMLInt(attr("size")));
              font.SetColor(ScanXMLColor(attr("color")));
              font.SetStyle(static_cast<TFontStyles>(ScanXMLSet(attr("style"), xmlFontStyle)));
              SetTxtLblFont(font);
              break;
            }
            case leStyle:
              ScanXMLEnum(attr("val"), xmlTxtLblMode, mode_);
              break;
            case leCaption:
              SetTxtLblCaption(content);
              break;
            default:
              break;
          }
        });
  } catch (...) {
    --eventsHeld_;
    Changed();
    throw;
  }
  --eventsHeld_;
  Changed();
  return complete;
}

void TCustomTextLabel::WriteToOpenXMLFile(TextFile& F, bool CreateHeader, std::string_view ID,
                                          int32_t Indent) const {
  TXMLBlockWriter w(F, Indent);
  WriteBlock(w, CreateHeader, ID);
}
void TCustomTextLabel::WriteToOpenXMLFile(TStream& Stream, bool CreateHeader, std::string_view ID,
                                          int32_t Indent) const {
  TXMLBlockWriter w(Stream, Indent);
  WriteBlock(w, CreateHeader, ID);
}

bool TCustomTextLabel::ReadFromOpenXMLFile(TextFile& F, std::string_view ID) {
  return ReadBlock(F, ID);
}
bool TCustomTextLabel::ReadFromOpenXMLFile(TStream& Stream, std::string_view ID) {
  return ReadBlock(Stream, ID);
}

void TCustomTextLabel::SaveAsXMLFile(std::string_view FileName, std::string_view ID) const {
  SaveXMLFile(FileName, [&](TextFile& F) {
    TXMLBlockWriter w(F);
    WriteBlock(w, true, ID);
  });
}

bool TCustomTextLabel::LoadFromXMLFile(std::string_view FileName, std::string_view ID) {
  return LoadXMLFile(FileName, [&](TextFile& F) { return ReadBlock(F, ID); });
}

}  // namespace nuv
