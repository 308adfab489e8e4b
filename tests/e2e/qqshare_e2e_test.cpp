// The real qqshare.exe, driven from outside as a user and the shell see it:
// its window and controls, the links a click hands to the browser, how it
// ends, and how it fails on a damaged form.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver.h"

#ifndef QQSHARE_EXE
#error "QQSHARE_EXE must name the built qqshare.exe"
#endif

namespace {

using e2e::Gbk;

using e2e::kLinkTimeoutMs;
using e2e::kStartTimeoutMs;
using e2e::kWindowClass;

// What the browser is handed before the address: Wine's shell passes the
// program's escapes through unchanged.
const std::string kLinkHead = "http://" QQSHARE_SHARE_HOST "/widget/shareqq/index.html?url=http%3A%2F%2F";
const std::string kLinkTail = "%5E_%5E&site=discuz%7C&style=103&width=50&height=16";

std::string ExePath() { return e2e::WindowsPath(QQSHARE_EXE); }

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

std::string Hex(const std::string& bytes) {
  std::string out;
  char digits[4];
  for (unsigned char byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02X ", byte);
    out += digits;
  }
  return out;
}

// A started qqshare with its main window shown.
struct Started {
  e2e::Program program;
  HWND window = nullptr;

  explicit Started(const std::string& exe, const std::string& arguments = "", const std::string& directory = "")
      : program(exe, arguments, directory) {
    if (program.started()) window = program.WaitForWindow(kWindowClass, kStartTimeoutMs);
  }

  // WM_CLOSE, then the exit code; STILL_ACTIVE if it did not end in time.
  DWORD Close() {
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = STILL_ACTIVE;
    program.WaitForExit(kStartTimeoutMs, &code);
    return code;
  }
};

class QqshareTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "the tests need the Chinese code page (LANG=zh_CN.UTF-8)";
    ASSERT_NE(GetFileAttributesA(ExePath().c_str()), INVALID_FILE_ATTRIBUTES) << ExePath();
  }
};

// --- The window as it shows ------------------------------------------------------

struct RosterRow {
  const char* name;
  const char* className;
  int left, top, width, height;
  const char* text;  // UTF-8
};

const RosterRow kRoster[] = {
    {"编辑框5", "Edit", 568, 184, 80, 20, ""},
    {"按钮1", "Button", 168, 294, 80, 32, "打开"},
    {"编辑框4", "Edit", 124, 63, 176, 39, "标题"},
    {"编辑框3", "Edit", 8, 239, 408, 33, "评论"},
    {"编辑框2", "Edit", 126, 110, 176, 112, "附加内容"},
    {"编辑框1", "Edit", 72, 25, 274, 28, "网址"},
};

TEST_F(QqshareTest, ShowsItsWindowWhenStartedElsewhereWithAStrayArgument) {
  char elsewhere[MAX_PATH];
  GetWindowsDirectoryA(elsewhere, MAX_PATH);
  Started app(ExePath(), "--stray-argument /x", elsewhere);
  ASSERT_TRUE(app.program.started()) << "CreateProcess failed: " << GetLastError();
  ASSERT_NE(app.window, nullptr) << "no visible " << kWindowClass << " window";

  // The run's current directory is the executable's folder.
  std::string directory = app.program.CurrentDirectory();
  while (!directory.empty() && directory.back() == '\\') directory.pop_back();
  EXPECT_EQ(lstrcmpiA(directory.c_str(), Folder(ExePath()).c_str()), 0) << directory;

  const std::string caption = e2e::ReadText(app.window);
  EXPECT_EQ(caption, Gbk("自定义指定内容分享到qq好友或群      by:dorak")) << Hex(caption);
  EXPECT_EQ(caption.size(), 44u);
  // The stored outer size, centred on the screen.
  RECT outer;
  GetWindowRect(app.window, &outer);
  EXPECT_EQ(outer.right - outer.left, 430);
  EXPECT_EQ(outer.bottom - outer.top, 364);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 430) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 364) / 2);

  // The system adds WS_CLIPSIBLINGS to every top-level window, and
  // WS_EX_WINDOWEDGE to one with a dialog frame.
  const LONG style = GetWindowLongA(app.window, GWL_STYLE);
  EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS), 0x02CA0000) << std::hex << style;
  EXPECT_TRUE(style & WS_VISIBLE);
  const LONG exStyle = GetWindowLongA(app.window, GWL_EXSTYLE);
  EXPECT_EQ(exStyle & ~WS_EX_WINDOWEDGE, 0) << std::hex << exStyle;

  // Seven controls: five edit boxes and the button show, the timer never does.
  const std::vector<e2e::Child> children = e2e::Children(app.window);
  EXPECT_EQ(children.size(), 7u);
  int visibleControls = 0;
  for (const e2e::Child& child : children) {
    visibleControls += child.visible;
    if (child.visible) continue;
    const RECT& r = child.place;
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::vector<LONG>{376, 160, 26, 26}))
        << "the hidden control is the timer";
  }
  EXPECT_EQ(visibleControls, 6);
  for (const RosterRow& row : kRoster) {
    SCOPED_TRACE(row.name);
    HWND control = e2e::FindChildAt(app.window, row.className, row.left, row.top, row.width, row.height);
    ASSERT_NE(control, nullptr) << "no " << row.className << " at " << row.left << "," << row.top << " "
                                << row.width << "x" << row.height;
    EXPECT_TRUE(IsWindowVisible(control));
    const std::string text = e2e::ReadText(control);
    EXPECT_EQ(text, Gbk(row.text)) << Hex(text);
  }
  // The focus sink lies wholly right of the client area.
  RECT client;
  GetClientRect(app.window, &client);
  EXPECT_LT(client.right, 568);

  EXPECT_EQ(app.Close(), 0u);
}

// --- Clicks and the links they hand over ----------------------------------------

struct Fields {
  HWND address, title, summary, comment, open;
};

Fields FindFields(HWND window) {
  return {e2e::FindChildAt(window, "Edit", 72, 25, 274, 28), e2e::FindChildAt(window, "Edit", 124, 63, 176, 39),
          e2e::FindChildAt(window, "Edit", 126, 110, 176, 112), e2e::FindChildAt(window, "Edit", 8, 239, 408, 33),
          e2e::FindChildAt(window, "Button", 168, 294, 80, 32)};
}

// Texts are UTF-8 here; a null field is left as it is.
struct LinkCase {
  const char* name;
  const char* address;
  const char* title;
  const char* summary;
  const char* comment;
  // What the browser gets between the head and the tail (Wine hands it
  // UTF-8, with spaces as %20).
  const char* expected;
};

const LinkCase kLinkCases[] = {
    {"initial texts", nullptr, nullptr, nullptr, nullptr, "网址&title=标题&summary=附加内容&desc=评论"},
    {"worked example", "abc/1.html", "Hello", "two words", "Nice",
     "abc/1.html&title=Hello&summary=two%20words&desc=Nice"},
    {"emptied fields", "", "", "", "", "&title=&summary=&desc="},
    {"Tom & Jerry", "example.com/a?b=1&c=2#top", "Tom & Jerry", "100% C++ \"quoted\"", "好=好",
     "example.com/a?b=1%26c=2%23top&title=Tom%20%26%20Jerry&summary=100%25%20C%2B%2B%20%22quoted%22"
     "&desc=好=好"},
    {"line breaks", "example.com", "第一行\r\n第二行", "a\tb", "end\r\n",
     "example.com&title=第一行%0D%0A第二行&summary=a%09b&desc=end%0D%0A"},
    {"own scheme", "http://example.com/x.html", "周末读书会", "一起读一本好书", "推荐!",
     "http://example.com/x.html&title=周末读书会&summary=一起读一本好书&desc=推荐!"},
};

TEST_F(QqshareTest, EachClickHandsTheBrowserTheLinkOfTheFieldsThen) {
  e2e::Recorder recorder;
  ASSERT_TRUE(recorder.available()) << "QQ_RECORDER_LOG is not set";
  Started app(ExePath());
  ASSERT_NE(app.window, nullptr);
  const Fields fields = FindFields(app.window);
  ASSERT_TRUE(fields.address && fields.title && fields.summary && fields.comment && fields.open);

  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.name);
    const HWND boxes[] = {fields.address, fields.title, fields.summary, fields.comment};
    const char* texts[] = {c.address, c.title, c.summary, c.comment};
    for (int i = 0; i < 4; ++i) {
      if (!texts[i]) continue;
      e2e::SetText(boxes[i], Gbk(texts[i]));
      ASSERT_EQ(e2e::ReadText(boxes[i]), Gbk(texts[i])) << "field " << i;
    }
    recorder.Mark();
    PostMessageA(fields.open, BM_CLICK, 0, 0);
    std::string link;
    ASSERT_TRUE(recorder.WaitForNext(kLinkTimeoutMs, &link)) << "the browser got no link";
    EXPECT_EQ(link, kLinkHead + c.expected + kLinkTail);
  }
  EXPECT_EQ(app.Close(), 0u) << "after several clicks";
}

TEST_F(QqshareTest, TypedCharactersAndLineBreaksReachTheLink) {
  e2e::Recorder recorder;
  ASSERT_TRUE(recorder.available());
  Started app(ExePath());
  ASSERT_NE(app.window, nullptr);
  const Fields fields = FindFields(app.window);
  ASSERT_TRUE(fields.address && fields.title && fields.summary && fields.comment && fields.open);

  // Keys go through the program's own loop and TranslateMessage; with no
  // Shift held the letters come out lower-case. Each WM_CHAR that
  // TranslateMessage makes is posted behind what is already queued, so one
  // field takes either keys or characters. Characters are ASCII: Wine's
  // keyboard layout here turns posted two-byte characters into "?".
  e2e::SetText(fields.address, "");
  for (UINT key : {UINT('Q'), UINT('Q'), UINT(VK_OEM_PERIOD), UINT('C'), UINT('O'), UINT('M'), UINT(VK_OEM_2), UINT('1')})
    e2e::PostKey(fields.address, key);
  e2e::SetText(fields.title, "");
  e2e::PostChars(fields.title, "C# & C++");
  // Enter in a multi-line field is a line break: CR LF.
  e2e::SetText(fields.summary, "");
  for (UINT key : {UINT('O'), UINT('N'), UINT('E'), UINT(VK_RETURN), UINT('T'), UINT('W'), UINT('O')})
    e2e::PostKey(fields.summary, key);
  e2e::PostKey(fields.comment, VK_END);
  e2e::PostChars(fields.comment, "#1");

  const struct {
    HWND box;
    std::string text;
  } typed[] = {{fields.address, "qq.com/1"},
               {fields.title, "C# & C++"},
               {fields.summary, "one\r\ntwo"},
               {fields.comment, Gbk("评论#1")}};
  for (const auto& t : typed) {
    std::string now;
    EXPECT_TRUE(e2e::WaitUntil([&] { return (now = e2e::ReadText(t.box)) == t.text; }, 10000))
        << Hex(now) << "instead of " << Hex(t.text);
  }

  recorder.Mark();
  PostMessageA(fields.open, BM_CLICK, 0, 0);
  std::string link;
  ASSERT_TRUE(recorder.WaitForNext(kLinkTimeoutMs, &link));
  EXPECT_EQ(link, kLinkHead + "qq.com/1&title=C%23%20%26%20C%2B%2B&summary=one%0D%0Atwo&desc=评论%231" + kLinkTail);
  EXPECT_EQ(app.Close(), 0u);
}

// --- Fatal errors on a damaged form -----------------------------------------------

BOOL CALLBACK TakeLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
  *reinterpret_cast<WORD*>(param) = language;
  return FALSE;
}

// The form text stored in an exe, and the language it is stored under.
std::string StoredForm(const std::string& exe, WORD* language) {
  HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  std::string text;
  *language = 0;
  EnumResourceLanguagesA(module, RT_RCDATA, "FORM", &TakeLanguage, reinterpret_cast<LONG_PTR>(language));
  if (HRSRC resource = FindResourceA(module, "FORM", RT_RCDATA)) {
    HGLOBAL loaded = LoadResource(module, resource);
    text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, resource));
  }
  FreeLibrary(module);
  return text;
}

std::string CopiesFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "qqshare-e2e-" + std::to_string(GetCurrentProcessId());
}

// A copy of the exe in a folder of the test's own with its form rewritten.
std::string CopyWithForm(const std::string& name, const std::string& form) {
  const std::string folder = CopiesFolder();
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string copy = folder + "\\" + name + ".exe";
  if (!CopyFileA(ExePath().c_str(), copy.c_str(), FALSE)) return {};
  WORD language = 0;
  if (StoredForm(copy, &language).empty()) return {};
  HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
  if (!update) return {};
  if (!UpdateResourceA(update, RT_RCDATA, "FORM", language, const_cast<char*>(form.data()),
                       static_cast<DWORD>(form.size()))) {
    EndUpdateResourceA(update, TRUE);
    return {};
  }
  if (!EndUpdateResourceA(update, FALSE)) return {};
  // The copy must hold what was asked for, or the case tests nothing.
  WORD written = 0;
  return StoredForm(copy, &written) == form ? copy : std::string();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST_F(QqshareTest, ADamagedFormShowsTheErrorBoxAndEndsWithMinusOne) {
  WORD language = 0;
  const std::string form = StoredForm(ExePath(), &language);
  ASSERT_NE(form.find("0x52010001"), std::string::npos) << "the form names its window";
  const std::string garbage("\x00\x01 not a form {{\xff\xfe", 16);
  const std::string otherWindowId = Replaced(form, "0x52010001", "0x52010002");
  const std::string headerOnly = "qqform 1\n";
  const std::string newerVersion = Replaced(form, "version 6", "version 7");
  ASSERT_NE(newerVersion, form);

  const struct {
    const char* name;
    const std::string* form;
    const char* message;
  } cases[] = {
      {"garbage", &garbage, "载入窗口模板数据段出错!"},
      {"headeronly", &headerOnly, "载入窗口模板数据段出错!"},
      {"version7", &newerVersion, "载入启动窗口失败"},
      {"otherid", &otherWindowId, "载入启动窗口失败"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string copy = CopyWithForm(c.name, *c.form);
    ASSERT_FALSE(copy.empty()) << "could not write the copy";
    e2e::Program program(copy);
    ASSERT_TRUE(program.started());
    HWND box = e2e::WaitForMessageBox(program, kStartTimeoutMs);
    DWORD early = 0;
    ASSERT_NE(box, nullptr) << "no error box; "
                            << (program.WaitForExit(0, &early) ? "ended with " + std::to_string(early)
                                                               : "still running, " + program.DescribeWindows());
    const std::string text = e2e::MessageBoxText(box);
    EXPECT_EQ(text, Gbk(c.message)) << Hex(text);
    EXPECT_EQ(program.FindTopLevel(kWindowClass, false), nullptr) << "a window exists beside the box";
    // It ends only once the box is dismissed.
    Sleep(200);
    EXPECT_TRUE(program.Running());
    e2e::DismissMessageBox(box);
    DWORD code = 0;
    ASSERT_TRUE(program.WaitForExit(kStartTimeoutMs, &code)) << "still running after the box went";
    EXPECT_EQ(code, 0xFFFFFFFFu);
    DeleteFileA(copy.c_str());
  }
  RemoveDirectoryA(CopiesFolder().c_str());
}

}  // namespace
