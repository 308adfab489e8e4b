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

constexpr char kWindowClass[] = "RuntimeFormWindow";
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kLinkTimeoutMs = 30000;
// Wine 8's shell hands a link of up to this many bytes on whole; a longer one
// reaches the browser as "http://" or not at all.
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

}  // namespace
