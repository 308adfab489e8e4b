// The button kind.
//
// A Picture is the bytes of a Windows bitmap file (".bmp", uncompressed, 1 to
// 32 bits a pixel) shown with BS_BITMAP, or of an icon file (".ico") shown
// with BS_ICON, using its largest image that fits the button. Anything else
// shows no image, only the caption.
#include <climits>
#include <cstdint>
#include <vector>

#include "controls.h"
#include "icon_file.h"

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

uint32_t ReadU32(const std::string& bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

// A bitmap file, checked so that no part the system reads lies outside it.
HBITMAP DecodeBitmapFile(const std::string& data) {
  constexpr size_t kFileHeader = 14, kInfoHeader = sizeof(BITMAPINFOHEADER);
  if (data.size() < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M') return nullptr;
  const size_t bitsAt = ReadU32(data, 10);
  BITMAPINFOHEADER header;
  std::memcpy(&header, data.data() + kFileHeader, sizeof header);
  if (header.biSize < kInfoHeader || header.biSize > data.size() - kFileHeader) return nullptr;
  if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT32_MIN || header.biPlanes != 1)
    return nullptr;
  const WORD bits = header.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return nullptr;
  if (header.biCompression != BI_RGB && !(header.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32)))
    return nullptr;
  const uint64_t maxColours = bits <= 8 ? (1u << bits) : 0;
  const uint64_t colours = header.biClrUsed ? header.biClrUsed : maxColours;
  if (bits <= 8 && colours > maxColours) return nullptr;
  const uint64_t masks = header.biCompression == BI_BITFIELDS && header.biSize == kInfoHeader ? 12 : 0;
  const uint64_t infoSize = header.biSize + masks + (bits <= 8 ? colours * 4 : 0);
  const uint64_t stride = (static_cast<uint64_t>(header.biWidth) * bits + 31) / 32 * 4;
  const uint64_t rows = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
  if (kFileHeader + infoSize > data.size() || bitsAt < kFileHeader + infoSize ||
      bitsAt > data.size() || stride * rows > data.size() - bitsAt)
    return nullptr;

  // The header and colour table, aligned as BITMAPINFO must be.
  std::vector<DWORD> info((infoSize + sizeof(DWORD) - 1) / sizeof(DWORD));
  std::memcpy(info.data(), data.data() + kFileHeader, infoSize);
  auto* bitmapInfo = reinterpret_cast<BITMAPINFO*>(info.data());
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &bitmapInfo->bmiHeader, CBM_INIT, data.data() + bitsAt, bitmapInfo,
                                  DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

// An icon file: the largest of its images that fits width × height, or the
// smallest if none does.
HICON DecodeIconFile(const std::string& data, int width, int height) {
  const std::vector<IconFileImage> images = ReadIconFile(data, IconFileType::Icon);
  const IconFileImage* best = nullptr;
  const IconFileImage* smallest = nullptr;
  for (const IconFileImage& image : images) {
    const int area = image.width * image.height;
    if (image.width <= width && image.height <= height && (!best || area > best->width * best->height))
      best = &image;
    if (!smallest || area < smallest->width * smallest->height) smallest = &image;
  }
  if (!best) best = smallest;
  if (!best) return nullptr;
  return MakeIconFromImage(*best, best->width, best->height);
}

class Button : public ControlObject {
 public:
  Button(const Unit& unit, FormWindow& window)
      : ControlObject(unit, window),
        font_(unit.Bytes(button::Font)),
        bitmap_(DecodeBitmapFile(unit.Bytes(button::Picture))),
        icon_(bitmap_.get() ? nullptr
                            : DecodeIconFile(unit.Bytes(button::Picture), unit.Number(common::Width),
                                             unit.Number(common::Height))) {}

  bool Make() {
    const Unit& u = unit();
    DWORD style = ButtonStyle(u);
    if (bitmap_.get()) style |= BS_BITMAP;
    if (icon_.get()) style |= BS_ICON;
    HWND hwnd = CreateControlWindow(u, window(), "BUTTON", u.Bytes(button::Caption).c_str(), style, 0);
    if (!hwnd) return false;
    AttachHwnd(hwnd);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), TRUE);
    if (bitmap_.get()) SendMessageA(hwnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_.get()));
    if (icon_.get()) SendMessageA(hwnd, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_.get()));
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
  OwnedGdiObject bitmap_;
  OwnedIcon icon_;
};

}  // namespace

std::unique_ptr<ControlObject> MakeButton(const Unit& unit, FormWindow& window) {
  auto made = std::make_unique<Button>(unit, window);
  if (!made->Make()) return nullptr;
  return made;
}
