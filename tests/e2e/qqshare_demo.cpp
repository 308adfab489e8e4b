// The headless demonstration behind ./run: starts qqshare, fills the four
// fields with a sample, presses 打开, waits for the browser to be handed the
// link, saves a picture of the window as the screen shows it, and closes it.
//
//   qqshare_demo.exe <qqshare.exe> <picture.bmp>
#include <windows.h>

#include <cstdio>
#include <string>

#include "driver.h"

namespace {

constexpr DWORD kTimeoutMs = 30000;

int Fail(const char* what) {
  std::fprintf(stderr, "demo: %s\n", what);
  return 1;
}

// The window's outer rectangle as the screen shows it, as a 24-bit BMP.
bool SaveWindowPicture(HWND window, const char* path) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up, as BMP files store rows
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::string pixels(static_cast<size_t>(stride) * height, '\0');
  const int rows = GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                             DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return false;

  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
            std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
  return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: qqshare_demo.exe <qqshare.exe> <picture.bmp>");
  e2e::Recorder recorder;
  if (!recorder.available()) return Fail("QQ_RECORDER_LOG is not set");

  e2e::Program program(argv[1]);
  if (!program.started()) return Fail("could not start qqshare.exe");
  HWND window = program.WaitForWindow("RuntimeFormWindow", kTimeoutMs);
  if (!window) return Fail("no window showed");

  const struct {
    int left, top, width, height;
    const char* text;
  } sample[] = {
      {72, 25, 274, 28, "example.com/article.html"},
      {124, 63, 176, 39, "周末读书会"},
      {126, 110, 176, 112, "一起读一本好书"},
      {8, 239, 408, 33, "推荐!"},
  };
  for (const auto& field : sample) {
    HWND box = e2e::FindChildAt(window, "Edit", field.left, field.top, field.width, field.height);
    if (!box) return Fail("a field is missing");
    e2e::SetText(box, e2e::Gbk(field.text));
  }
  HWND open = e2e::FindChildAt(window, "Button", 168, 294, 80, 32);
  if (!open) return Fail("the button is missing");

  recorder.Mark();
  PostMessageA(open, BM_CLICK, 0, 0);
  std::string link;
  if (!recorder.WaitForNext(kTimeoutMs, &link)) return Fail("the browser was handed no link");
  // The virtual screen has no window manager to give Wine's desktop the X
  // focus, so captions draw inactive; show the active look a user sees
  // right after pressing, then let the screen settle.
  SetForegroundWindow(window);
  PostMessageA(window, WM_NCACTIVATE, TRUE, 0);
  Sleep(500);
  if (!SaveWindowPicture(window, argv[2])) return Fail("could not save the picture");

  PostMessageA(window, WM_CLOSE, 0, 0);
  DWORD code = 0;
  if (!program.WaitForExit(kTimeoutMs, &code)) return Fail("qqshare did not end");
  std::printf("demo: qqshare ended with exit code %lu\n", static_cast<unsigned long>(code));
  return code == 0 ? 0 : 1;
}
