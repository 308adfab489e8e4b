// The edit box kind.
#include <windows.h>

#include <commctrl.h>

#include "controls.h"
#include "window_frame.h"

namespace {

DWORD EditStyle(const Unit& u) {
  DWORD style = CommonControlStyle(u);
  if (!u.IsSet(edit_box::HideSelection)) style |= ES_NOHIDESEL;
  if (u.IsSet(edit_box::MultiLine)) {
    style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    switch (u.Number(edit_box::ScrollBars)) {
      case 1: style |= ES_AUTOHSCROLL | WS_HSCROLL; break;
      case 2: style |= WS_VSCROLL; break;
      case 3: style |= ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL; break;
      default: break;
    }
  } else {
    style |= ES_AUTOHSCROLL;
  }
  switch (u.Number(edit_box::Alignment)) {
    case 1: style |= ES_CENTER; break;
    case 2: style |= ES_RIGHT; break;
    default: break;
  }
  switch (u.Number(edit_box::InputMode)) {
    case 1: style |= ES_READONLY; break;
    case 2: style |= ES_PASSWORD; break;
    default: break;
  }
  switch (u.Number(edit_box::CaseConversion)) {
    case 1: style |= ES_LOWERCASE; break;
    case 2: style |= ES_UPPERCASE; break;
    default: break;
  }
  return style;
}

DWORD BorderExStyle(int borderStyle) {
  switch (borderStyle) {
    case 1: return WS_EX_CLIENTEDGE;
    case 2: return WS_EX_DLGMODALFRAME;
    case 3: return WS_EX_STATICEDGE;
    case 4: return WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME;
    default: return 0;
  }
}

// Height of "吴" in the font: the least line height of a one-line box.
int MeasureLineHeight(HWND hwnd, HFONT font) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  // "吴" in UTF-16, measured wide so the code page does not matter.
  SIZE size = {};
  GetTextExtentPoint32W(dc, L"\u5434", 1, &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return size.cy;
}

class EditBox : public ControlObject {
 public:
  EditBox(const Unit& unit, FormWindow& window)
      : ControlObject(unit, window),
        font_(unit.Bytes(edit_box::Font)),
        brush_(CreateSolidBrush(ResolveColour(unit.Colour(edit_box::BackColor)))) {}

  ~EditBox() override {
    if (brush_) DeleteObject(brush_);
  }

  bool Make() {
    const Unit& u = unit();
    const bool multiLine = u.IsSet(edit_box::MultiLine);
    HWND hwnd = CreateControlWindow(u, window(), "EDIT", u.Bytes(edit_box::Content).c_str(), EditStyle(u), 0);
    if (!hwnd) return false;
    AttachHwnd(hwnd);

    HFONT font = font_.handle();
    if (!multiLine) {
      int least = MeasureLineHeight(hwnd, font) + 2 * GetSystemMetrics(SM_CYEDGE);
      if (u.Number(common::Height) < least)
        SetWindowPos(hwnd, nullptr, 0, 0, u.Number(common::Width), least,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (!multiLine)
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(u.Number(edit_box::MaxLength)), 0);
    if (u.Number(edit_box::InputMode) == 2)
      SendMessageA(hwnd, EM_SETPASSWORDCHAR, static_cast<unsigned char>(u.Bytes(edit_box::PasswordChar)[0]), 0);
    if (!multiLine && u.Number(edit_box::SpinnerMode) != 0) MakeSpinner();
    const int start = u.Number(edit_box::SelectionStart);
    SendMessageA(hwnd, EM_SETSEL, static_cast<WPARAM>(start),
                 static_cast<LPARAM>(start + u.Number(edit_box::SelectionLength)));
    SendMessageA(hwnd, EM_SCROLLCARET, 0, 0);

    constexpr DWORD kBorderExStyles = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;
    const int border = u.Number(edit_box::BorderStyle);
    LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
    SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>((exStyle & ~kBorderExStyles) | BorderExStyle(border)));
    LONG style = GetWindowLongA(hwnd, GWL_STYLE) & ~WS_BORDER;
    if (border == 5) style |= WS_BORDER;
    SetWindowLongA(hwnd, GWL_STYLE, style);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
  }

  bool WantsKey(UINT key) const override {
    return key == VK_RETURN && unit().IsSet(edit_box::MultiLine) && unit().Number(edit_box::InputMode) != 1;
  }

  HBRUSH Colours(HDC dc) override {
    SetTextColor(dc, ResolveColour(unit().Colour(edit_box::TextColor)));
    SetBkColor(dc, ResolveColour(unit().Colour(edit_box::BackColor)));
    return brush_;
  }

  void Notify(UINT code) override {
    if (code == EN_CHANGE) Raise(edit_box::Changed);
  }

 private:
  void MakeSpinner() {
    const Unit& u = unit();
    int low = u.Number(edit_box::SpinnerMin), high = u.Number(edit_box::SpinnerMax);
    if (low > high) std::swap(low, high);
    DWORD style = WS_CHILD | WS_VISIBLE | UDS_ALIGNRIGHT | UDS_ARROWKEYS;
    if (u.Number(edit_box::SpinnerMode) == 1) style |= UDS_SETBUDDYINT;
    spinner_ = CreateWindowExA(0, UPDOWN_CLASSA, "", style, 0, 0, 0, 0, window().hwnd(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!spinner_) return;  // without a spinner, as if none were asked for
    SendMessageA(spinner_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd()), 0);
    SendMessageA(spinner_, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
  }

  ControlFont font_;
  HBRUSH brush_;
  HWND spinner_ = nullptr;
};

}  // namespace

std::unique_ptr<ControlObject> MakeEditBox(const Unit& unit, FormWindow& window) {
  auto box = std::make_unique<EditBox>(unit, window);
  if (!box->Make()) return nullptr;
  return box;
}
