// Buttons made from their settings: style, caption, font and picture.
#include <windows.h>

#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "runtime/win/runtime_state.h"
#include "runtime/win/units.h"
#include "ui/main_window.h"

namespace {

constexpr uint32_t kButtonsWindow = 0x52050001;
constexpr uint32_t kOpenButtonId = 0x16010008;  // 按钮1
constexpr DWORD kKindMask = 0x0F;               // BS_PUSHBUTTON, BS_DEFPUSHBUTTON, ...
constexpr DWORD kImageStyles = BS_ICON | BS_BITMAP;

std::string Caption(HWND hwnd) {
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

struct ButtonCase {
  uint32_t id;
  const char* name;
  DWORD kind, horizontal, vertical, image;
  const char* caption;  // UTF-8
};

void CheckButton(HWND button, const ButtonCase& c) {
  ASSERT_NE(button, nullptr) << c.name;
  char className[16] = {};
  GetClassNameA(button, className, sizeof className);
  EXPECT_STREQ(className, "Button") << c.name;
  const DWORD style = static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE));
  EXPECT_EQ(style & kKindMask, c.kind) << c.name;
  EXPECT_EQ(style & BS_CENTER, c.horizontal) << c.name;
  EXPECT_EQ(style & BS_VCENTER, c.vertical) << c.name;
  EXPECT_EQ(style & kImageStyles, c.image) << c.name;
  EXPECT_TRUE(style & BS_MULTILINE) << c.name;
  EXPECT_EQ(GetWindowLongA(button, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0) << c.name;
  EXPECT_EQ(Caption(button), Ansi(c.caption)) << c.name;
}

TEST(ButtonTest, OpenButtonIsAnOrdinaryCentredPushButton) {
  LoadedForm form(ReadSourceFile("ui/main_window.form"), kMainWindowId);
  HWND open = form.control(kOpenButtonId);
  CheckButton(open, {kOpenButtonId, "按钮1", BS_PUSHBUTTON, BS_CENTER, BS_VCENTER, 0, "打开"});
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(open, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(SendMessageA(open, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(SendMessageA(open, BM_GETIMAGE, IMAGE_ICON, 0), 0);
  EXPECT_FALSE(FindLiveWindow(kMainWindowId)->FindControl(kOpenButtonId)->IsDefaultPushButton());
}

TEST(ButtonTest, KindAlignmentAndPictureStylesFollowTheSettings) {
  LoadedForm form(TestForm("buttons.form"), kButtonsWindow);
  const ButtonCase cases[] = {
      {0x16050001, "defaults", BS_PUSHBUTTON, BS_CENTER, BS_VCENTER, 0, "按钮"},
      {0x16050002, "ButtonKind 1", BS_DEFPUSHBUTTON, BS_CENTER, BS_VCENTER, 0, "按钮"},
      {0x16050003, "left, top", BS_PUSHBUTTON, BS_LEFT, BS_TOP, 0, "按钮"},
      {0x16050004, "right, bottom", BS_PUSHBUTTON, BS_RIGHT, BS_BOTTOM, 0, "按钮"},
      {0x16050005, "other values", BS_PUSHBUTTON, BS_RIGHT, BS_BOTTOM, 0, "按钮"},
      {0x16050006, "bitmap", BS_PUSHBUTTON, BS_CENTER, BS_VCENTER, BS_BITMAP, "bitmap"},
      {0x16050007, "icon", BS_PUSHBUTTON, BS_CENTER, BS_VCENTER, BS_ICON, "icon"},
      {0x16050008, "not an image", BS_PUSHBUTTON, BS_CENTER, BS_VCENTER, 0, "garbage"},
      {0x16050009, "bitmap cut short", BS_PUSHBUTTON, BS_CENTER, BS_VCENTER, 0, "broken"},
  };
  FormWindow* window = FindLiveWindow(kButtonsWindow);
  for (const ButtonCase& c : cases) {
    CheckButton(form.control(c.id), c);
    EXPECT_EQ(window->FindControl(c.id)->IsDefaultPushButton(), c.kind == BS_DEFPUSHBUTTON) << c.name;
  }
}

TEST(ButtonTest, PicturesAreHandedToTheButtonAndShown) {
  LoadedForm form(TestForm("buttons.form"), kButtonsWindow);
  HWND bitmapButton = form.control(0x16050006), iconButton = form.control(0x16050007);
  auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(bitmapButton, BM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info = {};
  ASSERT_TRUE(GetObjectA(bitmap, sizeof info, &info));
  EXPECT_EQ(info.bmWidth, 8);
  EXPECT_EQ(info.bmHeight, 8);
  auto icon = reinterpret_cast<HICON>(SendMessageA(iconButton, BM_GETIMAGE, IMAGE_ICON, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO iconInfo = {};
  ASSERT_TRUE(GetIconInfo(icon, &iconInfo));
  BITMAP colour = {};
  GetObjectA(iconInfo.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 8);
  DeleteObject(iconInfo.hbmColor);
  DeleteObject(iconInfo.hbmMask);
  EXPECT_EQ(SendMessageA(form.control(0x16050008), BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(SendMessageA(form.control(0x16050008), BM_GETIMAGE, IMAGE_ICON, 0), 0);

  // On screen: the magenta bitmap and the cyan icon near each button's centre.
  SetForegroundWindow(form.window());
  PaintNow(form.window());
  const struct {
    HWND button;
    COLORREF colour;
  } shown[] = {{bitmapButton, RGB(255, 0, 255)}, {iconButton, RGB(0, 255, 255)}};
  for (const auto& s : shown) {
    ScreenShot shot(s.button);
    int found = 0;
    for (int y = shot.height() / 2 - 6; y < shot.height() / 2 + 6; ++y)
      for (int x = shot.width() / 2 - 6; x < shot.width() / 2 + 6; ++x) found += shot.at(x, y) == s.colour;
    EXPECT_GE(found, 36) << std::hex << s.colour;
  }
}

}  // namespace
