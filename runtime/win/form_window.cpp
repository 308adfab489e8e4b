// Making a window from its settings, its window procedure, its keys and focus.
#include <windows.h>

#include <algorithm>

#include "runtime_state.h"
#include "units.h"
#include "window_frame.h"

namespace {

constexpr char kDefaultClassName[] = "RuntimeFormWindow";
constexpr char kUnitProperty[] = "RuntimeUnit";

bool RegisterDefaultClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  windowClass.lpszClassName = kDefaultClassName;
  registered = RegisterClassA(&windowClass) != 0;
  return registered;
}

bool KeyIsDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Exactly the modifiers named, no others.
bool ModifiersAre(bool ctrl, bool shift, bool alt) {
  return KeyIsDown(VK_CONTROL) == ctrl && KeyIsDown(VK_SHIFT) == shift && KeyIsDown(VK_MENU) == alt;
}

}  // namespace

// Handles a window makes from its settings, released when it goes.
struct FrameHandles {
  explicit FrameHandles(const Unit& u) : picture(u.Bytes(window::BackPicture)) {}
  ~FrameHandles() {
    ReleaseWindowIcons(icons);
    for (UnitCursor& cursor : cursors) ReleaseUnitCursor(cursor);
  }
  FrameHandles(const FrameHandles&) = delete;
  FrameHandles& operator=(const FrameHandles&) = delete;

  StoredPicture picture;
  WindowIcons icons;
  std::vector<UnitCursor> cursors;  // the window's, then the controls' in stored order
};

// --- UnitObject ---------------------------------------------------------------

void UnitObject::Raise(int event) const {
  if (EventHandler handler = unit_.Handler(event)) handler();
}

UnitObject* UnitObject::FromHwnd(HWND hwnd) {
  return hwnd ? static_cast<UnitObject*>(GetPropA(hwnd, kUnitProperty)) : nullptr;
}

void UnitObject::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  SetPropA(hwnd, kUnitProperty, this);
}

void UnitObject::Detach() {
  if (hwnd_) RemovePropA(hwnd_, kUnitProperty);
  hwnd_ = nullptr;
}

DWORD CommonControlStyle(const Unit& unit) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (unit.IsSet(common::Disabled)) style |= WS_DISABLED;
  if (unit.IsSet(common::TabStop)) style |= WS_TABSTOP;
  return style;
}

// --- Making ------------------------------------------------------------------

const char* FormWindow::DefaultClassName() { return kDefaultClassName; }

FormWindow::FormWindow(const Unit& description) : UnitObject(description_), description_(description) {}

FormWindow::~FormWindow() = default;

// The window may already be gone when this returns, if a created handler closed it.
FormWindow* FormWindow::Load(const Unit& description, bool modal) {
  if (description.version > kNewestSettingsVersion) return nullptr;
  auto* window = new FormWindow(description);
  if (!window->MakeFrame(modal)) {
    delete window;
    return nullptr;
  }
  RegisterLiveWindow(window);
  window->MakeControls();
  window->Show();
  return window;
}

bool FormWindow::MakeFrame(bool modal) {
  const Unit& u = description_;
  const FrameStyle frame = ComputeFrameStyle(u);
  POINT place = ComputeStartPlace(u, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  DWORD style = frame.style | StartPositionStyle(u, frame.style);
  HWND owner = (modal || !u.IsSet(window::ShowInTaskbar)) ? Runtime().ownerWindow : nullptr;

  const std::string& className = u.Bytes(window::WindowClassName);
  if (className.empty() && !RegisterDefaultClass()) return false;
  const char* classToUse = className.empty() ? kDefaultClassName : className.c_str();
  const int width = u.Number(common::Width), height = u.Number(common::Height);
  HWND hwnd = CreateWindowExA(frame.exStyle, classToUse, u.Bytes(window::Caption).c_str(), style, place.x,
                              place.y, width, height, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return false;
  Attach(hwnd);
  frame_ = std::make_unique<FrameHandles>(u);
  frame_->cursors.push_back(MakeUnitCursor(u.values[common::MousePointer]));
  // Route the window's messages through this object whatever its class.
  baseProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindow::WindowProc)));

  RepairFrameStyle(hwnd, frame.style);
  RECT outer;
  GetWindowRect(hwnd, &outer);
  if (outer.right - outer.left != width || outer.bottom - outer.top != height)
    MoveWindow(hwnd, place.x, place.y, width, height, FALSE);
  frame_->icons = ApplyWindowIcons(hwnd, u);
  ApplyShape(hwnd, u);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  if (u.IsSet(window::AlwaysOnTop))
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!u.IsSet(window::Movable)) DeleteMenu(GetSystemMenu(hwnd, FALSE), SC_MOVE, MF_BYCOMMAND);
  StartBackMusic(hwnd, u);
  return true;
}

void FormWindow::MakeControls() {
  const std::vector<Unit>& children = description_.children;
  controls_.resize(children.size());
  for (size_t i = children.size(); i-- > 0;) controls_[i] = MakeControl(children[i], *this);
  for (const Unit& child : children) frame_->cursors.push_back(MakeUnitCursor(child.values[common::MousePointer]));

  HWND above = HWND_TOP;
  for (const auto& control : controls_) {
    if (!control) continue;
    SetWindowPos(control->hwnd(), above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    above = control->hwnd();
  }
  for (const auto& control : controls_) {
    if (!control) continue;
    bool shown = control->unit().IsSet(common::Visible) && !control->AlwaysHidden();
    ShowWindow(control->hwnd(), shown ? SW_SHOWNA : SW_HIDE);
  }
}

void FormWindow::Show() {
  HWND hwnd = this->hwnd();
  // A handler may close the window, and this object goes with it.
  Raise(window::Created);
  if (!IsWindow(hwnd)) return;
  Raise(window::Moved);
  if (!IsWindow(hwnd)) return;
  Raise(window::Resized);
  if (!IsWindow(hwnd)) return;
  if (!description_.IsSet(common::Visible)) {
    eventsLive_ = true;
    return;
  }
  switch (description_.Number(window::StartPosition)) {
    case 2: ShowWindow(hwnd, SW_SHOWMINIMIZED); break;
    case 3: ShowWindow(hwnd, SW_SHOWMAXIMIZED); break;
    default: ShowWindow(hwnd, SW_SHOW); break;
  }
  // The first showing's own WM_MOVE and WM_SIZE are the events just raised.
  eventsLive_ = true;
  HWND focusAfterShowing = GetFocus();
  UpdateWindow(hwnd);
  if (IsWindow(hwnd) && focusAfterShowing && GetFocus() != focusAfterShowing && IsWindow(focusAfterShowing))
    SetFocus(focusAfterShowing);
}

// --- Lookup ------------------------------------------------------------------

ControlObject* FormWindow::FindControl(uint32_t id) const {
  for (const auto& control : controls_)
    if (control && control->unit().id == id) return control.get();
  return nullptr;
}

ControlObject* FormWindow::ControlFromHwnd(HWND hwnd) const {
  for (const auto& control : controls_)
    if (control && control->hwnd() == hwnd) return control.get();
  return nullptr;
}

ControlObject* FormWindow::FocusedControl() const { return ControlFromHwnd(GetFocus()); }

// --- Messages ----------------------------------------------------------------

LRESULT CALLBACK FormWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = static_cast<FormWindow*>(FromHwnd(hwnd));
  if (!window) return DefWindowProcA(hwnd, message, wParam, lParam);
  return window->HandleMessage(message, wParam, lParam);
}

LRESULT FormWindow::CallBase(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(baseProc_, hwnd(), message, wParam, lParam);
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // painting fills everything itself
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SETFOCUS:
      OnSetFocus();
      return 0;
    case WM_ACTIVATE:
      OnActivate(wParam);
      return CallBase(message, wParam, lParam);
    case WM_NCACTIVATE:
      if (description_.IsSet(window::KeepCaptionActive)) wParam = TRUE;
      return CallBase(message, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnControlColour(wParam, lParam, message);
    case WM_COMMAND:
      OnCommand(wParam, lParam);
      return 0;
    case WM_NOTIFY:
      return OnNotify(message, wParam, lParam);
    case WM_LBUTTONDOWN:
      if (OnLeftButtonDown()) return 0;
      return CallBase(message, wParam, lParam);
    case WM_SYSCOMMAND:
      // Movable 0: neither the caption bar nor DragAnywhere moves the window.
      if ((wParam & 0xFFF0) == SC_MOVE && !description_.IsSet(window::Movable)) return 0;
      return CallBase(message, wParam, lParam);
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      return CallBase(message, wParam, lParam);
    case WM_SIZE:
      // An icon has no outline; restoring rebuilds it.
      if (wParam != SIZE_MINIMIZED) ApplyShape(hwnd(), description_);
      if (eventsLive_) Raise(window::Resized);
      return CallBase(message, wParam, lParam);
    case WM_MOVE:
      if (eventsLive_) Raise(window::Moved);
      return CallBase(message, wParam, lParam);
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      StopBackMusic(hwnd());
      return CallBase(message, wParam, lParam);
    case WM_NCDESTROY:
      OnNcDestroy();
      return 0;
    default:
      return CallBase(message, wParam, lParam);
  }
}

void FormWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  PaintClientArea(hwnd(), dc, paint.rcPaint, description_, frame_->picture);
  EndPaint(hwnd(), &paint);
}

void FormWindow::OnSetFocus() {
  HWND target = nullptr;
  if (rememberedFocus_ && IsWindow(rememberedFocus_) && IsChild(hwnd(), rememberedFocus_))
    target = rememberedFocus_;
  rememberedFocus_ = nullptr;
  if (!target) {
    std::vector<ControlObject*> stops = TabStops();
    if (!stops.empty()) target = stops.front()->hwnd();
  }
  if (target) SetFocus(target);
}

void FormWindow::OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) != WA_INACTIVE) return;
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd(), focus)) rememberedFocus_ = focus;
}

LRESULT FormWindow::OnControlColour(WPARAM wParam, LPARAM lParam, UINT message) {
  if (ControlObject* control = ControlFromHwnd(reinterpret_cast<HWND>(lParam)))
    if (HBRUSH brush = control->Colours(reinterpret_cast<HDC>(wParam)))
      return reinterpret_cast<LRESULT>(brush);
  return CallBase(message, wParam, lParam);
}

void FormWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (ControlObject* control = ControlFromHwnd(reinterpret_cast<HWND>(lParam))) control->Notify(HIWORD(wParam));
}

LRESULT FormWindow::OnNotify(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
  LRESULT answer = 0;
  for (const auto& control : controls_)
    if (control && control->NotifyFrom(header, answer)) return answer;
  return CallBase(message, wParam, lParam);
}

bool FormWindow::OnSetCursor(HWND target, UINT hit) {
  if (hit != HTCLIENT || !frame_) return false;
  size_t index = 0;
  if (target != hwnd()) {
    ControlObject* control = ControlFromHwnd(target);
    if (!control) return false;
    index = 1 + static_cast<size_t>(std::find_if(controls_.begin(), controls_.end(),
                                                 [&](const auto& c) { return c.get() == control; }) -
                                    controls_.begin());
  }
  if (index >= frame_->cursors.size() || !frame_->cursors[index].cursor) return false;
  SetCursor(frame_->cursors[index].cursor);
  return true;
}

bool FormWindow::OnLeftButtonDown() {
  if (!description_.IsSet(window::DragAnywhere)) return false;
  // Hand the press to the system as if it were on the caption bar.
  ReleaseCapture();
  DWORD position = GetMessagePos();
  SendMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(position));
  return true;
}

void FormWindow::OnClose() {
  HWND hwnd = this->hwnd();
  Raise(window::Close);
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

void FormWindow::OnNcDestroy() {
  HWND hwnd = this->hwnd();
  WNDPROC base = baseProc_;
  controls_.clear();
  frame_.reset();
  Detach();
  SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
  CallWindowProcA(base, hwnd, WM_NCDESTROY, 0, 0);
  ForgetLiveWindow(this);
  delete this;
}

// --- Keys and focus ----------------------------------------------------------

std::vector<ControlObject*> FormWindow::TabStops() const {
  std::vector<ControlObject*> stops;
  // Reverse stored order first, so that a stable sort by FocusOrder puts
  // equal keys in reverse stored order.
  for (size_t i = controls_.size(); i-- > 0;) {
    ControlObject* control = controls_[i].get();
    if (!control || !control->CanTakeFocus() || !control->unit().IsSet(common::TabStop)) continue;
    if (!IsWindowVisible(control->hwnd()) || !IsWindowEnabled(control->hwnd())) continue;
    stops.push_back(control);
  }
  std::stable_sort(stops.begin(), stops.end(), [](ControlObject* a, ControlObject* b) {
    return a->unit().Number(common::FocusOrder) < b->unit().Number(common::FocusOrder);
  });
  return stops;
}

bool FormWindow::ComesBefore(const ControlObject* a, const ControlObject* b) const {
  const int orderA = a->unit().Number(common::FocusOrder), orderB = b->unit().Number(common::FocusOrder);
  if (orderA != orderB) return orderA < orderB;
  return StoredIndex(a) > StoredIndex(b);
}

size_t FormWindow::StoredIndex(const ControlObject* control) const {
  for (size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i].get() == control) return i;
  return controls_.size();
}

void FormWindow::MoveFocus(bool forward) {
  ControlObject* focused = FocusedControl();
  if (!focused) return;  // the window itself has the focus
  std::vector<ControlObject*> stops = TabStops();
  if (stops.empty()) return;
  // The neighbour by the order's key, so that a focused control that is no
  // tab stop itself (clicked, say) still moves to the one after it.
  ControlObject* target = forward ? stops.front() : stops.back();
  if (forward) {
    for (ControlObject* stop : stops)
      if (ComesBefore(focused, stop)) {
        target = stop;
        break;
      }
  } else {
    for (auto it = stops.rbegin(); it != stops.rend(); ++it)
      if (ComesBefore(*it, focused)) {
        target = *it;
        break;
      }
  }
  SetFocus(target->hwnd());
}

bool FormWindow::PreTranslate(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  auto* window = dynamic_cast<FormWindow*>(FromHwnd(root));
  return window && window->HandleKey(msg);
}

bool FormWindow::HandleKey(const MSG& msg) {
  const UINT key = static_cast<UINT>(msg.wParam);
  ControlObject* focused = FocusedControl();
  if (focused && focused->WantsKey(key)) return false;
  const Unit& u = description_;

  if (key == VK_TAB && ModifiersAre(false, false, false)) {
    MoveFocus(true);
    return true;
  }
  if (key == VK_TAB && ModifiersAre(false, true, false)) {
    MoveFocus(false);
    return true;
  }
  if (key == VK_RETURN && ModifiersAre(false, false, false)) {
    if (focused && focused->IsDefaultPushButton() && IsWindowEnabled(focused->hwnd())) {
      focused->Activate();
      return true;
    }
    if (u.IsSet(window::EnterMovesFocus)) {
      MoveFocus(true);
      return true;
    }
    for (const auto& control : controls_) {
      if (control && control->IsDefaultPushButton() && IsWindowEnabled(control->hwnd())) {
        control->Activate();
        return true;
      }
    }
    return false;
  }
  if (key == VK_ESCAPE && ModifiersAre(false, false, false)) {
    if (!u.IsSet(window::EscapeCloses)) return false;
    SendMessageA(hwnd(), WM_CLOSE, 0, 0);
    return true;
  }
  if (key == VK_F1 && ModifiersAre(false, false, false)) return OpenHelp(hwnd(), u);
  if (msg.message == WM_SYSKEYDOWN && ModifiersAre(false, false, true) &&
      ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
    for (const auto& control : controls_) {
      if (!control || !IsWindowVisible(control->hwnd()) || !IsWindowEnabled(control->hwnd())) continue;
      if (control->HasMnemonic(static_cast<char>(key))) {
        control->Activate();
        return true;
      }
    }
  }
  return false;
}
