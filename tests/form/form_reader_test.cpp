// The form description reader: what it reads and what it refuses.
#include "runtime/form.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

void Routine() {}
void OtherRoutine() {}

const HandlerBinding kBindings[] = {{"Routine", &Routine}, {"OtherRoutine", &OtherRoutine}};
const HandlerTable kHandlers = {kBindings, 2};

// Marks converted text, to show which bytes went through the conversion.
std::string Bracketed(std::string_view utf8) { return "[" + std::string(utf8) + "]"; }
std::string Same(std::string_view utf8) { return std::string(utf8); }

bool Read(const std::string& text, FormDescription& form, FormReadError& error,
          TextConverter converter = &Same) {
  return ReadFormDescription(text, kHandlers, converter, form, error);
}

std::string WithWindow(const std::string& body) {
  return "qqform 1\nunit 窗口 0x52010001 \"\"\n" + body + "end\n";
}

TEST(FormReaderTest, ReadsTheProgramsOwnForm) {
  std::ifstream file(QQSHARE_SOURCE_DIR "/ui/main_window.form", std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  static const HandlerBinding bindings[] = {{"HandleMainWindowCreated", &Routine},
                                            {"HandleOpenClick", &OtherRoutine}};
  FormDescription form;
  FormReadError error;
  ASSERT_TRUE(ReadFormDescription(text.str(), {bindings, 2}, &Same, form, error))
      << "line " << error.line << ": " << error.what;
  const Unit* window = form.WindowById(0x52010001);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Bytes(window::Caption), "自定义指定内容分享到qq好友或群      by:dorak");
  EXPECT_EQ(window->Handler(window::Created), &Routine);
  ASSERT_EQ(window->children.size(), 7u);
  const char* names[] = {"编辑框5", "时钟1", "按钮1", "编辑框4", "编辑框3", "编辑框2", "编辑框1"};
  const uint32_t ids[] = {0x1601001D, 0x16010015, 0x16010008, 0x16010007, 0x16010006, 0x16010005, 0x16010004};
  for (size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(window->children[i].name, names[i]);
    EXPECT_EQ(window->children[i].id, ids[i]);
  }
  const Unit& button = window->children[2];
  EXPECT_EQ(button.Bytes(button::Caption), "打开");
  EXPECT_EQ(button.Handler(button::Clicked), &OtherRoutine);
  const Unit& address = window->children[6];
  EXPECT_EQ(address.Bytes(edit_box::Content), "网址");
  EXPECT_EQ(address.Colour(edit_box::TextColor), 0xC0C0C0u);
  EXPECT_EQ(address.Number(common::Height), 28);
  // 编辑框5 writes no kind settings: every default.
  const Unit& sink = window->children[0];
  EXPECT_EQ(sink.Number(edit_box::BorderStyle), 1);
  EXPECT_EQ(sink.Colour(edit_box::BackColor), 0xFFFFFFu);
  EXPECT_EQ(sink.Bytes(edit_box::PasswordChar), "*");
  EXPECT_EQ(sink.Number(edit_box::SpinnerMax), 100);
  EXPECT_EQ(sink.Number(edit_box::MultiLine), 0);
}

TEST(FormReaderTest, UnwrittenSettingsKeepTheirDefaults) {
  FormDescription form;
  FormReadError error;
  ASSERT_TRUE(Read(WithWindow("  unit 按钮 7 \"b\"\n  end\n  unit Timer 8 \"t\"\n  end\n"), form, error, &Bracketed))
      << error.what;
  const Unit& window = form.windows[0];
  EXPECT_EQ(window.version, kNewestSettingsVersion);
  EXPECT_EQ(window.Number(window::BorderStyle), 2);
  EXPECT_EQ(window.Colour(window::BackColor), kButtonFaceColour);
  EXPECT_EQ(window.Number(window::PictureMode), 1);
  EXPECT_EQ(window.Number(window::StartPosition), 1);
  EXPECT_EQ(window.Number(common::Visible), 1);
  EXPECT_EQ(window.Handler(window::Created), nullptr);
  EXPECT_EQ(window.children[0].Bytes(button::Caption), "[按钮]");  // defaults are converted too
  EXPECT_EQ(window.children[0].Number(button::HorizontalAlign), 1);
  EXPECT_EQ(window.children[1].Number(timer::Interval), 0);
}

TEST(FormReaderTest, ReadsEachKindOfValue) {
  FormDescription form;
  FormReadError error;
  ASSERT_TRUE(Read("\xEF\xBB\xBF" + WithWindow(
                       "  # a comment\r\n"
                       "\n"
                       "  version 3\n"
                       "  Left -12\n"
                       "  Top 0x10\n"
                       "  BackColor 0xFF000000\n"
                       "  Caption \"a \\\"b\\\" \\\\ \\r\\n\\t \\xB1\\xEA 标题\"\n"
                       "  Icon <00ff7F>\n"
                       "  BackPicture <>\n"
                       "  MousePointer <0102>\n"
                       "  HelpContext -2147483648\n"
                       "  on Close OtherRoutine\n"
                       "  unit EditBox 0x1601001D \"编辑框5\"\n"
                       "    PasswordChar \"\\x23\"\n"
                       "    MousePointer 3\n"
                       "  end\n"),
                   form, error, &Bracketed))
      << "line " << error.line << ": " << error.what;
  const Unit& w = form.windows[0];
  EXPECT_EQ(w.version, 3);
  EXPECT_EQ(w.Number(common::Left), -12);
  EXPECT_EQ(w.Number(common::Top), 16);
  EXPECT_EQ(w.Colour(window::BackColor), 0xFF000000u);
  // Literal runs are converted, \x bytes go in raw.
  EXPECT_EQ(w.Bytes(window::Caption), "[a \"b\" \\ \r\n\t ]\xB1\xEA[ 标题]");
  EXPECT_EQ(w.Bytes(window::Icon), std::string("\x00\xff\x7f", 3));
  EXPECT_EQ(w.Bytes(window::BackPicture), "");
  EXPECT_EQ(w.Bytes(common::MousePointer), "\x01\x02");
  EXPECT_EQ(w.Number(window::HelpContext), INT32_MIN);
  EXPECT_EQ(w.Handler(window::Close), &OtherRoutine);
  EXPECT_EQ(w.children[0].Bytes(edit_box::PasswordChar), "#");
  EXPECT_EQ(w.children[0].Number(common::MousePointer), 3);
}

struct BadCase {
  const char* name;
  std::string text;
};

TEST(FormReaderTest, RefusesMalformedDescriptions) {
  const BadCase cases[] = {
      {"empty", ""},
      {"no header", "unit 窗口 1 \"\"\nend\n"},
      {"wrong format", "qqform 2\nunit 窗口 1 \"\"\nend\n"},
      {"header only", "qqform 1\n"},
      {"unknown kind", "qqform 1\nunit 窗体 1 \"\"\nend\n"},
      {"control at top level", "qqform 1\nunit 按钮 1 \"\"\nend\n"},
      {"window in window", WithWindow("unit 窗口 2 \"\"\nend\n")},
      {"unit inside a control", WithWindow("unit 按钮 2 \"\"\nunit 按钮 3 \"\"\nend\nend\n")},
      {"missing end", "qqform 1\nunit 窗口 1 \"\"\n"},
      {"missing control end", WithWindow("unit 按钮 2 \"\"\n")},
      {"junk after end", WithWindow("") + "junk\n"},
      {"end with junk", "qqform 1\nunit 窗口 1 \"\"\nend x\n"},
      {"unknown setting", WithWindow("Colour 1\n")},
      {"kind setting of another kind", WithWindow("Content \"x\"\n")},
      {"setting twice", WithWindow("Left 1\nLeft 2\n")},
      {"no value", WithWindow("Left\n")},
      {"two values", WithWindow("Left 1 2\n")},
      {"text for integer", WithWindow("Left \"1\"\n")},
      {"integer for text", WithWindow("Caption 1\n")},
      {"bad integer", WithWindow("Left 1x\n")},
      {"integer overflow", WithWindow("Left 2147483648\n")},
      {"hex overflow", WithWindow("Left 0x100000000\n")},
      {"flag out of range", WithWindow("Visible 2\n")},
      {"choice out of range", WithWindow("BorderStyle 7\n")},
      {"negative choice", WithWindow("StartPosition -1\n")},
      {"two-byte password char", WithWindow("unit 编辑框 2 \"\"\nPasswordChar \"**\"\nend\n")},
      {"odd hex digits", WithWindow("Icon <abc>\n")},
      {"bad hex digit", WithWindow("Icon <zz>\n")},
      {"unterminated data", WithWindow("Icon <00\n")},
      {"unterminated text", WithWindow("Caption \"abc\n")},
      {"unknown escape", WithWindow("Caption \"\\q\"\n")},
      {"bad x escape", WithWindow("Caption \"\\xG1\"\n")},
      {"value glued to text", WithWindow("Caption \"a\"b\n")},
      {"unknown event", WithWindow("on Clicked Routine\n")},
      {"unknown routine", WithWindow("on Created NoSuchRoutine\n")},
      {"event bound twice", WithWindow("on Created Routine\non Created OtherRoutine\n")},
      {"duplicate window id", "qqform 1\nunit 窗口 1 \"\"\nend\nunit 窗口 1 \"\"\nend\n"},
      {"duplicate control id", WithWindow("unit 按钮 2 \"\"\nend\nunit 时钟 2 \"\"\nend\n")},
      {"unquoted name", "qqform 1\nunit 窗口 1 MainWindow\nend\n"},
      {"version twice", WithWindow("version 6\nversion 5\n")},
      {"version in a control", WithWindow("unit 按钮 2 \"\"\nversion 6\nend\n")},
  };
  for (const BadCase& c : cases) {
    FormDescription form;
    FormReadError error;
    EXPECT_FALSE(Read(c.text, form, error)) << c.name;
    EXPECT_FALSE(error.what.empty()) << c.name;
  }
}

TEST(FormReaderTest, ReportsTheLineOfTheFault) {
  FormDescription form;
  FormReadError error;
  ASSERT_FALSE(Read("qqform 1\nunit 窗口 1 \"\"\n  Left 1\n  Wdth 2\nend\n", form, error));
  EXPECT_EQ(error.line, 4);
}

TEST(FormReaderTest, AVersionAboveTheNewestIsReadAndKept) {
  // Whether such a window can be made is the loader's call, not the reader's.
  FormDescription form;
  FormReadError error;
  ASSERT_TRUE(Read(WithWindow("version 7\n"), form, error)) << error.what;
  EXPECT_EQ(form.windows[0].version, 7);
}

}  // namespace
