#include "settings.h"

#include <cstring>

namespace {

constexpr ValueType I = ValueType::Integer, F = ValueType::Flag, C = ValueType::Choice,
                    K = ValueType::Colour, T = ValueType::Text, D = ValueType::Data,
                    N = ValueType::Font, P = ValueType::Pointer, H = ValueType::Character;

#define COMMON_SETTINGS                                                          \
  {"Left", 0, I, 0, ""}, {"Top", 1, I, 0, ""}, {"Width", 2, I, 0, ""},           \
      {"Height", 3, I, 0, ""}, {"Tag", 4, T, 0, ""}, {"Visible", 5, F, 1, ""},   \
      {"Disabled", 6, F, 0, ""}, {"MousePointer", 7, P, 0, ""},                  \
      {"TabStop", -1, F, 1, ""}, {"FocusOrder", -1, I, 0, ""}

constexpr SettingDef kWindowSettings[] = {
    COMMON_SETTINGS,
    {"Caption", 8, T, 0, ""},
    {"BorderStyle", 9, C, 2, "", 0, 6},
    {"BackColor", 10, K, static_cast<int32_t>(kButtonFaceColour), ""},
    {"BackPicture", 11, D, 0, ""},
    {"PictureMode", 12, C, 1, "", 0, 3},
    {"BackMusic", 13, D, 0, ""},
    {"PlayCount", 14, C, 0, "", 0, 2},
    {"ControlBox", 15, F, 1, ""},
    {"MaxButton", 16, F, 0, ""},
    {"MinButton", 17, F, 1, ""},
    {"StartPosition", 18, C, 1, "", 0, 3},
    {"Movable", 19, F, 1, ""},
    {"Icon", 20, D, 0, ""},
    {"EnterMovesFocus", 21, F, 0, ""},
    {"EscapeCloses", 22, F, 1, ""},
    {"F1OpensHelp", 23, F, 0, ""},
    {"HelpFile", 24, T, 0, ""},
    {"HelpContext", 25, I, 0, ""},
    {"ShowInTaskbar", 26, F, 1, ""},
    {"DragAnywhere", 27, F, 0, ""},
    {"Shape", 28, C, 0, "", 0, 29},
    {"AlwaysOnTop", 29, F, 0, ""},
    {"KeepCaptionActive", 30, F, 0, ""},
    {"WindowClassName", 31, T, 0, ""},
};
static_assert(sizeof kWindowSettings / sizeof kWindowSettings[0] == window::Count);

constexpr SettingDef kEditBoxSettings[] = {
    COMMON_SETTINGS,
    {"Content", 8, T, 0, ""},
    {"BorderStyle", 9, I, 1, ""},
    {"TextColor", 10, K, 0x000000, ""},
    {"BackColor", 11, K, 0xFFFFFF, ""},
    {"Font", 12, N, 0, ""},
    {"HideSelection", 13, F, 1, ""},
    {"MaxLength", 14, I, 0, ""},
    {"MultiLine", 15, F, 0, ""},
    {"ScrollBars", 16, I, 0, ""},
    {"Alignment", 17, I, 0, ""},
    {"InputMode", 18, I, 0, ""},
    {"PasswordChar", 19, H, 0, "*"},
    {"CaseConversion", 20, I, 0, ""},
    {"SpinnerMode", 21, I, 0, ""},
    {"SpinnerMin", 22, I, 0, ""},
    {"SpinnerMax", 23, I, 100, ""},
    {"SelectionStart", 24, I, 0, ""},
    {"SelectionLength", 25, I, 0, ""},
    {"DataSource", 26, T, 0, ""},
    {"DataColumn", 27, T, 0, ""},
};
static_assert(sizeof kEditBoxSettings / sizeof kEditBoxSettings[0] == edit_box::Count);

constexpr SettingDef kButtonSettings[] = {
    COMMON_SETTINGS,
    {"Picture", 8, D, 0, ""},
    {"ButtonKind", 9, I, 0, ""},
    {"Caption", 10, T, 0, "按钮"},
    {"HorizontalAlign", 11, I, 1, ""},
    {"VerticalAlign", 12, I, 1, ""},
    {"Font", 13, N, 0, ""},
};
static_assert(sizeof kButtonSettings / sizeof kButtonSettings[0] == button::Count);

constexpr SettingDef kTimerSettings[] = {
    COMMON_SETTINGS,
    {"Interval", 8, I, 0, ""},
};
static_assert(sizeof kTimerSettings / sizeof kTimerSettings[0] == timer::Count);

#undef COMMON_SETTINGS

constexpr const char* kWindowEvents[] = {"Created", "Moved", "Resized", "Close"};
static_assert(sizeof kWindowEvents / sizeof kWindowEvents[0] == window::EventCount);
constexpr const char* kEditBoxEvents[] = {"Changed", "SpinnerClicked"};
static_assert(sizeof kEditBoxEvents / sizeof kEditBoxEvents[0] == edit_box::EventCount);
constexpr const char* kButtonEvents[] = {"Clicked"};
constexpr const char* kTimerEvents[] = {"Tick"};

template <size_t N>
constexpr size_t CountOf(const SettingDef (&)[N]) { return N; }
template <size_t N>
constexpr size_t CountOf(const char* const (&)[N]) { return N; }

const KindDef kKinds[] = {
    {UnitKind::Window, "窗口", nullptr, kWindowSettings, CountOf(kWindowSettings), kWindowEvents,
     CountOf(kWindowEvents)},
    {UnitKind::EditBox, "编辑框", "EditBox", kEditBoxSettings, CountOf(kEditBoxSettings),
     kEditBoxEvents, CountOf(kEditBoxEvents)},
    {UnitKind::Button, "按钮", "Button", kButtonSettings, CountOf(kButtonSettings), kButtonEvents,
     CountOf(kButtonEvents)},
    {UnitKind::Timer, "时钟", "Timer", kTimerSettings, CountOf(kTimerSettings), kTimerEvents,
     CountOf(kTimerEvents)},
};

bool NameIs(const char* candidate, const char* name, size_t length) {
  return candidate && std::strlen(candidate) == length && std::memcmp(candidate, name, length) == 0;
}

}  // namespace

const KindDef& KindOf(UnitKind kind) { return kKinds[static_cast<int>(kind)]; }

const KindDef* FindKind(const char* name, size_t length) {
  for (const KindDef& kind : kKinds)
    if (NameIs(kind.storedName, name, length) || NameIs(kind.englishName, name, length)) return &kind;
  return nullptr;
}

int FindSetting(const KindDef& kind, const char* name, size_t length) {
  for (size_t i = 0; i < kind.settingCount; ++i)
    if (NameIs(kind.settings[i].name, name, length)) return static_cast<int>(i);
  return -1;
}

int FindEvent(const KindDef& kind, const char* name, size_t length) {
  for (size_t i = 0; i < kind.eventCount; ++i)
    if (NameIs(kind.events[i], name, length)) return static_cast<int>(i);
  return -1;
}
