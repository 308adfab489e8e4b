// One maker per control kind, chosen by the unit's kind.
#include "controls.h"

std::unique_ptr<ControlObject> MakeControl(const Unit& unit, FormWindow& window) {
  switch (unit.Kind()) {
    case UnitKind::EditBox: return MakeEditBox(unit, window);
    case UnitKind::Button: return MakeButton(unit, window);
    case UnitKind::Timer: return MakeTimer(unit, window);
    case UnitKind::Window: break;
  }
  return nullptr;
}

HFONT MakeSettingFont(const std::string& stored) {
  if (stored.size() != kLogFontSize) return nullptr;
  LOGFONTA font;
  static_assert(sizeof font == kLogFontSize, "a stored font is a LOGFONTA");
  std::memcpy(&font, stored.data(), sizeof font);
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  return CreateFontIndirectA(&font);
}

ControlFont::ControlFont(const std::string& stored) : own_(MakeSettingFont(stored)) {}

ControlFont::~ControlFont() {
  if (own_) DeleteObject(own_);
}

HFONT ControlFont::handle() const {
  return own_ ? own_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HWND CreateControlWindow(const Unit& unit, FormWindow& window, const char* className, const char* text,
                         DWORD style, DWORD exStyle) {
  return CreateWindowExA(exStyle, className, text, style, unit.Number(common::Left), unit.Number(common::Top),
                         unit.Number(common::Width), unit.Number(common::Height), window.hwnd(),
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(unit.id)), GetModuleHandleA(nullptr),
                         nullptr);
}
