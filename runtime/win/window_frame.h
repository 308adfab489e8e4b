// The parts of making and running a window that follow from its frame
// settings, each a small function of the stored settings.
#pragma once
#include <windows.h>

#include "../form.h"

struct FrameStyle {
  DWORD style;
  DWORD exStyle;
};

// Style and extended style from Disabled, BorderStyle, Caption, ControlBox,
// MaxButton and MinButton; never WS_VISIBLE.
FrameStyle ComputeFrameStyle(const Unit& window);
// Outer top-left corner by StartPosition on a screen of that size.
POINT ComputeStartPlace(const Unit& window, int screenWidth, int screenHeight);
// WS_MINIMIZE or WS_MAXIMIZE that StartPosition adds to the style.
DWORD StartPositionStyle(const Unit& window, DWORD style);
// Sets exactly the computed caption, system-menu and box bits if Windows
// changed them, and has the frame redrawn.
void RepairFrameStyle(HWND hwnd, DWORD computedStyle);

void ApplyWindowIcons(HWND hwnd, const Unit& window);
// Fits the Shape outline to the window's current size (nothing for 0).
void ApplyShape(HWND hwnd, const Unit& window);

void StartBackMusic(HWND hwnd, const Unit& window);
void StopBackMusic(HWND hwnd);

// BackPicture by PictureMode, the rest in BackColor.
void PaintClientArea(HWND hwnd, HDC dc, const RECT& area, const Unit& window);
// Colour value to COLORREF, the button-face colour looked up now.
COLORREF ResolveColour(uint32_t colour);

// Sets the cursor for MousePointer; false when it is 0 (the class's cursor).
bool ApplyMousePointer(const Unit& unit);
// F1: true when help was opened and the key is used up.
bool OpenHelp(HWND hwnd, const Unit& window);
