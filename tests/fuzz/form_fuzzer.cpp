// Fuzz target for the form reader. Beyond "does not crash", every form that
// reads must hold together (one value per setting, flags 0/1, choices in
// range, unique ids, controls only in windows), a failed read must leave the
// caller's form untouched and name a line, and a form that reads must read
// back to the same units after being written out again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/form.h"

namespace {

volatile int g_lastRoutine;
template <int N>
void Routine() { g_lastRoutine = N; }  // distinct bodies: no two share an address

constexpr EventHandler kRoutines[] = {
    &Routine<0>,  &Routine<1>,  &Routine<2>,  &Routine<3>,  &Routine<4>,  &Routine<5>,
    &Routine<6>,  &Routine<7>,  &Routine<8>,  &Routine<9>,  &Routine<10>, &Routine<11>,
    &Routine<12>, &Routine<13>, &Routine<14>, &Routine<15>, &Routine<16>, &Routine<17>,
    &Routine<18>, &Routine<19>, &Routine<20>, &Routine<21>, &Routine<22>, &Routine<23>,
    &Routine<24>, &Routine<25>, &Routine<26>, &Routine<27>, &Routine<28>, &Routine<29>,
    &Routine<30>, &Routine<31>, &Routine<32>, &Routine<33>, &Routine<34>, &Routine<35>,
    &Routine<36>, &Routine<37>, &Routine<38>, &Routine<39>, &Routine<40>, &Routine<41>,
    &Routine<42>, &Routine<43>, &Routine<44>, &Routine<45>, &Routine<46>, &Routine<47>,
};
constexpr size_t kRoutineCount = sizeof kRoutines / sizeof kRoutines[0];

// The program's two handlers, a few made-up ones, and (from run.sh) the names
// that the test forms bind, so that those seeds read.
constexpr const char* kNames[] = {
    "HandleMainWindowCreated", "HandleOpenClick", "OnTick", "OnChanged", "Other",
#include "handler_names.inc"
};
constexpr size_t kNameCount = sizeof kNames / sizeof kNames[0] < kRoutineCount
                                  ? sizeof kNames / sizeof kNames[0]
                                  : kRoutineCount;

HandlerBinding g_bindings[kNameCount + 1];
HandlerTable g_table;

void BuildTable() {
  for (size_t i = 0; i < kNameCount; ++i) g_bindings[i] = {kNames[i], kRoutines[i]};
  // A name listed without a routine must not bind.
  g_bindings[kNameCount] = {"Unbound", nullptr};
  g_table = {g_bindings, kNameCount + 1};
}

const char* NameOf(EventHandler routine) {
  for (size_t i = 0; i < kNameCount; ++i)
    if (g_bindings[i].routine == routine) return g_bindings[i].name;
  return nullptr;
}

std::string Identity(std::string_view utf8) { return std::string(utf8); }

[[noreturn]] void Fault(const char* what) {
  std::fprintf(stderr, "form fuzzer: %s\n", what);
  std::abort();
}
#define CHECK(condition) \
  do {                   \
    if (!(condition)) Fault(#condition); \
  } while (0)

void CheckUnit(const Unit& unit, bool isWindow) {
  CHECK(unit.kind != nullptr);
  CHECK((unit.Kind() == UnitKind::Window) == isWindow);
  CHECK(unit.values.size() == unit.kind->settingCount);
  CHECK(unit.handlers.size() == unit.kind->eventCount);
  CHECK(unit.version >= 0);
  for (size_t i = 0; i < unit.values.size(); ++i) {
    const SettingDef& def = unit.kind->settings[i];
    const SettingValue& value = unit.values[i];
    switch (def.type) {
      case ValueType::Flag: CHECK(value.number == 0 || value.number == 1); break;
      case ValueType::Choice: CHECK(value.number >= def.minimum && value.number <= def.maximum); break;
      case ValueType::Character: CHECK(value.bytes.size() == 1); break;
      case ValueType::Pointer: CHECK(value.bytes.empty() || value.number == 0); break;
      case ValueType::Integer:
      case ValueType::Colour: CHECK(value.bytes.empty()); break;
      default: break;
    }
  }
  for (EventHandler handler : unit.handlers) CHECK(handler == nullptr || NameOf(handler) != nullptr);
  if (!isWindow) CHECK(unit.children.empty());
  for (size_t i = 0; i < unit.children.size(); ++i) {
    CheckUnit(unit.children[i], false);
    for (size_t j = 0; j < i; ++j) CHECK(unit.children[i].id != unit.children[j].id);
  }
}

void AppendQuoted(std::string& out, const std::string& bytes) {
  out += '"';
  for (unsigned char c : bytes) {
    if (c >= 0x21 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", c);
      out += escape;
    }
  }
  out += '"';
}

void AppendHex(std::string& out, const std::string& bytes) {
  out += '<';
  for (unsigned char c : bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", c);
    out += digits;
  }
  out += '>';
}

void WriteUnit(std::string& out, const Unit& unit) {
  char head[32];
  std::snprintf(head, sizeof head, " 0x%X ", unit.id);
  out += "unit ";
  out += unit.kind->storedName;
  out += head;
  AppendQuoted(out, unit.name);
  out += '\n';
  if (unit.Kind() == UnitKind::Window) out += "version " + std::to_string(unit.version) + "\n";
  for (size_t i = 0; i < unit.values.size(); ++i) {
    const SettingDef& def = unit.kind->settings[i];
    const SettingValue& value = unit.values[i];
    out += def.name;
    out += ' ';
    switch (def.type) {
      case ValueType::Text:
      case ValueType::Character: AppendQuoted(out, value.bytes); break;
      case ValueType::Data:
      case ValueType::Font: AppendHex(out, value.bytes); break;
      case ValueType::Pointer:
        if (!value.bytes.empty()) {
          AppendHex(out, value.bytes);
          break;
        }
        [[fallthrough]];
      default: out += std::to_string(value.number); break;
    }
    out += '\n';
  }
  for (size_t e = 0; e < unit.handlers.size(); ++e) {
    if (!unit.handlers[e]) continue;
    out += "on ";
    out += unit.kind->events[e];
    out += ' ';
    out += NameOf(unit.handlers[e]);
    out += '\n';
  }
  for (const Unit& child : unit.children) WriteUnit(out, child);
  out += "end\n";
}

bool SameUnit(const Unit& a, const Unit& b) {
  if (a.kind != b.kind || a.name != b.name || a.id != b.id || a.version != b.version ||
      a.handlers != b.handlers || a.children.size() != b.children.size() ||
      a.values.size() != b.values.size())
    return false;
  for (size_t i = 0; i < a.values.size(); ++i)
    if (a.values[i].number != b.values[i].number || a.values[i].bytes != b.values[i].bytes) return false;
  for (size_t i = 0; i < a.children.size(); ++i)
    if (!SameUnit(a.children[i], b.children[i])) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!g_table.bindings) BuildTable();
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // A sentinel form that a failed read must leave as it was.
  FormDescription form;
  form.windows.push_back(MakeDefaultUnit(KindOf(UnitKind::Window), &Identity));
  form.windows[0].id = 0xDEADBEEF;
  FormReadError error;
  static const bool verbose = std::getenv("FORM_FUZZER_VERBOSE") != nullptr;
  if (!ReadFormDescription(text, g_table, &Identity, form, error)) {
    if (verbose) std::fprintf(stderr, "unreadable, line %d: %s\n", error.line, error.what.c_str());
    CHECK(!error.what.empty());
    CHECK(error.line >= 0);
    CHECK(form.windows.size() == 1 && form.windows[0].id == 0xDEADBEEF);
    return 0;
  }
  if (verbose) std::fprintf(stderr, "read, %zu window(s)\n", form.windows.size());
  CHECK(error.what.empty());
  CHECK(!form.windows.empty());
  for (size_t i = 0; i < form.windows.size(); ++i) {
    CheckUnit(form.windows[i], true);
    for (size_t j = 0; j < i; ++j) CHECK(form.windows[i].id != form.windows[j].id);
    CHECK(form.WindowById(form.windows[i].id) == &form.windows[i]);
  }

  std::string written = "qqform 1\n";
  for (const Unit& window : form.windows) WriteUnit(written, window);
  FormDescription again;
  FormReadError againError;
  if (!ReadFormDescription(written, g_table, &Identity, again, againError)) {
    std::fprintf(stderr, "rewritten form unreadable at line %d: %s\n%s", againError.line,
                 againError.what.c_str(), written.c_str());
    Fault("a form that read does not read back");
  }
  CHECK(again.windows.size() == form.windows.size());
  for (size_t i = 0; i < form.windows.size(); ++i)
    CHECK(SameUnit(form.windows[i], again.windows[i]));
  return 0;
}
