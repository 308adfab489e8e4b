// The edit box kind.
//
// InputMode 3 to 11 (numeric and date kinds) accept every character, as 0
// does, and DataSource and DataColumn bind to nothing: this runtime has no
// data-providing control kind for a box to be bound to.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "controls.h"
#include "system_library.h"
#include "window_frame.h"

namespace {

constexpr DWORD kBorderExStyles = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;

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

struct BorderBits {
  DWORD style;
  DWORD exStyle;
};

BorderBits BorderStyleBits(int borderStyle) {
  switch (borderStyle) {
    case 1: return {0, WS_EX_CLIENTEDGE};
    case 2: return {0, WS_EX_DLGMODALFRAME};
    case 3: return {0, WS_EX_STATICEDGE};
    case 4: return {0, WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME};
    case 5: return {WS_BORDER, 0};
    default: return {0, 0};
  }
}

struct FontHeights {
  int glyph;  // the height of "吴": what a one-line box must fit
  int line;   // the height the box gives a line of text
};

FontHeights MeasureFont(HWND hwnd, HFONT font) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  // "吴" measured wide, so the code page does not matter.
  SIZE size = {};
  GetTextExtentPoint32W(dc, L"\u5434", 1, &size);
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return {static_cast<int>(size.cy), static_cast<int>(metrics.tmHeight)};
}

void RecomputeFrame(HWND hwnd) {
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitUpDownClass() {
  static bool done = false;
  if (done) return;
  static const auto initCommonControls =
      SystemFunction<decltype(&InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx");
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_UPDOWN_CLASS};
  done = initCommonControls && initCommonControls(&classes) != FALSE;
}

class EditBox : public ControlObject {
 public:
  EditBox(const Unit& unit, FormWindow& window)
      : ControlObject(unit, window),
        font_(unit.Bytes(edit_box::Font)),
        brush_(MakeColourBrush(unit.Colour(edit_box::BackColor))) {}

  bool Make() {
    const Unit& u = unit();
    const bool multiLine = u.IsSet(edit_box::MultiLine);
    HWND hwnd = CreateControlWindow(u, window(), "EDIT", u.Bytes(edit_box::Content).c_str(), EditStyle(u), 0);
    if (!hwnd) return false;
    AttachHwnd(hwnd);
    if (!multiLine)
      baseProc_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditBox::OneLineProc)));

    HFONT font = font_.handle();
    const FontHeights heights = MeasureFont(hwnd, font);
    if (!multiLine) {
      lineHeight_ = heights.line;
      const int least = heights.glyph + 2 * GetSystemMetrics(SM_CYEDGE);
      if (u.Number(common::Height) < least)
        SetWindowPos(hwnd, nullptr, 0, 0, u.Number(common::Width), least, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (!multiLine) RecomputeFrame(hwnd);

    // 0, and nonsense below it, ask for the system's largest limit.
    SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(std::max(0, u.Number(edit_box::MaxLength))), 0);
    if (u.Number(edit_box::InputMode) == 2) SendMessageA(hwnd, EM_SETPASSWORDCHAR, PasswordChar(), 0);
    if (!multiLine && u.Number(edit_box::SpinnerMode) != 0) MakeSpinner();
    const int start = u.Number(edit_box::SelectionStart);
    // Summed wide: stored values near the integer limits must not wrap.
    const int64_t end = std::clamp<int64_t>(int64_t{start} + u.Number(edit_box::SelectionLength), INT32_MIN, INT32_MAX);
    SendMessageA(hwnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
    SendMessageA(hwnd, EM_SCROLLCARET, 0, 0);
    ApplyBorderStyle();
    return true;
  }

  bool WantsKey(UINT key) const override {
    return key == VK_RETURN && unit().IsSet(edit_box::MultiLine) && unit().Number(edit_box::InputMode) != 1;
  }

  HBRUSH Colours(HDC dc) override {
    SetTextColor(dc, ResolveColour(unit().Colour(edit_box::TextColor)));
    SetBkColor(dc, ResolveColour(unit().Colour(edit_box::BackColor)));
    return Brush();
  }

  void Notify(UINT code) override {
    if (code == EN_CHANGE) Raise(edit_box::Changed);
  }

  bool NotifyFrom(const NMHDR& header, LRESULT& answer) override {
    if (!spinner_ || header.hwndFrom != spinner_ || header.code != UDN_DELTAPOS) return false;
    // Mode 1 lets the spinner step the number; mode 2 only reports the click.
    const bool reportOnly = unit().Number(edit_box::SpinnerMode) != 1;
    if (reportOnly) Raise(edit_box::SpinnerClicked);
    answer = reportOnly ? TRUE : FALSE;
    return true;
  }

 private:
  HBRUSH Brush() const { return static_cast<HBRUSH>(brush_.get()); }

  WPARAM PasswordChar() const {
    const std::string& stored = unit().Bytes(edit_box::PasswordChar);
    // A NUL mask would show the password in the clear.
    const unsigned char c = stored.empty() ? 0 : static_cast<unsigned char>(stored[0]);
    return c ? c : '*';
  }

  void ApplyBorderStyle() {
    const BorderBits bits = BorderStyleBits(unit().Number(edit_box::BorderStyle));
    const LONG exStyle = GetWindowLongA(hwnd(), GWL_EXSTYLE);
    SetWindowLongA(hwnd(), GWL_EXSTYLE, static_cast<LONG>((exStyle & ~kBorderExStyles) | bits.exStyle));
    const LONG style = GetWindowLongA(hwnd(), GWL_STYLE);
    SetWindowLongA(hwnd(), GWL_STYLE, static_cast<LONG>((style & ~WS_BORDER) | bits.style));
    RecomputeFrame(hwnd());
  }

  void MakeSpinner() {
    const Unit& u = unit();
    int low = u.Number(edit_box::SpinnerMin), high = u.Number(edit_box::SpinnerMax);
    if (low > high) std::swap(low, high);
    // Aligned right inside the unit's rectangle: box and spinner share it.
    DWORD style = WS_CHILD | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
    if (u.IsSet(common::Visible)) style |= WS_VISIBLE;
    if (u.IsSet(common::Disabled)) style |= WS_DISABLED;
    if (u.Number(edit_box::SpinnerMode) == 1) style |= UDS_SETBUDDYINT;
    InitUpDownClass();
    spinner_ = CreateWindowExA(0, UPDOWN_CLASSA, "", style, 0, 0, 0, 0, window().hwnd(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!spinner_) return;  // without a spinner, as if none were asked for
    SendMessageA(spinner_, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
    SendMessageA(spinner_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd()), 0);
    KeepSpinnerAbove();
  }

  // One-line boxes: the client area is cut to one line, centred from top to
  // bottom, and the strips above and below are painted as background.
  static LRESULT CALLBACK OneLineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* box = static_cast<EditBox*>(FromHwnd(hwnd));
    if (!box || !box->baseProc_) return DefWindowProcA(hwnd, message, wParam, lParam);
    const WNDPROC base = box->baseProc_;
    switch (message) {
      case WM_NCCALCSIZE: {
        LRESULT result = CallWindowProcA(base, hwnd, message, wParam, lParam);
        box->CentreLine(*reinterpret_cast<RECT*>(lParam));
        return result;
      }
      case WM_NCPAINT: {
        LRESULT result = CallWindowProcA(base, hwnd, message, wParam, lParam);
        box->PaintStrips();
        return result;
      }
      case WM_NCHITTEST: {
        LRESULT hit = CallWindowProcA(base, hwnd, message, wParam, lParam);
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (hit != HTCLIENT && box->InStrips(point)) return HTCLIENT;
        return hit;
      }
      case WM_WINDOWPOSCHANGED: {
        LRESULT result = CallWindowProcA(base, hwnd, message, wParam, lParam);
        if (!(reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_NOZORDER)) box->KeepSpinnerAbove();
        return result;
      }
      case WM_NCDESTROY:
        box->baseProc_ = nullptr;
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
        return CallWindowProcA(base, hwnd, message, wParam, lParam);
      default:
        return CallWindowProcA(base, hwnd, message, wParam, lParam);
    }
  }

  // Restacking the box takes its spinner along, directly above it, so that
  // the box's edge never covers the spinner's.
  void KeepSpinnerAbove() const {
    if (!spinner_) return;
    HWND above = GetWindow(hwnd(), GW_HWNDPREV);
    if (above == spinner_) return;
    SetWindowPos(spinner_, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  // The client rectangle, in the parent's coordinates, that Windows gave.
  void CentreLine(RECT& client) {
    stripTop_ = stripBottom_ = 0;
    const int height = client.bottom - client.top;
    if (lineHeight_ <= 0 || height <= lineHeight_) return;
    stripTop_ = (height - lineHeight_) / 2;
    stripBottom_ = height - lineHeight_ - stripTop_;
    client.top += stripTop_;
    client.bottom -= stripBottom_;
  }

  // The strips in window coordinates.
  void Strips(RECT& above, RECT& below) const {
    RECT window, client;
    GetWindowRect(hwnd(), &window);
    GetClientRect(hwnd(), &client);
    MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -window.left, -window.top);
    above = {client.left, client.top - stripTop_, client.right, client.top};
    below = {client.left, client.bottom, client.right, client.bottom + stripBottom_};
  }

  void PaintStrips() const {
    if (stripTop_ <= 0 && stripBottom_ <= 0) return;
    RECT above, below;
    Strips(above, below);
    HDC dc = GetWindowDC(hwnd());
    FillRect(dc, &above, Brush());
    FillRect(dc, &below, Brush());
    ReleaseDC(hwnd(), dc);
  }

  bool InStrips(POINT screen) const {
    if (stripTop_ <= 0 && stripBottom_ <= 0) return false;
    RECT window, above, below;
    GetWindowRect(hwnd(), &window);
    Strips(above, below);
    POINT point = {screen.x - window.left, screen.y - window.top};
    return PtInRect(&above, point) || PtInRect(&below, point);
  }

  ControlFont font_;
  OwnedGdiObject brush_;
  HWND spinner_ = nullptr;
  WNDPROC baseProc_ = nullptr;  // the EDIT class's own, for one-line boxes
  int lineHeight_ = 0;
  int stripTop_ = 0;
  int stripBottom_ = 0;
};

}  // namespace

std::unique_ptr<ControlObject> MakeEditBox(const Unit& unit, FormWindow& window) {
  auto box = std::make_unique<EditBox>(unit, window);
  if (!box->Make()) return nullptr;
  return box;
}
