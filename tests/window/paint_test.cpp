// Painting the client area: BackColor and BackPicture, read off the screen.
#include <gtest/gtest.h>

#include "runtime/win/window_frame.h"
#include "window_fixture.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

HWND ShowPainted(LoadedForm& form, uint32_t id) {
  HWND hwnd = form.Load(id);
  BringToFront(hwnd);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  Pump(100);
  return hwnd;
}

struct Probe {
  int x, y;  // client coordinates
  COLORREF colour;
};

TEST(Paint, TheDefaultBackColorIsTheButtonFaceColourOfTheMoment) {
  LoadedForm form("back_picture.form");
  HWND hwnd = ShowPainted(form, 0x66);
  RECT client;
  GetClientRect(hwnd, &client);
  const POINT points[] = {{2, 2}, {client.right / 2, client.bottom / 2}, {client.right - 3, client.bottom - 3}};
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  for (POINT p : points) EXPECT_EQ(ClientPixel(hwnd, p.x, p.y), face) << p.x << "," << p.y;

  // Another button-face colour: the next paint uses it.
  const int element = COLOR_BTNFACE;
  const COLORREF changed = RGB(10, 120, 200);
  ASSERT_TRUE(SetSysColors(1, &element, &changed));
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
  Pump(100);
  const COLORREF seen = ClientPixel(hwnd, client.right / 2, client.bottom / 2);
  SetSysColors(1, &element, &face);
  EXPECT_EQ(seen, changed);
}

TEST(Paint, BackPictureInEachPictureMode) {
  LoadedForm form("back_picture.form");
  // The client area is the same in every window of the form.
  HWND first = ShowPainted(form, 0x60);
  RECT client;
  GetClientRect(first, &client);
  DestroyWindow(first);
  const int cw = client.right, ch = client.bottom;
  ASSERT_GT(cw, 400);
  ASSERT_LT(cw, 600);

  // Mode 2 shrinks the 600 x 20 picture to the width, proportions kept.
  const int shrunkHeight = 20 * cw / 600, shrunkTop = (ch - shrunkHeight) / 2;
  const int smallLeft = (cw - 20) / 2, smallTop = (ch - 10) / 2;
  struct {
    uint32_t id;
    Probe probes[5];
  } cases[] = {
      {0x60, {{5, 5, kRed}, {350, 5, kBlue}, {5, 25, kGreen}, {350, 25, kGreen}, {5, ch - 3, kGreen}}},
      {0x61, {{5, 5, kRed}, {350, 5, kBlue}, {5, 25, kRed}, {350, 25, kBlue}, {5, ch - 3, kRed}}},
      {0x62,
       {{2, ch / 2, kRed}, {cw - 3, ch / 2, kBlue}, {cw / 2, shrunkTop - 3, kGreen},
        {cw / 2, shrunkTop + shrunkHeight + 3, kGreen}, {5, 5, kGreen}}},
      {0x63, {{5, 5, kRed}, {cw - 5, ch - 5, kBlue}, {cw / 2 - 5, ch / 2, kRed}, {cw / 2 + 5, ch / 2, kBlue},
              {5, ch - 3, kRed}}},
      {0x64,
       {{smallLeft + 5, smallTop + 5, kRed}, {smallLeft + 15, smallTop + 5, kBlue},
        {smallLeft - 3, smallTop + 5, kGreen}, {smallLeft + 25, smallTop + 5, kGreen}, {5, 5, kGreen}}},
      {0x65, {{5, 5, kRed}, {15, 5, kBlue}, {25, 5, kGreen}, {5, 15, kGreen}, {cw / 2, ch / 2, kGreen}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    HWND hwnd = ShowPainted(form, c.id);
    for (const Probe& p : c.probes)
      EXPECT_EQ(ClientPixel(hwnd, p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
    DestroyWindow(hwnd);
  }
}

TEST(Paint, PicturePlacementsByMode) {
  const RECT client = {0, 0, 100, 50};
  auto rects = PicturePlacements({30, 20}, client, 1);
  EXPECT_EQ(rects.size(), 4u * 3u) << "tiles cover the area, the last ones cut";
  rects = PicturePlacements({300, 50}, client, 2);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].right - rects[0].left, 100);
  EXPECT_EQ(rects[0].bottom - rects[0].top, 16);
  EXPECT_EQ(rects[0].top, 17);
  rects = PicturePlacements({50, 200}, client, 2);  // too tall: fits the height
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0].bottom - rects[0].top, 50);
  EXPECT_EQ(rects[0].right - rects[0].left, 12);
  EXPECT_EQ(rects[0].left, 44);
  EXPECT_TRUE(PicturePlacements({0, 0}, client, 1).empty());
}

}  // namespace
