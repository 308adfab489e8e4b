// The unit kinds and their settings as data: one table per kind that the
// form reader, the defaults and the makers all use.
#pragma once
#include <cstddef>
#include <cstdint>

enum class ValueType {
  Integer,    // signed 32 bits
  Flag,       // 0 or 1
  Choice,     // minimum..maximum
  Colour,     // COLORREF; 0xFF000000 is the button-face colour
  Text,       // ANSI bytes
  Data,       // raw bytes, empty for none
  Font,       // empty, or a 60-byte LOGFONTA
  Pointer,    // cursor code, or cursor data
  Character,  // exactly one byte
};

struct SettingDef {
  const char* name;
  int number;  // the setting's stored number; -1 for TabStop and FocusOrder
  ValueType type;
  int32_t defaultNumber;
  const char* defaultText;  // UTF-8, for Text and Character
  int32_t minimum = 0;      // Choice only
  int32_t maximum = 0;
};

enum class UnitKind { Window, EditBox, Button, Timer };

struct KindDef {
  UnitKind kind;
  const char* storedName;   // UTF-8, as the form writes it
  const char* englishName;  // also accepted; null if none
  const SettingDef* settings;  // common ones first, then the kind's own
  size_t settingCount;
  const char* const* events;
  size_t eventCount;
};

// Indices into a unit's values. Every kind starts with the common ones.
namespace common {
enum : int { Left, Top, Width, Height, Tag, Visible, Disabled, MousePointer, TabStop, FocusOrder, Count };
}
namespace window {
enum : int {
  Caption = common::Count, BorderStyle, BackColor, BackPicture, PictureMode, BackMusic, PlayCount,
  ControlBox, MaxButton, MinButton, StartPosition, Movable, Icon, EnterMovesFocus, EscapeCloses,
  F1OpensHelp, HelpFile, HelpContext, ShowInTaskbar, DragAnywhere, Shape, AlwaysOnTop,
  KeepCaptionActive, WindowClassName, Count
};
enum Event : int { Created, Moved, Resized, Close, EventCount };
}  // namespace window
namespace edit_box {
enum : int {
  Content = common::Count, BorderStyle, TextColor, BackColor, Font, HideSelection, MaxLength,
  MultiLine, ScrollBars, Alignment, InputMode, PasswordChar, CaseConversion, SpinnerMode,
  SpinnerMin, SpinnerMax, SelectionStart, SelectionLength, DataSource, DataColumn, Count
};
enum Event : int { Changed, SpinnerClicked, EventCount };
}  // namespace edit_box
namespace button {
enum : int { Picture = common::Count, ButtonKind, Caption, HorizontalAlign, VerticalAlign, Font, Count };
enum Event : int { Clicked, EventCount };
}  // namespace button
namespace timer {
enum : int { Interval = common::Count, Count };
enum Event : int { Tick, EventCount };
}  // namespace timer

// Colour value standing for the system's button-face colour.
inline constexpr uint32_t kButtonFaceColour = 0xFF000000u;
// Newest format of stored window settings that can be read.
inline constexpr int kNewestSettingsVersion = 6;
// Size of a stored LOGFONTA.
inline constexpr size_t kLogFontSize = 60;

const KindDef& KindOf(UnitKind kind);
// By stored or English name (UTF-8); null if no kind has that name.
const KindDef* FindKind(const char* name, size_t length);
// Index of the named setting within the kind's table, or -1.
int FindSetting(const KindDef& kind, const char* name, size_t length);
int FindEvent(const KindDef& kind, const char* name, size_t length);
