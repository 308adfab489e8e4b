#include "window_frame.h"

#include "icon_file.h"
#include "system_library.h"

#include <mmsystem.h>

#include <cmath>
#include <cstring>

#include "runtime_state.h"

namespace {

// Icons from the program's own DEFAULT_ICON, loaded once per process.
HICON g_defaultBigIcon = nullptr;
HICON g_defaultSmallIcon = nullptr;
bool g_defaultIconsLoaded = false;

void LoadDefaultIcons() {
  if (g_defaultIconsLoaded) return;
  g_defaultIconsLoaded = true;
  HINSTANCE module = GetModuleHandleA(nullptr);
  g_defaultBigIcon = static_cast<HICON>(LoadImageA(module, "DEFAULT_ICON", IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  g_defaultSmallIcon = static_cast<HICON>(LoadImageA(module, "DEFAULT_ICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

// PlaySound plays one sound a process at a time; this is whose it is.
HWND g_musicWindow = nullptr;

WinHelpFunction g_winHelp = &WinHelpA;

// --- Shapes 4 to 29 -------------------------------------------------------
//
// Each outline is a polygon fitted to the outer size: either a regular
// polygon or star (its vertices' bounding box stretched to the window), or
// points on a 100 x 100 grid scaled to the window.

struct GridPoint {
  unsigned char x, y;
};

struct Outline {
  int corners;           // regular polygon or star: number of outer corners; 0: points
  int innerPercent;      // star: inner radius in percent of the outer; 0: a polygon
  double rotation;       // degrees clockwise; 0 puts a corner at the top
  const GridPoint* points;
  int pointCount;
};

constexpr GridPoint kPlus[] = {{35, 0},   {65, 0},   {65, 35}, {100, 35}, {100, 65}, {65, 65},
                               {65, 100}, {35, 100}, {35, 65}, {0, 65},   {0, 35},   {35, 35}};
constexpr GridPoint kSaltire[] = {{0, 0},     {20, 0},   {50, 30}, {80, 0},  {100, 0},  {100, 20},
                                  {70, 50},   {100, 80}, {100, 100}, {80, 100}, {50, 70}, {20, 100},
                                  {0, 100},   {0, 80},   {30, 50},   {0, 20}};
constexpr GridPoint kArrowRight[] = {{0, 30}, {55, 30}, {55, 0}, {100, 50}, {55, 100}, {55, 70}, {0, 70}};
constexpr GridPoint kArrowLeft[] = {{100, 30}, {45, 30}, {45, 0}, {0, 50}, {45, 100}, {45, 70}, {100, 70}};
constexpr GridPoint kArrowUp[] = {{30, 100}, {30, 45}, {0, 45}, {50, 0}, {100, 45}, {70, 45}, {70, 100}};
constexpr GridPoint kArrowDown[] = {{30, 0}, {30, 55}, {0, 55}, {50, 100}, {100, 55}, {70, 55}, {70, 0}};
constexpr GridPoint kTrapezoid[] = {{20, 0}, {80, 0}, {100, 100}, {0, 100}};
constexpr GridPoint kParallelogram[] = {{25, 0}, {100, 0}, {75, 100}, {0, 100}};
constexpr GridPoint kChevron[] = {{0, 0}, {60, 0}, {100, 50}, {60, 100}, {0, 100}, {40, 50}};
constexpr GridPoint kHouse[] = {{50, 0}, {100, 40}, {100, 100}, {0, 100}, {0, 40}};
constexpr GridPoint kBevelled[] = {{20, 0}, {80, 0}, {100, 20}, {100, 80}, {80, 100}, {20, 100}, {0, 80}, {0, 20}};

template <size_t N>
constexpr Outline Points(const GridPoint (&points)[N]) {
  return {0, 0, 0.0, points, static_cast<int>(N)};
}
constexpr Outline Polygon(int corners, double rotation) { return {corners, 0, rotation, nullptr, 0}; }
constexpr Outline Star(int corners, int innerPercent) { return {corners, innerPercent, 0.0, nullptr, 0}; }

constexpr int kFirstTableShape = 4;
constexpr Outline kOutlines[] = {
    Polygon(3, 0),           // 4 triangle, point up
    Polygon(3, 180),         // 5 triangle, point down
    Polygon(3, 270),         // 6 triangle, point left
    Polygon(3, 90),          // 7 triangle, point right
    Polygon(4, 0),           // 8 diamond
    Polygon(5, 0),           // 9 pentagon
    Polygon(6, 30),          // 10 hexagon, flat top and bottom
    Polygon(7, 0),           // 11 heptagon
    Polygon(8, 22.5),        // 12 octagon, flat sides
    Polygon(10, 18),         // 13 decagon, flat sides
    Star(4, 38),             // 14 four-pointed star
    Star(5, 38),             // 15 five-pointed star
    Star(6, 58),             // 16 six-pointed star
    Star(8, 60),             // 17 eight-pointed star
    Star(12, 80),            // 18 twelve-pointed burst
    Points(kPlus),           // 19 plus
    Points(kSaltire),        // 20 saltire (X)
    Points(kArrowRight),     // 21 arrow right
    Points(kArrowLeft),      // 22 arrow left
    Points(kArrowUp),        // 23 arrow up
    Points(kArrowDown),      // 24 arrow down
    Points(kTrapezoid),      // 25 trapezoid, wide at the bottom
    Points(kParallelogram),  // 26 parallelogram
    Points(kChevron),        // 27 chevron right
    Points(kHouse),          // 28 house
    Points(kBevelled),       // 29 rectangle with bevelled corners
};
static_assert(kFirstTableShape + sizeof kOutlines / sizeof kOutlines[0] == 30, "Shape 4 to 29");

std::vector<POINT> OutlinePoints(const Outline& outline, int width, int height) {
  std::vector<POINT> result;
  if (outline.points) {
    for (int i = 0; i < outline.pointCount; ++i)
      result.push_back({MulDiv(outline.points[i].x, width, 100), MulDiv(outline.points[i].y, height, 100)});
    return result;
  }
  const int count = outline.innerPercent ? 2 * outline.corners : outline.corners;
  std::vector<double> xs, ys;
  const double pi = 3.14159265358979323846;
  for (int i = 0; i < count; ++i) {
    double radius = (outline.innerPercent && i % 2) ? outline.innerPercent / 100.0 : 1.0;
    double angle = (outline.rotation + 360.0 * i / count) * pi / 180.0;
    xs.push_back(radius * std::sin(angle));
    ys.push_back(-radius * std::cos(angle));
  }
  double left = xs[0], right = xs[0], top = ys[0], bottom = ys[0];
  for (int i = 1; i < count; ++i) {
    left = std::fmin(left, xs[i]), right = std::fmax(right, xs[i]);
    top = std::fmin(top, ys[i]), bottom = std::fmax(bottom, ys[i]);
  }
  for (int i = 0; i < count; ++i)
    result.push_back({static_cast<LONG>(std::lround((xs[i] - left) / (right - left) * width)),
                      static_cast<LONG>(std::lround((ys[i] - top) / (bottom - top) * height))});
  return result;
}

// --- Icon and cursor files -------------------------------------------------

// The image nearest that size (most colours among equals) that holds at
// least a bitmap header; false if the bytes are no file of that type.
bool ChooseNearestImage(const std::string& data, IconFileType type, int size, IconFileImage& chosen) {
  const IconFileImage* best = nullptr;
  int bestDistance = 0;
  const std::vector<IconFileImage> images = ReadIconFile(data, type);
  for (const IconFileImage& image : images) {
    if (image.size < 40) continue;
    const int distance = std::abs(image.width - size);
    if (!best || distance < bestDistance || (distance == bestDistance && image.bitCount > best->bitCount)) {
      best = &image;
      bestDistance = distance;
    }
  }
  if (best) chosen = *best;
  return best != nullptr;
}

struct CursorCode {
  int code;
  LPCSTR id;
};
const CursorCode kCursorCodes[] = {
    {1, IDC_ARROW},  {2, IDC_CROSS},  {3, IDC_IBEAM},  {4, IDC_HAND},         {5, IDC_SIZEALL},
    {6, IDC_SIZENESW}, {7, IDC_SIZENS}, {8, IDC_SIZENWSE}, {9, IDC_SIZEWE},   {10, IDC_UPARROW},
    {11, IDC_WAIT},  {12, IDC_NO},    {13, IDC_APPSTARTING}, {14, IDC_HELP},
};

bool IsWave(const std::string& data) {
  return data.size() >= 12 && std::memcmp(data.data(), "RIFF", 4) == 0 &&
         std::memcmp(data.data() + 8, "WAVE", 4) == 0;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

// --- Style and place -------------------------------------------------------

FrameStyle ComputeFrameStyle(const Unit& u) {
  DWORD style = WS_CLIPCHILDREN, exStyle = 0;
  if (u.IsSet(common::Disabled)) style |= WS_DISABLED;
  const int border = u.Number(window::BorderStyle);
  const bool controlBox = u.IsSet(window::ControlBox);
  if (border != 0) {
    if (!u.Bytes(window::Caption).empty() || controlBox) style |= WS_CAPTION;
    if (controlBox) style |= WS_SYSMENU;
    style |= WS_DLGFRAME;
    if (border == 1 || border == 3 || border == 5) style |= WS_THICKFRAME;
    if (border == 3 || border == 4) exStyle |= WS_EX_TOOLWINDOW;
    if (border == 5 || border == 6) exStyle |= WS_EX_CLIENTEDGE;
  }
  if (u.IsSet(window::MaxButton)) style |= WS_MAXIMIZEBOX;
  if (u.IsSet(window::MinButton)) style |= WS_MINIMIZEBOX;
  return {style, exStyle};
}

POINT ComputeStartPlace(const Unit& u, int screenWidth, int screenHeight) {
  if (u.Number(window::StartPosition) == 1) {
    // C++ division truncates toward zero, also for negative values.
    return {(screenWidth - u.Number(common::Width)) / 2, (screenHeight - u.Number(common::Height)) / 2};
  }
  return {u.Number(common::Left), u.Number(common::Top)};
}

DWORD StartPositionStyle(const Unit& u, DWORD style) {
  switch (u.Number(window::StartPosition)) {
    case 2: return WS_MINIMIZE;
    case 3: return (style & WS_THICKFRAME) ? WS_MAXIMIZE : 0;
    default: return 0;
  }
}

void RepairFrameStyle(HWND hwnd, DWORD computed) {
  constexpr DWORD kBits = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  DWORD actual = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
  if ((actual & kBits) == (computed & kBits)) return;
  SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((actual & ~kBits) | (computed & kBits)));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- Icons -----------------------------------------------------------------

HICON MakeIconFromData(const std::string& data, int size) {
  IconFileImage image;
  if (!ChooseNearestImage(data, IconFileType::Icon, size, image)) return nullptr;
  return MakeIconFromImage(image, size, size);
}

WindowIcons ApplyWindowIcons(HWND hwnd, const Unit& u) {
  WindowIcons icons;
  const std::string& data = u.Bytes(window::Icon);
  if (!data.empty()) {
    icons.bigIcon = MakeIconFromData(data, 32);
    icons.smallIcon = MakeIconFromData(data, 16);
    icons.owned = icons.bigIcon || icons.smallIcon;
    if (!icons.bigIcon || !icons.smallIcon) ReleaseWindowIcons(icons);
  }
  if (!icons.owned) {
    LoadDefaultIcons();
    icons.bigIcon = g_defaultBigIcon;
    icons.smallIcon = g_defaultSmallIcon;
  }
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.bigIcon));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.smallIcon));
  return icons;
}

void ReleaseWindowIcons(WindowIcons& icons) {
  if (icons.owned) {
    if (icons.bigIcon) DestroyIcon(icons.bigIcon);
    if (icons.smallIcon) DestroyIcon(icons.smallIcon);
  }
  icons = {};
}

// --- Shape -----------------------------------------------------------------

HRGN MakeShapeRegion(int shape, int w, int h) {
  switch (shape) {
    case 0: return nullptr;
    case 1: return CreateEllipticRgn(0, 0, w + 1, h + 1);
    case 2: {
      int round = (w < h ? w : h) / 5;
      return CreateRoundRectRgn(0, 0, w + 1, h + 1, round, round);
    }
    case 3: {
      HRGN region = CreateEllipticRgn(0, 0, w + 1, h + 1);
      HRGN inner = CreateEllipticRgn(w / 4, h / 4, w - w / 4 + 1, h - h / 4 + 1);
      CombineRgn(region, region, inner, RGN_DIFF);
      DeleteObject(inner);
      return region;
    }
    default: break;
  }
  if (shape < kFirstTableShape || shape >= kFirstTableShape + static_cast<int>(sizeof kOutlines / sizeof kOutlines[0]))
    return nullptr;
  std::vector<POINT> points = OutlinePoints(kOutlines[shape - kFirstTableShape], w, h);
  return CreatePolygonRgn(points.data(), static_cast<int>(points.size()), WINDING);
}

void ApplyShape(HWND hwnd, const Unit& u) {
  const int shape = u.Number(window::Shape);
  if (shape == 0) return;
  RECT outer;
  GetWindowRect(hwnd, &outer);
  // The system owns the region once it is set and frees the one it replaces.
  if (HRGN region = MakeShapeRegion(shape, outer.right - outer.left, outer.bottom - outer.top))
    SetWindowRgn(hwnd, region, TRUE);
}

// --- Music -----------------------------------------------------------------

namespace {

BOOL WINAPI PlayNoSound(LPCSTR, HMODULE, DWORD) { return FALSE; }

// PlaySoundA from winmm, or a stand-in that plays nothing when it is missing.
decltype(&PlaySoundA) PlaySoundFunction() {
  static const auto playSound = SystemFunction<decltype(&PlaySoundA)>("winmm.dll", "PlaySoundA");
  return playSound ? playSound : &PlayNoSound;
}

}  // namespace

void StartBackMusic(HWND hwnd, const Unit& u) {
  const std::string& sound = u.Bytes(window::BackMusic);
  const int count = u.Number(window::PlayCount);
  if (sound.empty() || count == 2 || !IsWave(sound)) return;
  // The bytes stay in the window's own settings while it exists; the music
  // is stopped before they go. No device: PlaySound fails and nothing plays.
  DWORD flags = SND_MEMORY | SND_ASYNC | SND_NODEFAULT | (count == 0 ? SND_LOOP : 0);
  if (PlaySoundFunction()(sound.data(), nullptr, flags)) g_musicWindow = hwnd;
}

void StopBackMusic(HWND hwnd) {
  if (!hwnd || g_musicWindow != hwnd) return;
  PlaySoundFunction()(nullptr, nullptr, 0);
  g_musicWindow = nullptr;
}

HWND BackMusicWindow() { return g_musicWindow; }

// --- Painting --------------------------------------------------------------

COLORREF ResolveColour(uint32_t colour) {
  return colour == kButtonFaceColour ? GetSysColor(COLOR_BTNFACE) : static_cast<COLORREF>(colour & 0xFFFFFF);
}

std::vector<RECT> PicturePlacements(SIZE picture, const RECT& client, int mode) {
  std::vector<RECT> placements;
  const LONG cw = client.right - client.left, ch = client.bottom - client.top;
  if (picture.cx <= 0 || picture.cy <= 0 || cw <= 0 || ch <= 0) return placements;
  switch (mode) {
    case 0:
      placements.push_back({client.left, client.top, client.left + picture.cx, client.top + picture.cy});
      break;
    case 1:
      for (LONG y = client.top; y < client.bottom; y += picture.cy)
        for (LONG x = client.left; x < client.right; x += picture.cx)
          placements.push_back({x, y, x + picture.cx, y + picture.cy});
      break;
    case 2: {
      LONG w = picture.cx, h = picture.cy;
      if (w > cw || h > ch) {
        // Shrink by the tighter of the two ratios, proportions kept.
        if (static_cast<long long>(w) * ch > static_cast<long long>(h) * cw) {
          h = static_cast<LONG>(static_cast<long long>(h) * cw / w);
          w = cw;
        } else {
          w = static_cast<LONG>(static_cast<long long>(w) * ch / h);
          h = ch;
        }
      }
      LONG left = client.left + (cw - w) / 2, top = client.top + (ch - h) / 2;
      placements.push_back({left, top, left + w, top + h});
      break;
    }
    default:
      placements.push_back(client);
      break;
  }
  return placements;
}

StoredPicture::StoredPicture(const std::string& data) {
  if (data.empty()) return;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, data.size());
  if (!memory) return;
  if (void* bytes = GlobalLock(memory)) {
    std::memcpy(bytes, data.data(), data.size());
    GlobalUnlock(memory);
  }
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return;
  }
  void* object = nullptr;
  static const auto loadPicture = SystemFunction<decltype(&OleLoadPicture)>("oleaut32.dll", "OleLoadPicture");
  if (loadPicture &&
      SUCCEEDED(loadPicture(stream, static_cast<LONG>(data.size()), FALSE, __uuidof(IPicture), &object)))
    picture_ = static_cast<IPicture*>(object);
  stream->Release();
  if (!picture_) return;
  picture_->get_Width(&himetricWidth_);
  picture_->get_Height(&himetricHeight_);
  HDC screen = GetDC(nullptr);
  // HIMETRIC is hundredths of a millimetre: 2540 to the inch.
  size_.cx = MulDiv(himetricWidth_, GetDeviceCaps(screen, LOGPIXELSX), 2540);
  size_.cy = MulDiv(himetricHeight_, GetDeviceCaps(screen, LOGPIXELSY), 2540);
  ReleaseDC(nullptr, screen);
  if (size_.cx <= 0 || size_.cy <= 0) {
    picture_->Release();
    picture_ = nullptr;
    size_ = {0, 0};
  }
}

StoredPicture::~StoredPicture() {
  if (picture_) picture_->Release();
}

void StoredPicture::Draw(HDC dc, const RECT& where) const {
  if (!picture_) return;
  // The source is given bottom-up in HIMETRIC, as IPicture expects.
  picture_->Render(dc, where.left, where.top, where.right - where.left, where.bottom - where.top, 0,
                   himetricHeight_, himetricWidth_, -himetricHeight_, nullptr);
}

void PaintClientArea(HWND hwnd, HDC dc, const RECT& area, const Unit& u, const StoredPicture& picture) {
  HBRUSH brush = CreateSolidBrush(ResolveColour(u.Colour(window::BackColor)));
  if (picture.IsEmpty()) {
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    return;
  }
  // Drawn off screen and put on in one go: no flicker, and whatever a
  // picture leaves transparent shows BackColor.
  RECT client;
  GetClientRect(hwnd, &client);
  const int width = area.right - area.left, height = area.bottom - area.top;
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width > 0 ? width : 1, height > 0 ? height : 1);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  SetViewportOrgEx(memory, -area.left, -area.top, nullptr);
  FillRect(memory, &area, brush);
  IntersectClipRect(memory, area.left, area.top, area.right, area.bottom);
  for (const RECT& place : PicturePlacements(picture.PixelSize(), client, u.Number(window::PictureMode))) {
    RECT visible;
    if (IntersectRect(&visible, &place, &area)) picture.Draw(memory, place);
  }
  SetViewportOrgEx(memory, 0, 0, nullptr);
  BitBlt(dc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  DeleteObject(brush);
}

// --- Mouse pointer -----------------------------------------------------------

UnitCursor MakeUnitCursor(const SettingValue& pointer) {
  UnitCursor result;
  const std::string& data = pointer.bytes;
  if (!data.empty()) {
    // A cursor file carries its hot spot in the entry; the resource form
    // that CreateIconFromResourceEx takes puts it before the image.
    IconFileImage image;
    const bool isCursor = ChooseNearestImage(data, IconFileType::Cursor, 32, image);
    if (!isCursor && !ChooseNearestImage(data, IconFileType::Icon, 32, image)) return result;
    std::vector<BYTE> resource(4 + image.size);
    WORD hotSpot[2] = {static_cast<WORD>(isCursor ? image.planes : 0),
                       static_cast<WORD>(isCursor ? image.bitCount : 0)};
    std::memcpy(resource.data(), hotSpot, sizeof hotSpot);
    std::memcpy(resource.data() + 4, image.bytes, image.size);
    result.cursor = reinterpret_cast<HCURSOR>(CreateIconFromResourceEx(
        resource.data(), static_cast<DWORD>(resource.size()), FALSE, 0x00030000, 0, 0, LR_DEFAULTCOLOR));
    result.owned = result.cursor != nullptr;
    return result;
  }
  for (const CursorCode& code : kCursorCodes)
    if (code.code == pointer.number) result.cursor = LoadCursorA(nullptr, code.id);
  return result;
}

void ReleaseUnitCursor(UnitCursor& cursor) {
  if (cursor.owned && cursor.cursor) DestroyCursor(cursor.cursor);
  cursor = {};
}

// --- Help --------------------------------------------------------------------

std::string HelpFilePath(const Unit& u) {
  const std::string& stored = u.Bytes(window::HelpFile);
  if (!stored.empty()) return stored;
  char path[MAX_PATH + 1];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  path[length] = '\0';
  std::string file(path, length);
  size_t slash = file.find_last_of("\\/"), dot = file.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) file.resize(dot);
  return file + ".hlp";
}

bool OpenHelp(HWND hwnd, const Unit& u) {
  if (!u.IsSet(window::F1OpensHelp)) return false;
  const std::string file = HelpFilePath(u);
  if (!FileExists(file)) return false;
  const int context = u.Number(window::HelpContext);
  if (context == 0)
    g_winHelp(hwnd, file.c_str(), HELP_FINDER, 0);
  else
    g_winHelp(hwnd, file.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(static_cast<DWORD>(context)));
  return true;
}

WinHelpFunction SetWinHelp(WinHelpFunction function) {
  WinHelpFunction previous = g_winHelp;
  g_winHelp = function;
  return previous;
}

void ReleaseSharedResources() {
  if (g_defaultBigIcon) DestroyIcon(g_defaultBigIcon);
  if (g_defaultSmallIcon) DestroyIcon(g_defaultSmallIcon);
  g_defaultBigIcon = g_defaultSmallIcon = nullptr;
  g_defaultIconsLoaded = false;
  g_musicWindow = nullptr;
}
