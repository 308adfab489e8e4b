// The main window's handlers on the real form, in-process under Wine, with
// the shell replaced by a stand-in that records what it is handed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/exit_routines.h"
#include "runtime/operations.h"
#include "runtime/win/shell_seam.h"
#include "share/share_link.h"
#include "tests/support/runtime_fixture.h"
#include "ui/main_window.h"

namespace {

const std::string kHead = std::string("http://") + QQSHARE_SHARE_HOST +
                          "/widget/shareqq/index.html?url=http%3A%2F%2F";
const std::string kTail = "%5E_%5E&site=discuz%7C&style=103&width=50&height=16";

struct ShellCall {
  HWND owner;
  std::string verb;
  std::string file;
  const void* filePointer;
  bool noParameters;
  bool noDirectory;
  int show;
};
std::vector<ShellCall> g_shellCalls;

HINSTANCE WINAPI RecordShell(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show) {
  g_shellCalls.push_back({owner, verb, file, file, parameters == nullptr, directory == nullptr, show});
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_shellCalls.clear();
    previousShell_ = SetShellExecute(&RecordShell);
    InitializeRuntimeWithForm(ReadSourceFile("ui/main_window.form"), ProgramHandlers());
    RegisterExitRoutine(&ReleaseLastShareLink);
    LastShareLink = nullptr;
    LoadStartupWindow(kMainWindowId);
    window_ = FindWindowA("RuntimeFormWindow", nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    ShutdownRuntime();
    LastShareLink = nullptr;
    SetShellExecute(previousShell_);
  }
  HWND Box(int controlId) { return GetDlgItem(window_, controlId); }
  void SetBox(int controlId, const std::string& ansi) { SetWindowTextA(Box(controlId), ansi.c_str()); }

  HWND window_ = nullptr;
  ShellExecuteFunction previousShell_ = nullptr;
};

TEST_F(MainWindowTest, FieldsOpenWithTheirInitialTexts) {
  const struct {
    uint32_t id;
    const char* text;
  } fields[] = {{kAddressBoxId, "网址"}, {kTitleBoxId, "标题"}, {kSummaryBoxId, "附加内容"}, {kCommentBoxId, "评论"}};
  for (const auto& field : fields) {
    Text text = ReadEditContent(kMainWindowId, field.id);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), Ansi(field.text)) << field.text;
    FreeBlock(text);
  }
  EXPECT_EQ(ReadEditContent(kMainWindowId, kFocusSinkBoxId), nullptr);
}

TEST_F(MainWindowTest, ClickWithInitialTextsOpensTheirLink) {
  HandleOpenClick();
  ASSERT_EQ(g_shellCalls.size(), 1u);
  const ShellCall& call = g_shellCalls[0];
  EXPECT_EQ(call.file, kHead + Ansi("网址") + "&title=" + Ansi("标题") + "&summary=" + Ansi("附加内容") +
                           "&desc=" + Ansi("评论") + kTail);
  EXPECT_EQ(call.verb, "open");
  EXPECT_TRUE(call.noParameters);
  EXPECT_TRUE(call.noDirectory);
  EXPECT_EQ(call.show, SW_SHOWNORMAL);
  EXPECT_EQ(call.owner, nullptr);  // no "Microsoft Internet Explorer" window
  EXPECT_STREQ(LastShareLink, call.file.c_str());
  EXPECT_NE(call.filePointer, LastShareLink);  // the shell gets a copy of its own
}

TEST_F(MainWindowTest, TheShellIsOwnedByAnInternetExplorerWindowWhenThereIsOne) {
  HWND explorer = CreateWindowExA(0, "STATIC", "Microsoft Internet Explorer", WS_OVERLAPPED, 0, 0, 10, 10,
                                  nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(explorer, nullptr);
  HandleOpenClick();
  DestroyWindow(explorer);
  ASSERT_EQ(g_shellCalls.size(), 1u);
  EXPECT_EQ(g_shellCalls[0].owner, explorer);
}

TEST_F(MainWindowTest, TwoClicksHoldOnlyTheSecondLinkFreedAfterItExists) {
  SetBox(kTitleBoxId, "first");
  HandleOpenClick();
  Text first = LastShareLink;
  SetBox(kTitleBoxId, "second");
  RecordingHeap heap;
  HandleOpenClick();
  Text second = LastShareLink;
  ASSERT_NE(second, first);
  EXPECT_NE(std::string(second).find("&title=second&"), std::string::npos);

  // Four field reads, the new link, four frees, then the old link.
  const auto& events = RecordingHeap::events();
  ASSERT_EQ(events.size(), 10u);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(events[i].allocation) << i;
  EXPECT_EQ(events[4].block, second);
  EXPECT_EQ(events[4].size, std::string(second).size() + 1);
  for (int i = 0; i < 4; ++i) {
    EXPECT_FALSE(events[5 + i].allocation);
    EXPECT_EQ(events[5 + i].block, events[i].block) << "fields freed in read order";
  }
  EXPECT_FALSE(events[9].allocation);
  EXPECT_EQ(events[9].block, first);

  // Shutdown frees the held link exactly once.
  ShutdownRuntime();
  ASSERT_EQ(events.size(), 11u);
  EXPECT_EQ(events[10].block, second);
  EXPECT_FALSE(events[10].allocation);
}

TEST_F(MainWindowTest, EmptiedFieldsReadNullAndAreNotFreed) {
  for (uint32_t id : {kAddressBoxId, kTitleBoxId, kSummaryBoxId, kCommentBoxId}) SetBox(id, "");
  RecordingHeap heap;
  HandleOpenClick();
  const auto& events = RecordingHeap::events();
  ASSERT_EQ(events.size(), 1u);  // only the link
  EXPECT_TRUE(events[0].allocation);
  EXPECT_EQ(std::string(LastShareLink), kHead + "&title=&summary=&desc=" + kTail);
}

TEST_F(MainWindowTest, TypedTextReachesTheLinkEncodedWhereItMust) {
  SetBox(kAddressBoxId, "a.b/?x=1&y=2#top");
  SetBox(kTitleBoxId, "Tom & Jerry");
  SetBox(kSummaryBoxId, "line one\r\nline two");
  SetBox(kCommentBoxId, Ansi("100% 好"));
  HandleOpenClick();
  EXPECT_EQ(std::string(LastShareLink), kHead + "a.b/?x=1%26y=2%23top&title=Tom %26 Jerry" +
                                             "&summary=line one%0D%0Aline two&desc=100%25 " + Ansi("好") + kTail);
}

TEST_F(MainWindowTest, LongFieldsComposeTheirWholeLink) {
  // 16 KiB of words: Wine's edit control wraps a long multi-line text slowly.
  std::string big;
  while (big.size() < (16u << 10)) big += "word ";
  SetBox(kSummaryBoxId, big);
  HandleOpenClick();
  ASSERT_EQ(g_shellCalls.size(), 1u);
  EXPECT_EQ(g_shellCalls[0].file.size(), kHead.size() + Ansi("网址").size() + 7 + Ansi("标题").size() + 9 +
                                             big.size() + 6 + Ansi("评论").size() + kTail.size());
}

// A click allocates the four field texts in read order, then the link: a
// failure at each of them is the fatal error naming the bytes asked for,
// the exit routine does not run, and no block is freed twice.
TEST_F(MainWindowTest, AllocationFailureAtEachPointOfAClickIsFatalAndClean) {
  SetBox(kTitleBoxId, Ansi("标题 & more"));
  HandleOpenClick();
  Text held = LastShareLink;
  for (int failing = 1; failing <= 5; ++failing) {
    SCOPED_TRACE(failing);
    FatalErrorCatcher catcher;
    RecordingHeap heap;
    RecordingHeap::FailAllocation(failing);
    try {
      HandleOpenClick();
      FAIL() << "the click went through";
    } catch (const ProcessEnded& end) {
      EXPECT_EQ(end.exitCode, -1);
    }
    const size_t asked = RecordingHeap::failedSize();
    ASSERT_GT(asked, 0u);
    EXPECT_EQ(FatalErrorCatcher::messages(),
              std::vector<std::string>{Ansi(("分配 " + std::to_string(asked) + " 字节内存失败!").c_str())});
    if (failing == 5) {
      EXPECT_EQ(asked, std::string(held).size() + 1);  // the link: same texts, same size
    }
    std::vector<void*> freed;
    for (const auto& event : RecordingHeap::events()) {
      if (event.allocation) continue;
      EXPECT_EQ(std::count(freed.begin(), freed.end(), event.block), 0) << "freed twice";
      EXPECT_NE(event.block, held) << "the held link went on the fatal path";
      freed.push_back(event.block);
    }
    EXPECT_EQ(LastShareLink, held);
    // The fatal path took the window down; bring it back for the next point.
    ShutdownRuntime();
    InitializeRuntimeWithForm(ReadSourceFile("ui/main_window.form"), ProgramHandlers());
    RegisterExitRoutine(&ReleaseLastShareLink);
    LoadStartupWindow(kMainWindowId);
    window_ = FindWindowA("RuntimeFormWindow", nullptr);
    SetBox(kTitleBoxId, Ansi("标题 & more"));
  }
}

TEST_F(MainWindowTest, CreatedHandlerMovesTheFocusToTheSink) {
  SetFocus(Box(kAddressBoxId));
  HandleMainWindowCreated();
  EXPECT_EQ(GetFocus(), Box(kFocusSinkBoxId));
}

}  // namespace
