// Fonts made from Font settings, and the handles controls make going with
// them: a window made and destroyed many times leaves nothing behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "controls_fixture.h"
#include "runtime/win/controls.h"
#include "runtime/win/runtime_state.h"

namespace {

constexpr uint32_t kFontsWindow = 0x52030001;
constexpr uint32_t kEveryKindWindow = 0x52060001;

HFONT FontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)); }

std::string FaceInUse(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, sizeof face, face);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return face;
}

TEST(ControlFontTest, SixtyBytesGiveThatFaceAndSizeAnythingElseTheGuiFont) {
  LoadedForm form(TestForm("fonts.form"), kFontsWindow);
  const HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const struct {
    uint32_t id;
    const char* name;
    bool own;
  } cases[] = {
      {0x16030001, "edit box, 60 bytes", true},   {0x16030002, "edit box, 59 bytes", false},
      {0x16030003, "edit box, 61 bytes", false},  {0x16030004, "edit box, none", false},
      {0x16030005, "button, 60 bytes", true},     {0x16030006, "button, 59 bytes", false},
  };
  for (const auto& c : cases) {
    const HFONT font = FontOf(form.control(c.id));
    if (!c.own) {
      EXPECT_EQ(font, guiFont) << c.name;
      continue;
    }
    ASSERT_NE(font, guiFont) << c.name;
    LOGFONTA made = {};
    ASSERT_TRUE(GetObjectA(font, sizeof made, &made)) << c.name;
    EXPECT_STREQ(made.lfFaceName, "Liberation Serif") << c.name;
    EXPECT_EQ(made.lfHeight, -24) << c.name;
    EXPECT_EQ(made.lfWeight, 700) << c.name;
    // The stored GB2312, 7, 2, 3 and fixed|modern are replaced.
    EXPECT_EQ(made.lfCharSet, DEFAULT_CHARSET) << c.name;
    EXPECT_EQ(made.lfOutPrecision, OUT_DEFAULT_PRECIS) << c.name;
    EXPECT_EQ(made.lfClipPrecision, CLIP_DEFAULT_PRECIS) << c.name;
    EXPECT_EQ(made.lfQuality, PROOF_QUALITY) << c.name;
    EXPECT_EQ(made.lfPitchAndFamily, DEFAULT_PITCH) << c.name;
    EXPECT_EQ(FaceInUse(font), "Liberation Serif") << c.name;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    EXPECT_NEAR(metrics.tmHeight - metrics.tmInternalLeading, 24, 1) << c.name;
  }
}

TEST(ControlFontTest, AFaceNameWithoutTerminatorIsCutAtItsLastByte) {
  LoadedForm form(TestForm("fonts.form"), kFontsWindow);
  const HFONT font = FontOf(form.control(0x16030007));
  LOGFONTA made = {};
  ASSERT_TRUE(GetObjectA(font, sizeof made, &made));
  EXPECT_EQ(std::string(made.lfFaceName), "Liberation Serif" + std::string(15, 'X'));
}

struct MadeHandles {
  std::vector<HGDIOBJ> gdi;
  std::vector<HICON> icons;
};

// Every font, brush and image the controls of the window hold, asked for
// the way Windows and the window would ask for them.
MadeHandles Collect(HWND window) {
  MadeHandles handles;
  HDC dc = CreateCompatibleDC(nullptr);
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (HFONT font = FontOf(child); font && font != GetStockObject(DEFAULT_GUI_FONT)) handles.gdi.push_back(font);
    if (lstrcmpiA(className, "Edit") == 0) {
      const UINT message = (GetWindowLongA(child, GWL_STYLE) & ES_READONLY) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
      handles.gdi.push_back(reinterpret_cast<HGDIOBJ>(
          SendMessageA(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(child))));
    }
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0 && (style & BS_BITMAP))
      handles.gdi.push_back(reinterpret_cast<HGDIOBJ>(SendMessageA(child, BM_GETIMAGE, IMAGE_BITMAP, 0)));
    if (lstrcmpiA(className, "Button") == 0 && (style & BS_ICON))
      handles.icons.push_back(reinterpret_cast<HICON>(SendMessageA(child, BM_GETIMAGE, IMAGE_ICON, 0)));
  }
  DeleteDC(dc);
  return handles;
}

TEST(ControlHandlesTest, MakingAndDestroyingEveryKindTwoHundredTimesLeavesNothing) {
  const std::string text = TestForm("every_kind.form");
  InitializeRuntimeWithForm(text, TestHandlers());
  const size_t before = LiveControlResources();
  for (int round = 0; round < 200; ++round) {
    LoadStartupWindow(kEveryKindWindow);
    HWND window = FindLiveWindow(kEveryKindWindow)->hwnd();
    UpdateWindow(window);
    PumpMessages();
    const MadeHandles handles = Collect(window);
    // Two fonts, three edit-box brushes, one bitmap, one icon.
    ASSERT_EQ(handles.gdi.size(), 6u) << "round " << round;
    ASSERT_EQ(handles.icons.size(), 1u) << "round " << round;
    ASSERT_EQ(LiveControlResources() - before, 7u) << "round " << round;
    for (HGDIOBJ object : handles.gdi) ASSERT_NE(GetObjectType(object), 0u) << "round " << round;
    ICONINFO info;
    for (HICON icon : handles.icons) {
      ASSERT_TRUE(GetIconInfo(icon, &info)) << "round " << round;
      DeleteObject(info.hbmColor);
      DeleteObject(info.hbmMask);
    }

    DestroyWindow(window);
    PumpMessages();
    ASSERT_EQ(FindLiveWindow(kEveryKindWindow), nullptr);
    ASSERT_EQ(LiveControlResources(), before) << "round " << round;
    for (HGDIOBJ object : handles.gdi) ASSERT_EQ(GetObjectType(object), 0u) << "round " << round;
    for (HICON icon : handles.icons) ASSERT_FALSE(GetIconInfo(icon, &info)) << "round " << round;
  }
  ShutdownRuntime();
}

}  // namespace
