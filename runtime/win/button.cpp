// The button kind.
#include "controls.h"

namespace {

DWORD ButtonStyle(const Unit& u) {
  DWORD style = CommonControlStyle(u) | BS_MULTILINE;
  style |= u.Number(button::ButtonKind) == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  switch (u.Number(button::HorizontalAlign)) {
    case 0: style |= BS_LEFT; break;
    case 1: style |= BS_CENTER; break;
    default: style |= BS_RIGHT; break;
  }
  switch (u.Number(button::VerticalAlign)) {
    case 0: style |= BS_TOP; break;
    case 1: style |= BS_VCENTER; break;
    default: style |= BS_BOTTOM; break;
  }
  return style;
}

class Button : public ControlObject {
 public:
  Button(const Unit& unit, FormWindow& window) : ControlObject(unit, window), font_(unit.Bytes(button::Font)) {}

  bool Make() {
    const Unit& u = unit();
    HWND hwnd = CreateControlWindow(u, window(), "BUTTON", u.Bytes(button::Caption).c_str(), ButtonStyle(u), 0);
    if (!hwnd) return false;
    AttachHwnd(hwnd);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), TRUE);
    return true;
  }

  bool IsDefaultPushButton() const override { return unit().Number(button::ButtonKind) == 1; }

  bool HasMnemonic(char key) const override {
    const std::string& caption = unit().Bytes(button::Caption);
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
      if (caption[i] != '&') continue;
      if (caption[i + 1] == '&') {  // "&&" is a literal ampersand
        ++i;
        continue;
      }
      char c = caption[i + 1];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      return c == key;
    }
    return false;
  }

  void Activate() override { Raise(button::Clicked); }

  void Notify(UINT code) override {
    if (code == BN_CLICKED) Raise(button::Clicked);
  }

 private:
  ControlFont font_;
};

}  // namespace

std::unique_ptr<ControlObject> MakeButton(const Unit& unit, FormWindow& window) {
  auto made = std::make_unique<Button>(unit, window);
  if (!made->Make()) return nullptr;
  return made;
}
