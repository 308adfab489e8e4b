// A form description: the windows a program can load, each with its
// controls, every setting filled in (written or the kind's default) and
// every event bound to a routine or to nothing.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings.h"

using EventHandler = void (*)();

struct HandlerBinding {
  const char* name;
  EventHandler routine;
};

// The program's routines that a form may name as handlers.
struct HandlerTable {
  const HandlerBinding* bindings;
  size_t count;
};

struct SettingValue {
  int32_t number = 0;  // Integer, Flag, Choice, Colour, Pointer code
  std::string bytes;   // Text, Data, Font, Character, cursor data
};

struct Unit {
  const KindDef* kind = nullptr;
  std::string name;  // ANSI
  uint32_t id = 0;
  int version = kNewestSettingsVersion;
  std::vector<SettingValue> values;     // one per entry of kind->settings
  std::vector<EventHandler> handlers;   // one per kind->events; null: none
  std::vector<Unit> children;           // controls, in stored order

  UnitKind Kind() const { return kind->kind; }
  int32_t Number(int setting) const { return values[setting].number; }
  uint32_t Colour(int setting) const { return static_cast<uint32_t>(values[setting].number); }
  bool IsSet(int setting) const { return values[setting].number != 0; }
  const std::string& Bytes(int setting) const { return values[setting].bytes; }
  EventHandler Handler(int event) const { return handlers[event]; }
};

struct FormDescription {
  std::vector<Unit> windows;
  const Unit* WindowById(uint32_t id) const;
};

// Converts a UTF-8 text of the form to the bytes units hold (the ANSI code page).
using TextConverter = std::string (*)(std::string_view utf8);

struct FormReadError {
  int line = 0;
  std::string what;
};

// A unit with every setting at its kind's default and no handlers.
Unit MakeDefaultUnit(const KindDef& kind, TextConverter toAnsi);

bool ReadFormDescription(std::string_view text, const HandlerTable& handlers, TextConverter toAnsi,
                         FormDescription& form, FormReadError& error);
