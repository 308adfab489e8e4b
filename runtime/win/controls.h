// The control kinds' makers and what they share.
#pragma once
#include <cstring>
#include <string>

#include "units.h"

std::unique_ptr<ControlObject> MakeEditBox(const Unit& unit, FormWindow& window);
std::unique_ptr<ControlObject> MakeButton(const Unit& unit, FormWindow& window);
std::unique_ptr<ControlObject> MakeTimer(const Unit& unit, FormWindow& window);

// Fonts, brushes, bitmaps and icons that controls have made and not yet
// released. Every such handle goes through OwnedGdiObject or OwnedIcon, so a
// window made and destroyed leaves this count where it was.
size_t LiveControlResources();

// A GDI object a control made; deleted, and uncounted, with its holder.
class OwnedGdiObject {
 public:
  OwnedGdiObject() = default;
  explicit OwnedGdiObject(HGDIOBJ object);
  ~OwnedGdiObject();
  OwnedGdiObject(const OwnedGdiObject&) = delete;
  OwnedGdiObject& operator=(const OwnedGdiObject&) = delete;
  HGDIOBJ get() const { return object_; }

 private:
  HGDIOBJ object_ = nullptr;
};

// An icon a control made; destroyed, and uncounted, with its holder.
class OwnedIcon {
 public:
  OwnedIcon() = default;
  explicit OwnedIcon(HICON icon);
  ~OwnedIcon();
  OwnedIcon(const OwnedIcon&) = delete;
  OwnedIcon& operator=(const OwnedIcon&) = delete;
  HICON get() const { return icon_; }

 private:
  HICON icon_ = nullptr;
};

// A Font setting made into a font: a 60-byte LOGFONTA with its character
// set, precisions, quality and pitch replaced; null for anything else or
// when no font can be made. The caller owns the font.
HFONT MakeSettingFont(const std::string& stored);

// The font a control shows: its own, released with it, or DEFAULT_GUI_FONT.
class ControlFont {
 public:
  explicit ControlFont(const std::string& stored);
  HFONT handle() const;

 private:
  OwnedGdiObject own_;
};

// A solid brush of a colour value, the button-face colour looked up now.
HBRUSH MakeColourBrush(uint32_t colour);

// CreateWindowExA at the unit's place and size, as a child of the window,
// with the unit's id as the control id.
HWND CreateControlWindow(const Unit& unit, FormWindow& window, const char* className, const char* text,
                         DWORD style, DWORD exStyle);
