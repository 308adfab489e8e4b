// Reliability of the real qqshare.exe, seen from outside: hostile and odd
// field texts, a long run of clicks in one process, closing right after a
// click, and texts far longer than any link the shell can pass on.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <set>
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
// Wine 8's shell hands a link of up to 984 characters on whole (a two-byte
// character counts once); a longer one reaches the browser as "http://" or
// not at all. Links of up to this many bytes are safe either way.
constexpr size_t kShellLimit = 984;

const std::string kHead = "http://" QQSHARE_SHARE_HOST "/widget/shareqq/index.html?url=http%3A%2F%2F";
const std::string kTail = "%5E_%5E&site=discuz%7C&style=103&width=50&height=16";
const char* const kKeys[] = {"&title=", "&summary=", "&desc="};

std::string ExePath() { return e2e::WindowsPath(QQSHARE_EXE); }

std::string Hex(const std::string& bytes, size_t most = 64) {
  std::string out;
  char digits[4];
  for (size_t i = 0; i < bytes.size() && i < most; ++i) {
    std::snprintf(digits, sizeof digits, "%02X ", static_cast<unsigned char>(bytes[i]));
    out += digits;
  }
  if (bytes.size() > most) out += "... (" + std::to_string(bytes.size()) + " bytes)";
  return out;
}

// The four field texts as GBK bytes, in the link's order: address, title,
// summary, comment.
using Texts = std::array<std::string, 4>;
const char* const kFieldNames[] = {"address", "title", "summary", "comment"};

// The bytes the program writes as upper-case %XX into the link.
bool Escaped(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || (byte != 0 && std::strchr("%&#+\"", byte));
}

std::string Encoded(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char byte : text) {
    if (Escaped(byte)) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

// The link the program composes for the texts.
std::string ProgramLink(const Texts& t) {
  return kHead + Encoded(t[0]) + kKeys[0] + Encoded(t[1]) + kKeys[1] + Encoded(t[2]) + kKeys[2] + Encoded(t[3]) +
         kTail;
}

// What the browser gets for a link: Wine's shell turns the ANSI text into
// UTF-8 and escapes the ASCII bytes that may not stand in a query.
std::string BrowserView(const std::string& link) {
  std::string out;
  char escape[4];
  for (unsigned char byte : e2e::Utf8FromGbk(link)) {
    if (byte < 0x80 && std::strchr(" <>\\^`{|}", byte) && byte) {
      std::snprintf(escape, sizeof escape, "%%%02X", byte);
      out += escape;
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

// Splits what the browser got on the constant pieces and percent-decodes the
// four values (UTF-8, as the browser got them). Empty when it does not split.
std::string SplitLink(const std::string& line, Texts* values) {
  if (line.compare(0, kHead.size(), kHead) != 0) return "does not start with the fixed head";
  if (line.size() < kHead.size() + kTail.size() ||
      line.compare(line.size() - kTail.size(), kTail.size(), kTail) != 0)
    return "does not end with the fixed tail";
  // Seven ampersands are the keys': every one typed is escaped.
  size_t ampersands = 0;
  for (char c : line) ampersands += c == '&';
  if (ampersands != 7) return std::to_string(ampersands) + " ampersands instead of 7";
  size_t at = kHead.size();
  for (int i = 0; i < 4; ++i) {
    const size_t end = i < 3 ? line.find(kKeys[i], at) : line.size() - kTail.size();
    if (end == std::string::npos || end < at) return std::string("no ") + kKeys[i];
    (*values)[i] = e2e::PercentDecode(line.substr(at, end - at));
    at = end + (i < 3 ? std::strlen(kKeys[i]) : 0);
  }
  return {};
}

// One argument that stands for itself: no control byte, space or quote that
// could end it or start another.
bool OneCleanArgument(const std::string& line) {
  for (unsigned char byte : line)
    if (byte <= 0x20 || byte == 0x7F || byte == '"') return false;
  return true;
}

// A started qqshare with its four fields and button.
struct Qqshare {
  e2e::Program program;
  HWND window = nullptr;
  std::array<HWND, 4> fields = {};
  HWND open = nullptr;

  Qqshare() : program(ExePath()) {
    if (!program.started() || !(window = program.WaitForWindow(kWindowClass, kStartTimeoutMs))) return;
    fields = {e2e::FindChildAt(window, "Edit", 72, 25, 274, 28), e2e::FindChildAt(window, "Edit", 124, 63, 176, 39),
              e2e::FindChildAt(window, "Edit", 126, 110, 176, 112), e2e::FindChildAt(window, "Edit", 8, 239, 408, 33)};
    open = e2e::FindChildAt(window, "Button", 168, 294, 80, 32);
  }

  bool ready() const { return window && open && fields[0] && fields[1] && fields[2] && fields[3]; }

  bool Fill(const Texts& texts, DWORD timeoutMs = 5000) {
    for (int i = 0; i < 4; ++i)
      if (!e2e::SetText(fields[i], texts[i], timeoutMs)) return false;
    return true;
  }

  Texts Read() const {
    Texts texts;
    for (int i = 0; i < 4; ++i) texts[i] = e2e::ReadText(fields[i]);
    return texts;
  }

  // Waits for the process to end and gives its exit code, STILL_ACTIVE if it
  // did not; an error box that shows meanwhile is read into *box and dismissed.
  DWORD WaitForEnd(std::string* box) {
    DWORD code = STILL_ACTIVE;
    e2e::WaitUntil(
        [&] {
          if (program.WaitForExit(0, &code)) return true;
          if (HWND shown = program.FindTopLevel("#32770", true)) {
            *box = e2e::Utf8FromGbk(e2e::MessageBoxText(shown));
            e2e::DismissMessageBox(shown);
          }
          return false;
        },
        kStartTimeoutMs);
    return code;
  }

  DWORD Close(std::string* box) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return WaitForEnd(box);
  }
};

class Reliability : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "the tests need the Chinese code page (LANG=zh_CN.UTF-8)";
    ASSERT_TRUE(recorder.available()) << "QQ_RECORDER_LOG is not set";
  }

  e2e::Recorder recorder;
};

// --- Hostile and odd texts ------------------------------------------------------

std::string EveryAsciiByte() {
  std::string bytes;
  for (int byte = 0x01; byte <= 0x7F; ++byte) bytes += static_cast<char>(byte);
  return bytes;
}

// A click, and the programs that started while its link went to the browser.
struct Watched {
  bool clicked = false, handedOver = false;
  std::string line;
  std::set<std::string> started;  // names of processes that were not there before
  bool settled = false;           // every one of them ended again
  bool sameWindows = false;       // the same visible top-level windows as before
};

Watched ClickAndWatch(Qqshare& app, e2e::Recorder& recorder) {
  Watched watched;
  std::set<DWORD> old;
  for (const e2e::ProcessEntry& process : e2e::Processes()) old.insert(process.id);
  const std::vector<HWND> windows = e2e::VisibleTopLevelWindows();
  auto newProcesses = [&] {
    std::vector<e2e::ProcessEntry> fresh;
    for (const e2e::ProcessEntry& process : e2e::Processes())
      if (!old.count(process.id)) fresh.push_back(process);
    return fresh;
  };
  recorder.Mark();
  watched.clicked = e2e::SendClick(app.open, kLinkTimeoutMs);
  watched.handedOver = e2e::WaitUntil(
      [&] {
        for (const e2e::ProcessEntry& process : newProcesses()) watched.started.insert(process.exeName);
        return recorder.WaitForNext(0, &watched.line);
      },
      kLinkTimeoutMs);
  watched.settled = e2e::WaitUntil([&] { return newProcesses().empty(); }, 10000);
  watched.sameWindows = e2e::VisibleTopLevelWindows() == windows;
  return watched;
}

TEST_F(Reliability, HostileTextsDecodeBackToWhatWasTypedAndOpenNothingElse) {
  const std::string all = EveryAsciiByte();
  // GBK characters whose trail bytes are "\" and "|".
  const std::string backslashTrail = "\x95\x5C", barTrail = "\x81\x7C";
  ASSERT_EQ(Gbk(e2e::Utf8FromGbk(backslashTrail + barTrail)), backslashTrail + barTrail);
  ASSERT_EQ(e2e::Utf8FromGbk(backslashTrail + barTrail).size(), 6u) << "two characters of three UTF-8 bytes";
  const std::string breakouts[] = {
      "\" --flag",
      "\" --new-window \"file:///C:/windows/win.ini",
      "file:///C:/",
      "javascript:alert(document.cookie)",
      "\\\\host\\share\\run.exe",
      "%00",
      "%",
      "%%41%4%zz%2",
      "&url=http://evil.example/&title=x#frag",
      "$(touch /tmp/qq) `id` ; | & > /tmp/qq",
      "<script>alert(1)</script>",
      Gbk("标题\" --flag"),
  };
  struct Row {
    std::string name;
    Texts texts;
  };
  std::vector<Row> rows = {
      {"every ASCII byte in the address", {all, "-", "-", "-"}},
      {"every ASCII byte in the title", {"-", all, "-", "-"}},
      {"every ASCII byte in the summary", {"-", "-", all, "-"}},
      {"every ASCII byte in the comment", {"-", "-", "-", all}},
      {"every ASCII byte in all four", {all, all, all, all}},
      {"GBK trail bytes 0x5C and 0x7C",
       {backslashTrail + barTrail, "a" + backslashTrail + "\\b" + barTrail + "|c",
        backslashTrail + backslashTrail + "\r\n" + barTrail, "\\" + backslashTrail + "|" + barTrail + "%"}},
  };
  for (const std::string& text : breakouts) rows.push_back({"breakout " + e2e::Utf8FromGbk(text), {text, text, text, text}});

  Qqshare app;
  ASSERT_TRUE(app.ready()) << app.program.DescribeWindows();
  size_t clicks = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string link = ProgramLink(row.texts);
    ASSERT_LE(link.size(), kShellLimit) << "the case must fit through the shell";
    ASSERT_TRUE(app.Fill(row.texts));
    const Texts held = app.Read();
    for (int i = 0; i < 4; ++i) ASSERT_EQ(Hex(held[i], 200), Hex(row.texts[i], 200)) << kFieldNames[i] << " holds";

    const Watched click = ClickAndWatch(app, recorder);
    ++clicks;
    ASSERT_TRUE(click.clicked) << "the click did not return";
    ASSERT_TRUE(click.handedOver) << "the browser got no link";
    EXPECT_TRUE(OneCleanArgument(click.line)) << click.line;
    Texts values;
    const std::string split = SplitLink(click.line, &values);
    ASSERT_EQ(split, "") << click.line;
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(Hex(values[i], 400), Hex(e2e::Utf8FromGbk(row.texts[i]), 400)) << kFieldNames[i] << " in " << click.line;
    EXPECT_EQ(click.line, BrowserView(link));
    // What the program itself composed, NUL right after it.
    EXPECT_GE(app.program.CountInMemory(link), 1u) << "the program holds no link " << link;

    for (const std::string& name : click.started) EXPECT_EQ(name, "winebrowser.exe") << "a program started";
    EXPECT_TRUE(click.settled) << "a program stayed";
    EXPECT_TRUE(click.sameWindows) << "top-level windows came or went";
  }
  // Exactly one link a click: nothing more comes later.
  Sleep(1000);
  std::string late;
  EXPECT_FALSE(recorder.WaitForNext(0, &late)) << "one more link: " << late;
  std::printf("[ figures  ] %zu hostile cases, %zu clicks, every byte 0x01-0x7F in each field\n", rows.size(), clicks);
  std::string box;
  EXPECT_EQ(app.Close(&box), 0u);
  EXPECT_EQ(box, "");
}

// --- A long run -------------------------------------------------------------------

// The texts of click n: different each time in content and length (links of
// 700 to 984 bytes), with two-byte characters, escaped bytes and line breaks.
Texts ClickTexts(int n) {
  const std::string number = std::to_string(n);
  Texts t;
  t[0] = "example.com/share/" + number + "/" + std::string(static_cast<size_t>(40 + n % 7 * 10), 'p') + ".html";
  t[1] = Gbk("第") + number + Gbk("次分享: Tom & Jerry #") + number;
  t[3] = Gbk("评论") + number + " \"100%\" " + std::string(static_cast<size_t>(30 + n % 5 * 8), 'c') + "\r\n";
  const std::string pieces[] = {Gbk("一起读一本好书"), " 100% C++ ", "a<b>c=d?e/f", "\\|^`{}[]", "\r\n", "'$(id)'",
                                Gbk("汉字"), "+-*"};
  const size_t length = 700 + static_cast<size_t>(n) * 53 % (kShellLimit - 700 + 1);
  for (size_t piece = static_cast<size_t>(n);; ++piece) {
    Texts longer = t;
    longer[2] += pieces[piece % (sizeof pieces / sizeof pieces[0])];
    if (ProgramLink(longer).size() > length) break;
    t = longer;
  }
  return t;
}

std::string Describe(const e2e::ProcessFigures& f) {
  char line[200];
  std::snprintf(line, sizeof line,
                "private committed %zu, PrivateUsage %zu, working set %zu, handles %lu (GetProcessHandleCount %lu), "
                "USER %lu GDI %lu, windows %lu",
                static_cast<size_t>(f.committedPrivate), static_cast<size_t>(f.privateUsage),
                static_cast<size_t>(f.workingSet), f.listedHandles, f.handleCount, f.userObjects, f.gdiObjects,
                f.windows);
  return line;
}

TEST_F(Reliability, AThousandClicksEachReachTheShellAndTheProcessStaysFlat) {
  constexpr int kClicks = 1000, kWarmUp = 100;
  Qqshare app;
  ASSERT_TRUE(app.ready()) << app.program.DescribeWindows();
  std::vector<e2e::ProcessFigures> samples;  // after click 100, 200, ...
  int handedOver = 0, right = 0;
  const ULONGLONG start = GetTickCount64();
  for (int n = 1; n <= kClicks; ++n) {
    const Texts texts = ClickTexts(n);
    ASSERT_TRUE(app.Fill(texts)) << "click " << n;
    recorder.Mark();
    ASSERT_TRUE(e2e::SendClick(app.open, kLinkTimeoutMs)) << "click " << n << " did not return";
    std::string line;
    if (!recorder.WaitForNext(kLinkTimeoutMs, &line)) {
      ADD_FAILURE() << "click " << n << ": the browser got no link";
      continue;
    }
    ++handedOver;
    if (line == BrowserView(ProgramLink(texts)))
      ++right;
    else if (handedOver - right <= 3)
      ADD_FAILURE() << "click " << n << " handed over " << line << "\ninstead of " << BrowserView(ProgramLink(texts));
    if (n % 100 == 0) {
      samples.push_back(app.program.Figures());
      std::printf("[ figures  ] after click %4d, %6.1f s: %s\n", n, (GetTickCount64() - start) / 1000.0,
                  Describe(samples.back()).c_str());
    }
  }
  const double seconds = (GetTickCount64() - start) / 1000.0;
  std::printf("[ figures  ] %d clicks in %.1f s (%.0f ms a click), %d links handed over, %d as expected\n", kClicks,
              seconds, seconds * 1000 / kClicks, handedOver, right);
  EXPECT_EQ(handedOver, kClicks);
  EXPECT_EQ(right, kClicks);

  ASSERT_EQ(samples.size(), static_cast<size_t>(kClicks / 100));
  const e2e::ProcessFigures& warm = samples[kWarmUp / 100 - 1];
  const e2e::ProcessFigures& end = samples.back();
  ASSERT_TRUE(warm.read && end.read);
  // Losing even the smallest block a click makes (a field text of some 30
  // bytes and its heap header) would add over 40 KiB in 900 clicks; 32 KiB
  // leaves the heap room for a few pages of its own.
  EXPECT_LE(end.committedPrivate, warm.committedPrivate + 32 * 1024) << "private committed bytes grew";
  // One lost handle a click would add 900.
  EXPECT_LE(end.listedHandles, warm.listedHandles + 4) << "handles grew";
  EXPECT_EQ(end.windows, warm.windows);

  std::string box;
  EXPECT_EQ(app.Close(&box), 0u) << "after " << kClicks << " clicks";
  EXPECT_EQ(box, "");
}

// --- Closing right after a click ----------------------------------------------------

// A point of the window's close button, found by asking the window itself.
bool CloseButtonPoint(HWND window, POINT* point) {
  RECT outer;
  GetWindowRect(window, &outer);
  for (int y = outer.top + 2; y < outer.top + 40; y += 2)
    for (int x = outer.right - 2; x > outer.right - 80; x -= 2) {
      DWORD_PTR hit = 0;
      if (SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 5000, &hit) &&
          hit == HTCLOSE) {
        *point = {x - 4, y + 4};  // a little inside, away from the edge found first
        return SendMessageTimeoutA(window, WM_NCHITTEST, 0, MAKELPARAM(point->x, point->y), SMTO_ABORTIFHUNG, 5000,
                                   &hit) &&
               hit == HTCLOSE;
      }
    }
  return false;
}

TEST_F(Reliability, ClosingRightAfterAClickEndsWithZero) {
  enum Way { kEscape, kAltF4, kCloseButton, kSystemMenu };
  const struct {
    const char* name;
    Way way;
  } cases[] = {
      {"Esc posted to the focused field", kEscape},
      {"Alt+F4 typed (SendInput)", kAltF4},
      {"a mouse click on the close button (SendInput)", kCloseButton},
      {"the system menu's Close (WM_SYSCOMMAND SC_CLOSE posted)", kSystemMenu},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Qqshare app;
    ASSERT_TRUE(app.ready()) << app.program.DescribeWindows();
    const Texts texts = {"example.com/closing", c.name, Gbk("关闭中"), "#" + std::to_string(c.way)};
    ASSERT_TRUE(app.Fill(texts));
    POINT closeButton = {};
    if (c.way != kEscape && c.way != kSystemMenu) {
      ASSERT_TRUE(e2e::BringToFront(app.window, 5000)) << "the window did not come to the front";
      if (c.way == kCloseButton) {
        ASSERT_TRUE(CloseButtonPoint(app.window, &closeButton)) << "no close button found";
      }
    }
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(app.window, nullptr), &gui));
    recorder.Mark();
    // The click waits in the queue; the closing follows right behind it.
    PostMessageA(app.open, BM_CLICK, 0, 0);
    switch (c.way) {
      case kEscape:
        ASSERT_NE(gui.hwndFocus, nullptr);
        e2e::PostKey(gui.hwndFocus, VK_ESCAPE);
        break;
      case kAltF4:
        ASSERT_TRUE(e2e::PressKeys({VK_MENU, VK_F4}));
        break;
      case kCloseButton:
        ASSERT_TRUE(e2e::ClickAt(closeButton));
        break;
      case kSystemMenu:
        PostMessageA(app.window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    std::string box;
    EXPECT_EQ(app.WaitForEnd(&box), 0u) << app.program.DescribeWindows();
    EXPECT_EQ(box, "") << "an error box showed";
    std::string line;
    ASSERT_TRUE(recorder.WaitForNext(kLinkTimeoutMs, &line)) << "the click before the closing was lost";
    EXPECT_EQ(line, BrowserView(ProgramLink(texts)));
  }
}

// --- Big texts ----------------------------------------------------------------------

// Texts with two-byte characters and escaped bytes whose link is exactly
// linkLength bytes long; the summary takes up the length with words.
Texts TextsForLinkLength(size_t linkLength) {
  Texts t = {"example.com/a?b=1&c=2", Gbk("标题 & 100%"), Gbk("附加") + "\r\n", Gbk("评论#")};
  const size_t base = ProgramLink(t).size();
  std::string words;
  while (words.size() + base < linkLength) words += "word ";
  words.resize(linkLength > base ? linkLength - base : 0);
  t[2] += words;
  return t;
}

// Past its limit Wine 8's shell hands the browser "http://" (985 to 995
// characters) or nothing; from some 2,620 bytes on it ends the calling
// process (exit code 0, no box), in a program of a few lines as in this one.
// So longer links are composed in-process, through a stand-in for the shell.
TEST_F(Reliability, LinksUpToTheShellsLimitArriveWholeAndLongerOnesLeaveTheProgramWell) {
  Qqshare app;
  ASSERT_TRUE(app.ready()) << app.program.DescribeWindows();
  std::string arrivals;
  for (size_t length : {500u, 900u, 983u, 984u, 985u, 995u, 996u, 1024u, 2000u}) {
    SCOPED_TRACE("a link of " + std::to_string(length) + " bytes");
    const Texts texts = TextsForLinkLength(length);
    const std::string link = ProgramLink(texts);
    ASSERT_EQ(link.size(), length);
    ASSERT_TRUE(app.Fill(texts, 60000));
    recorder.Mark();
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(e2e::SendClick(app.open, kLinkTimeoutMs)) << "the click did not return";
    const ULONGLONG clicked = GetTickCount64();
    EXPECT_TRUE(e2e::Responsive(app.window, 5000));
    EXPECT_GE(app.program.CountInMemory(link), 1u) << "the program composed no link of that length";
    std::string line;
    const bool arrived = recorder.WaitForNext(length <= kShellLimit ? kLinkTimeoutMs : 3000, &line);
    if (length <= kShellLimit) {
      EXPECT_TRUE(arrived);
      EXPECT_EQ(line, BrowserView(link));
    }
    arrivals += "\n             " + std::to_string(length) + " bytes: click " + std::to_string(clicked - start) +
                " ms, the browser got " +
                (!arrived ? std::string("nothing")
                          : line == BrowserView(link) ? "the whole link"
                                                      : "\"" + line.substr(0, 80) + "\" (" +
                                                            std::to_string(line.size()) + " bytes)");
  }
  std::printf("[ figures  ] links through the real shell:%s\n", arrivals.c_str());
  std::string box;
  EXPECT_EQ(app.Close(&box), 0u);
  EXPECT_EQ(box, "");
}

// Lines with two-byte characters and escaped bytes, exactly size bytes.
std::string BigLines(size_t size, int field) {
  std::string text;
  for (int n = 1;; ++n) {
    const std::string line = Gbk("第") + std::to_string(n) + Gbk("行 ") + kFieldNames[field] +
                             " Tom & Jerry 100% #" + std::to_string(n) + " <a href=\"x\">\r\n";
    if (text.size() + line.size() > size) break;
    text += line;
  }
  text.resize(size, 'z');
  return text;
}

// One paragraph of words, as a pasted text is.
std::string BigWords(size_t size) {
  std::string text;
  while (text.size() < size) text += "abcdefg ";
  text.resize(size);
  return text;
}

// Not clicked: a link this long would end the process in Wine 8's shell
// (above).
TEST_F(Reliability, SixtyFourKiBInEachFieldAndTypedPastTheBoxLimit) {
  constexpr size_t kSize = 64 * 1024;
  const std::string typed = "Z9";
  Qqshare app;
  ASSERT_TRUE(app.ready()) << app.program.DescribeWindows();
  const e2e::ProcessFigures before = app.program.Figures();
  Texts texts = {BigLines(kSize, 0), BigLines(kSize, 1), BigWords(kSize), BigLines(kSize, 3)};
  std::string timings;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(kFieldNames[i]);
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(e2e::SetText(app.fields[i], texts[i], 300000)) << "WM_SETTEXT of 64 KiB was not taken";
    const ULONGLONG set = GetTickCount64();
    // MaxLength 0 asks for the system's largest limit, far above the box's
    // default and above what is there now, so typing goes on.
    DWORD_PTR limit = 0;
    ASSERT_TRUE(SendMessageTimeoutA(app.fields[i], EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 5000, &limit));
    EXPECT_GE(static_cast<DWORD>(limit), 0x7FFFFFFEu);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(app.fields[i], EM_SETSEL, kSize, kSize, SMTO_ABORTIFHUNG, 5000, &ignored);
    e2e::PostChars(app.fields[i], typed);
    texts[i] += typed;
    std::string now;
    EXPECT_TRUE(e2e::WaitUntil([&] { return (now = e2e::ReadText(app.fields[i])).size() >= texts[i].size(); }, 120000));
    EXPECT_TRUE(now == texts[i]) << "the field holds " << now.size() << " bytes, " << Hex(now.substr(now.size() > 8 ? now.size() - 8 : 0));
    timings += std::string(" ") + kFieldNames[i] + " set " + std::to_string(set - start) + " ms, typed " +
               std::to_string(GetTickCount64() - set) + " ms;";
  }
  const e2e::ProcessFigures filled = app.program.Figures();

  EXPECT_TRUE(e2e::Responsive(app.window, 5000));
  std::printf("[ figures  ] 4 x %zu bytes + %zu typed (a click's link would be %zu bytes):%s\n", kSize, typed.size(),
              ProgramLink(texts).size(), timings.c_str());
  std::printf("[ figures  ] before filling: %s\n             filled: %s\n", Describe(before).c_str(),
              Describe(filled).c_str());
  // The measure the long run relies on sees the boxes' texts come.
  EXPECT_GE(filled.committedPrivate, before.committedPrivate + 4 * kSize);
  std::string box;
  EXPECT_EQ(app.Close(&box), 0u);
  EXPECT_EQ(box, "");
}

}  // namespace
