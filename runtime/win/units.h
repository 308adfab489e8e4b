// Units made from a form: the HWND-to-object link, the window and the
// controls. Each object is reached from its HWND through a window property
// set once at creation, and removed when the HWND goes.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "../form.h"

class FormWindow;
struct FrameHandles;

class UnitObject {
 public:
  explicit UnitObject(const Unit& unit) : unit_(unit) {}
  virtual ~UnitObject() = default;
  UnitObject(const UnitObject&) = delete;
  UnitObject& operator=(const UnitObject&) = delete;

  const Unit& unit() const { return unit_; }
  HWND hwnd() const { return hwnd_; }
  void Raise(int event) const;

  static UnitObject* FromHwnd(HWND hwnd);

 protected:
  void Attach(HWND hwnd);
  void Detach();

 private:
  const Unit& unit_;
  HWND hwnd_ = nullptr;
};

class ControlObject : public UnitObject {
 public:
  ControlObject(const Unit& unit, FormWindow& window) : UnitObject(unit), window_(window) {}

  FormWindow& window() const { return window_; }

  // Whether the control keeps this key from the window's own key handling.
  virtual bool WantsKey(UINT) const { return false; }
  virtual bool IsDefaultPushButton() const { return false; }
  // Timers are never shown and never take the focus.
  virtual bool CanTakeFocus() const { return true; }
  virtual bool AlwaysHidden() const { return false; }
  // Whether Alt with a character activates it (its caption holds "&c").
  virtual bool HasMnemonic(char) const { return false; }
  virtual void Activate() {}
  // WM_CTLCOLOR* reflected from the parent; null: the parent's default.
  virtual HBRUSH Colours(HDC) { return nullptr; }
  // WM_COMMAND notification from the control.
  virtual void Notify(UINT) {}
  // WM_NOTIFY from a window the control made beside itself (a spinner):
  // true when the control answers it, with the answer.
  virtual bool NotifyFrom(const NMHDR&, LRESULT&) { return false; }

  // The control's HWND and window property, for makers.
  void AttachHwnd(HWND hwnd) { Attach(hwnd); }

 private:
  FormWindow& window_;
};

// Common style bits of a control: WS_CHILD, WS_CLIPSIBLINGS, Disabled, TabStop.
DWORD CommonControlStyle(const Unit& unit);

// Makes a control of the unit's kind on the window; null if it cannot be made.
std::unique_ptr<ControlObject> MakeControl(const Unit& unit, FormWindow& window);

class FormWindow : public UnitObject {
 public:
  // Makes the window and its controls and shows it; null if it cannot be made.
  static FormWindow* Load(const Unit& description, bool modal);
  ~FormWindow() override;

  const std::vector<std::unique_ptr<ControlObject>>& controls() const { return controls_; }
  ControlObject* FindControl(uint32_t id) const;
  ControlObject* ControlFromHwnd(HWND hwnd) const;

  // The key filter of the message loop: true when the message was handled.
  static bool PreTranslate(MSG& msg);

  static const char* DefaultClassName();

 private:
  explicit FormWindow(const Unit& description);
  bool MakeFrame(bool modal);
  void MakeControls();
  void Show();

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT CallBase(UINT message, WPARAM wParam, LPARAM lParam);
  void OnPaint();
  void OnSetFocus();
  void OnActivate(WPARAM wParam);
  LRESULT OnControlColour(WPARAM wParam, LPARAM lParam, UINT message);
  void OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(UINT message, WPARAM wParam, LPARAM lParam);
  void OnClose();
  void OnNcDestroy();
  bool OnSetCursor(HWND target, UINT hit);
  bool OnLeftButtonDown();

  bool HandleKey(const MSG& msg);
  std::vector<ControlObject*> TabStops() const;
  void MoveFocus(bool forward);
  bool ComesBefore(const ControlObject* a, const ControlObject* b) const;  // in the focus order
  size_t StoredIndex(const ControlObject* control) const;
  ControlObject* FocusedControl() const;

  Unit description_;  // own copy: outlives the stored descriptions at shutdown
  std::vector<std::unique_ptr<ControlObject>> controls_;
  WNDPROC baseProc_ = nullptr;  // DefWindowProcA, or the WindowClassName class's own
  HWND rememberedFocus_ = nullptr;
  std::unique_ptr<FrameHandles> frame_;  // picture, icons, cursors made from the settings
  bool eventsLive_ = false;  // moved and resized are raised only after created
};
