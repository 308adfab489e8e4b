// One maker per control kind, chosen by the unit's kind, and the handles
// the kinds share.
#include "controls.h"

#include "window_frame.h"

namespace {

size_t g_liveResources = 0;

}  // namespace

std::unique_ptr<ControlObject> MakeControl(const Unit& unit, FormWindow& window) {
  switch (unit.Kind()) {
    case UnitKind::EditBox: return MakeEditBox(unit, window);
    case UnitKind::Button: return MakeButton(unit, window);
    case UnitKind::Timer: return MakeTimer(unit, window);
    case UnitKind::Window: break;
  }
  return nullptr;
}

size_t LiveControlResources() { return g_liveResources; }

OwnedGdiObject::OwnedGdiObject(HGDIOBJ object) : object_(object) {
  if (object_) ++g_liveResources;
}

OwnedGdiObject::~OwnedGdiObject() {
  if (!object_) return;
  DeleteObject(object_);
  --g_liveResources;
}

OwnedIcon::OwnedIcon(HICON icon) : icon_(icon) {
  if (icon_) ++g_liveResources;
}

OwnedIcon::~OwnedIcon() {
  if (!icon_) return;
  DestroyIcon(icon_);
  --g_liveResources;
}

HFONT MakeSettingFont(const std::string& stored) {
  if (stored.size() != kLogFontSize) return nullptr;
  LOGFONTA font;
  static_assert(sizeof font == kLogFontSize, "a stored font is a LOGFONTA");
  std::memcpy(&font, stored.data(), sizeof font);
  // Stored bytes need not end the face name; never read past it.
  font.lfFaceName[LF_FACESIZE - 1] = '\0';
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH;
  return CreateFontIndirectA(&font);
}

ControlFont::ControlFont(const std::string& stored) : own_(MakeSettingFont(stored)) {}

HFONT ControlFont::handle() const {
  return own_.get() ? static_cast<HFONT>(own_.get()) : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HBRUSH MakeColourBrush(uint32_t colour) { return CreateSolidBrush(ResolveColour(colour)); }

HWND CreateControlWindow(const Unit& unit, FormWindow& window, const char* className, const char* text,
                         DWORD style, DWORD exStyle) {
  return CreateWindowExA(exStyle, className, text, style, unit.Number(common::Left), unit.Number(common::Top),
                         unit.Number(common::Width), unit.Number(common::Height), window.hwnd(),
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(unit.id)), GetModuleHandleA(nullptr),
                         nullptr);
}
