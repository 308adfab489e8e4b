// Timers: a hidden child window whose Win32 timer raises the event.
#include <windows.h>

#include <gtest/gtest.h>

#include "controls_fixture.h"
#include "ui/main_window.h"

namespace {

constexpr uint32_t kTimersWindow = 0x52090001;
constexpr uint32_t kTickingTimer = 0x16090001, kZeroTimer = 0x16090002, kNegativeTimer = 0x16090003;
constexpr uint32_t kClockId = 0x16010015;  // 时钟1
constexpr UINT_PTR kWin32TimerId = 1000;

bool HasWin32Timer(HWND hwnd) {
  // KillTimer says whether there was one; the test is over with it anyway.
  return KillTimer(hwnd, kWin32TimerId) != FALSE;
}

TEST(TimerTest, APositiveIntervalRaisesTheEventUntilTheWindowGoes) {
  LoadedForm form(TestForm("timers.form"), kTimersWindow);
  HWND ticking = form.control(kTickingTimer);
  ASSERT_NE(ticking, nullptr);
  EXPECT_FALSE(IsWindowVisible(ticking)) << "stored Visible 1, but a timer is never shown";
  EXPECT_EQ(GetParent(ticking), form.window());
  PumpFor(600);
  const int ticks = Counts().ticks;
  EXPECT_GE(ticks, 4);
  EXPECT_LE(ticks, 13);
  DestroyWindow(form.window());
  PumpFor(200);
  EXPECT_EQ(Counts().ticks, ticks);
}

TEST(TimerTest, ZeroOrLessStartsNoTimer) {
  LoadedForm form(TestForm("timers.form"), kTimersWindow);
  EXPECT_FALSE(HasWin32Timer(form.control(kZeroTimer)));
  EXPECT_FALSE(HasWin32Timer(form.control(kNegativeTimer)));
  EXPECT_TRUE(HasWin32Timer(form.control(kTickingTimer)));
  PumpFor(200);
  EXPECT_EQ(Counts().ticks, 0) << "only the ticking timer counts, and it was stopped";
}

TEST(TimerTest, TheMainWindowsClockNeverTicks) {
  LoadedForm form(ReadSourceFile("ui/main_window.form"), kMainWindowId);
  HWND clock = form.control(kClockId);
  ASSERT_NE(clock, nullptr);
  EXPECT_FALSE(IsWindowVisible(clock));
  PumpFor(200);
  EXPECT_FALSE(HasWin32Timer(clock));
}

}  // namespace
