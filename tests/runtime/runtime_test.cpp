// The runtime's life cycle in-process under Wine: exit routines, the loop
// mark, the current directory, fatal errors and text memory.
#include <windows.h>

#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/exit_routines.h"
#include "runtime/operations.h"
#include "tests/support/runtime_fixture.h"

namespace {

constexpr uint32_t kWindowId = 0x52010001;

void NoRoutine() {}
const HandlerBinding kBindings[] = {{"NoRoutine", &NoRoutine}};
const HandlerTable kHandlers = {kBindings, 1};

const char kSmallForm[] =
    "qqform 1\n"
    "unit 窗口 0x52010001 \"\"\n"
    "  Width 200\n"
    "  Height 150\n"
    "  Caption \"runtime test\"\n"
    "  unit 编辑框 0x16010004 \"编辑框1\"\n"
    "    Width 100\n"
    "    Height 20\n"
    "    Content \"网址\"\n"
    "  end\n"
    "end\n";

std::vector<int> g_calls;
void RoutineA() { g_calls.push_back(1); }
void RoutineB() { g_calls.push_back(2); }

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override { g_calls.clear(); }
  void TearDown() override {
    ShutdownRuntime();
    ProcessExitRoutines().Clear();
  }
  HWND LoadSmallWindow() {
    InitializeRuntimeWithForm(kSmallForm, kHandlers);
    LoadStartupWindow(kWindowId);
    return FindWindowA(FormWindowClass(), "runtime test");
  }
  static const char* FormWindowClass() { return "RuntimeFormWindow"; }
};

TEST_F(RuntimeTest, ExitRoutinesRunOnceEachInRegistrationOrder) {
  RegisterExitRoutine(&RoutineB);
  RegisterExitRoutine(&RoutineA);
  RegisterExitRoutine(&RoutineB);  // already there: no second entry
  EXPECT_EQ(ProcessExitRoutines().size(), 2u);
  ShutdownRuntime();
  EXPECT_EQ(g_calls, (std::vector<int>{2, 1}));
  EXPECT_EQ(ProcessExitRoutines().size(), 0u);
  ShutdownRuntime();
  EXPECT_EQ(g_calls.size(), 2u);
}

TEST_F(RuntimeTest, FatalErrorShowsOneBoxDropsExitRoutinesAndEndsWithMinusOne) {
  FatalErrorCatcher catcher;
  RegisterExitRoutine(&RoutineA);
  HWND window = LoadSmallWindow();
  ASSERT_TRUE(IsWindow(window));
  try {
    ReportRuntimeError("boom", 0);
    FAIL() << "returned";
  } catch (const ProcessEnded& end) {
    EXPECT_EQ(end.exitCode, -1);
  }
  EXPECT_EQ(FatalErrorCatcher::messages(), std::vector<std::string>{"boom"});
  EXPECT_TRUE(g_calls.empty());
  EXPECT_EQ(ProcessExitRoutines().size(), 0u);
  EXPECT_FALSE(IsWindow(window));  // runtime clean-up ran
}

TEST_F(RuntimeTest, AllocationFailureNamesTheByteCount) {
  RegisterExitRoutine(&RoutineA);
  FatalErrorCatcher catcher;
  RecordingHeap heap;
  RecordingHeap::FailAllocation(1);
  try {
    AllocateBlock(123457);
    FAIL() << "returned";
  } catch (const ProcessEnded& end) {
    EXPECT_EQ(end.exitCode, -1);
  }
  EXPECT_EQ(FatalErrorCatcher::messages(), std::vector<std::string>{Ansi("分配 123457 字节内存失败!")});
  EXPECT_TRUE(g_calls.empty());
}

// Any C++ allocation the runtime makes (reading the form at start-up, say)
// fails the same way as a Text: the fatal error with the byte count.
TEST_F(RuntimeTest, FailedOperatorNewIsTheFatalErrorWithItsByteCount) {
  FatalErrorCatcher catcher;
  const size_t impossible = size_t{1} << 50;  // beyond any address space: refused at once
  try {
    std::string huge;
    huge.reserve(impossible - 1);
    FAIL() << "a PiB came through";
  } catch (const ProcessEnded& end) {
    EXPECT_EQ(end.exitCode, -1);
  }
  EXPECT_EQ(FatalErrorCatcher::messages(),
            std::vector<std::string>{Ansi(("分配 " + std::to_string(impossible) + " 字节内存失败!").c_str())});
}

TEST_F(RuntimeTest, UnreadableFormAndMissingWindowAreFatalWithTheirMessages) {
  struct Case {
    const char* name;
    std::string form;
    uint32_t id;
    const char* message;
  };
  const Case cases[] = {
      {"garbage", "not a form", kWindowId, "载入窗口模板数据段出错!"},
      {"empty", "", kWindowId, "载入窗口模板数据段出错!"},
      {"unknown handler", "qqform 1\nunit 窗口 1 \"\"\non Created Nowhere\nend\n", 1, "载入窗口模板数据段出错!"},
      {"no such window", kSmallForm, 0x52010002, "载入启动窗口失败"},
      {"settings too new", "qqform 1\nunit 窗口 0x52010001 \"\"\nversion 7\nend\n", kWindowId, "载入启动窗口失败"},
      {"class that does not exist",
       "qqform 1\nunit 窗口 0x52010001 \"\"\nWindowClassName \"NoSuchClass\"\nend\n", kWindowId, "载入启动窗口失败"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FatalErrorCatcher catcher;
    try {
      InitializeRuntimeWithForm(c.form, kHandlers);
      LoadStartupWindow(c.id);
      ADD_FAILURE() << "no fatal error";
    } catch (const ProcessEnded& end) {
      EXPECT_EQ(end.exitCode, -1);
    }
    EXPECT_EQ(FatalErrorCatcher::messages(), std::vector<std::string>{Ansi(c.message)});
    EXPECT_EQ(LiveWindowCount(), 0u);
  }
}

TEST_F(RuntimeTest, CurrentDirectoryBecomesTheExecutablesFolder) {
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  InitializeRuntimeWithForm(kSmallForm, kHandlers);
  char exe[MAX_PATH], current[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  *strrchr(exe, '\\') = '\0';
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_STRCASEEQ(current, exe);
}

TEST_F(RuntimeTest, OleIsInitialisedOnceAndUninitialisedAtShutdown) {
  InitializeRuntimeWithForm(kSmallForm, kHandlers);
  InitializeRuntimeWithForm(kSmallForm, kHandlers);
  EXPECT_EQ(OleInitialize(nullptr), S_FALSE);  // already initialised on this thread
  OleUninitialize();
  ShutdownRuntime();
  HRESULT after = OleInitialize(nullptr);
  EXPECT_EQ(after, S_OK);
  if (SUCCEEDED(after)) OleUninitialize();
}

TEST_F(RuntimeTest, OwnerWindowIsAnInvisibleToolWindow) {
  InitializeRuntimeWithForm(kSmallForm, kHandlers);
  HWND owner = FindWindowA("RuntimeOwnerWindow", nullptr);
  ASSERT_NE(owner, nullptr);
  EXPECT_TRUE(GetWindowLongA(owner, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(IsWindowVisible(owner));
  ShutdownRuntime();
  EXPECT_FALSE(IsWindow(owner));
}

bool QuitMessageQueued() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST_F(RuntimeTest, WindowDestroyedBeforeTheLoopPostsNoQuit) {
  HWND window = LoadSmallWindow();
  ASSERT_TRUE(IsWindow(window));
  DestroyWindow(window);
  PumpMessages();
  EXPECT_FALSE(QuitMessageQueued());
  EXPECT_EQ(LiveWindowCount(), 0u);
}

TEST_F(RuntimeTest, LoopReturnsAtOnceWhenNoWindowIsAlive) {
  InitializeRuntimeWithForm(kSmallForm, kHandlers);
  // Were the loop to run, it would take this quit message.
  PostQuitMessage(7);
  RunMessageLoop();
  EXPECT_TRUE(IsMessageLoopRunning());
  EXPECT_TRUE(QuitMessageQueued());
}

int g_programMainResult = 0;
int ClosingProgramMain() {
  InitializeRuntimeWithForm(kSmallForm, kHandlers);
  RegisterExitRoutine(&RoutineA);
  LoadStartupWindow(kWindowId);
  g_calls.push_back(LiveWindowCount() == 1 ? 10 : -10);
  PostMessageA(FindWindowA("RuntimeFormWindow", "runtime test"), WM_CLOSE, 0, 0);
  RunMessageLoop();
  g_calls.push_back(LiveWindowCount() == 0 ? 20 : -20);
  return g_programMainResult;
}

TEST_F(RuntimeTest, ClosingTheLastWindowEndsTheLoopAndTheRunWithTheQuitCode) {
  g_programMainResult = 5;  // not the exit code: the quit message's code is
  EXPECT_EQ(RunProgram(&ClosingProgramMain, kHandlers), 0);
  // The exit routine ran after the window had gone.
  EXPECT_EQ(g_calls, (std::vector<int>{10, 20, 1}));
}

TEST_F(RuntimeTest, FreeBlockIgnoresNullAndConstantTexts) {
  InitializeRuntimeWithForm(kSmallForm, kHandlers);
  RecordingHeap heap;
  static const char constant[] = "constant text";
  FreeBlock(nullptr);
  FreeBlock(constant);
  FreeBlock("literal");
  EXPECT_TRUE(RecordingHeap::events().empty());
  void* block = AllocateBlock(10);
  FreeBlock(block);
  ASSERT_EQ(RecordingHeap::events().size(), 2u);
  EXPECT_FALSE(RecordingHeap::events()[1].allocation);
}

TEST_F(RuntimeTest, ReadEditContentGivesTheBoxTextOrNull) {
  HWND window = LoadSmallWindow();
  HWND box = FindWindowExA(window, nullptr, "EDIT", nullptr);
  ASSERT_NE(box, nullptr);
  RecordingHeap heap;
  Text text = ReadEditContent(kWindowId, 0x16010004);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text), Ansi("网址"));
  ASSERT_EQ(RecordingHeap::events().size(), 1u);
  FreeBlock(text);
  SetWindowTextA(box, "");
  EXPECT_EQ(ReadEditContent(kWindowId, 0x16010004), nullptr);
  EXPECT_EQ(ReadEditContent(kWindowId, 0x16019999), nullptr);
  EXPECT_EQ(ReadEditContent(0x52019999, 0x16010004), nullptr);
  EXPECT_EQ(RecordingHeap::events().size(), 2u);  // nothing allocated for those
}

}  // namespace
