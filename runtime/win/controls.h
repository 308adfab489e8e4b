// The control kinds' makers and what they share.
#pragma once
#include <cstring>
#include <string>

#include "units.h"

std::unique_ptr<ControlObject> MakeEditBox(const Unit& unit, FormWindow& window);
std::unique_ptr<ControlObject> MakeButton(const Unit& unit, FormWindow& window);
std::unique_ptr<ControlObject> MakeTimer(const Unit& unit, FormWindow& window);

// A Font setting made into a font: a 60-byte LOGFONTA with its character
// set, precisions, quality and pitch replaced; null for anything else or
// when no font can be made.
HFONT MakeSettingFont(const std::string& stored);

// The font a control shows: its own, released with it, or DEFAULT_GUI_FONT.
class ControlFont {
 public:
  explicit ControlFont(const std::string& stored);
  ~ControlFont();
  ControlFont(const ControlFont&) = delete;
  ControlFont& operator=(const ControlFont&) = delete;
  HFONT handle() const;

 private:
  HFONT own_;
};

// CreateWindowExA at the unit's place and size, as a child of the window,
// with the unit's id as the control id.
HWND CreateControlWindow(const Unit& unit, FormWindow& window, const char* className, const char* text,
                         DWORD style, DWORD exStyle);
