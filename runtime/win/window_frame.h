// The parts of making and running a window that follow from its frame
// settings, each a small function of the stored settings, and the handles a
// window makes from them (picture, icons, cursors), released with it.
#pragma once
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <string>
#include <vector>

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

// The outline of a Shape value at that outer size; null for 0 (no region).
// 1 ellipse, 2 rounded rectangle, 3 ring, 4 to 29 the built-in outlines.
HRGN MakeShapeRegion(int shape, int width, int height);
// Fits the Shape outline to the window's current size (nothing for 0).
void ApplyShape(HWND hwnd, const Unit& window);

// Starts BackMusic by PlayCount: a WAV file's bytes, played from memory.
// Anything else, or no sound device, plays nothing and reports nothing.
void StartBackMusic(HWND hwnd, const Unit& window);
// Stops the window's music, if it is the one playing.
void StopBackMusic(HWND hwnd);
// The window whose music was started last and not stopped; null if none.
HWND BackMusicWindow();

// Where PictureMode puts a picture of that size on the client area: one
// rectangle, or the tiles of mode 1.
std::vector<RECT> PicturePlacements(SIZE picture, const RECT& client, int mode);

// An image made from stored bytes by OLE (BMP, JPEG, GIF, ICO, WMF, EMF).
class StoredPicture {
 public:
  explicit StoredPicture(const std::string& data);
  ~StoredPicture();
  StoredPicture(const StoredPicture&) = delete;
  StoredPicture& operator=(const StoredPicture&) = delete;

  bool IsEmpty() const { return picture_ == nullptr; }
  SIZE PixelSize() const { return size_; }
  void Draw(HDC dc, const RECT& where) const;

 private:
  IPicture* picture_ = nullptr;
  SIZE size_ = {0, 0};
  OLE_XSIZE_HIMETRIC himetricWidth_ = 0;
  OLE_YSIZE_HIMETRIC himetricHeight_ = 0;
};

// BackPicture by PictureMode, the rest in BackColor.
void PaintClientArea(HWND hwnd, HDC dc, const RECT& area, const Unit& window, const StoredPicture& picture);
// Colour value to COLORREF, the button-face colour looked up now.
COLORREF ResolveColour(uint32_t colour);

// An icon from the bytes of an .ico file at that size (the nearest image the
// file holds); null if the bytes are not an icon.
HICON MakeIconFromData(const std::string& data, int size);
// Large and small icon from Icon, or DEFAULT_ICON when Icon is empty or
// unreadable. Icons made from Icon are the window's, released with it.
struct WindowIcons {
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  bool owned = false;
};
WindowIcons ApplyWindowIcons(HWND hwnd, const Unit& window);
void ReleaseWindowIcons(WindowIcons& icons);

// The cursor a MousePointer value selects: a system cursor for the codes
// 1 to 14, a cursor made from .cur (or .ico) bytes, or null for 0 and
// unknown codes (the class's cursor stays).
struct UnitCursor {
  HCURSOR cursor = nullptr;
  bool owned = false;
};
UnitCursor MakeUnitCursor(const SettingValue& pointer);
void ReleaseUnitCursor(UnitCursor& cursor);

// F1: true when help was opened and the key is used up.
bool OpenHelp(HWND hwnd, const Unit& window);
// The help file F1 opens: HelpFile, or the program's file with ".hlp".
std::string HelpFilePath(const Unit& window);
// Test seam: the call that opens Windows Help.
using WinHelpFunction = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);
WinHelpFunction SetWinHelp(WinHelpFunction function);
