// Reads a form description. The text is UTF-8, one statement a line;
// indentation is free, "#" starts a comment line, blank lines are skipped.
//
//   form     = "qqform 1" NL window { window }
//   window   = "unit" SP "窗口" SP id SP name NL { body } "end" NL
//   body     = "version" SP integer NL          format of the stored window settings
//            | setting SP value NL              by the setting's name
//            | "on" SP event SP routine NL      binds an event to a routine by name
//            | control
//   control  = "unit" SP kind SP id SP name NL { setting | "on" ... } "end" NL
//   kind     = "编辑框" | "EditBox" | "按钮" | "Button" | "时钟" | "Timer"
//   id       = integer (0x... hexadecimal or decimal), unique among windows or
//              among one window's controls
//   name     = text
//   value    = integer | text | data, as the setting's type asks:
//              integer, flag, choice, colour: -12, 300, 0xFF000000
//              text, character: "...", with \" \\ \r \n \t and \xHH (a raw byte)
//              data, font: <> for none, or <hex digits>, two a byte
//              pointer: an integer code or data
//
// A setting not written keeps its kind's default; an event not bound has no
// handler. Texts are converted to the ANSI code page as they are read. Any
// unknown word, bad value, repeated setting, unknown routine or missing "end"
// makes the whole description unreadable: nothing partial is returned.
#include <cstdlib>
#include <cstring>

#include "form.h"

namespace {

constexpr char kUnitKeyword[] = "unit";

struct Token {
  enum Type { Word, Quoted, Hex } type;
  std::string text;   // Word: as written; Quoted: converted bytes; Hex: raw bytes
};

class Reader {
 public:
  Reader(std::string_view text, const HandlerTable& handlers, TextConverter toAnsi, FormReadError& error)
      : text_(text), handlers_(handlers), toAnsi_(toAnsi), error_(error) {}

  bool Read(FormDescription& form) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
    std::vector<Token> tokens;
    if (!NextStatement(tokens)) return Fail("empty description");
    if (tokens.size() != 2 || !IsWord(tokens[0], "qqform") || !IsWord(tokens[1], "1"))
      return Fail("expected \"qqform 1\"");
    bool any = false;
    while (NextStatement(tokens)) {
      Unit unit;
      if (!ReadUnitHead(tokens, unit) || unit.Kind() != UnitKind::Window)
        return Fail("expected a window unit");
      for (const Unit& other : form.windows)
        if (other.id == unit.id) return Fail("window id used twice");
      if (!ReadUnitBody(unit, /*isWindow=*/true)) return false;
      form.windows.push_back(std::move(unit));
      any = true;
    }
    if (!error_.what.empty()) return false;
    if (!any) return Fail("no window");
    return true;
  }

 private:
  bool Fail(const char* what) {
    if (error_.what.empty()) {
      error_.line = line_;
      error_.what = what;
    }
    return false;
  }

  static bool IsWord(const Token& token, const char* word) {
    return token.type == Token::Word && token.text == word;
  }

  // Tokenizes the next non-blank, non-comment line. False at the end or on error.
  bool NextStatement(std::vector<Token>& tokens) {
    tokens.clear();
    while (!text_.empty()) {
      size_t end = text_.find('\n');
      std::string_view lineText = text_.substr(0, end);
      text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
      ++line_;
      if (!lineText.empty() && lineText.back() == '\r') lineText.remove_suffix(1);
      if (!Tokenize(lineText, tokens)) return false;
      if (!tokens.empty()) return true;
    }
    return false;
  }

  static bool IsSpace(char c) { return c == ' ' || c == '\t'; }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  bool Tokenize(std::string_view s, std::vector<Token>& tokens) {
    size_t i = 0;
    while (i < s.size()) {
      if (IsSpace(s[i])) { ++i; continue; }
      if (tokens.empty() && s[i] == '#') return true;
      if (s[i] == '"') {
        Token token{Token::Quoted, {}};
        if (!ReadQuoted(s, i, token.text)) return false;
        tokens.push_back(std::move(token));
      } else if (s[i] == '<') {
        Token token{Token::Hex, {}};
        size_t close = s.find('>', i);
        if (close == std::string_view::npos) return Fail("unterminated data");
        std::string_view digits = s.substr(i + 1, close - i - 1);
        if (digits.size() % 2) return Fail("odd number of hex digits");
        for (size_t d = 0; d < digits.size(); d += 2) {
          int high = HexDigit(digits[d]), low = HexDigit(digits[d + 1]);
          if (high < 0 || low < 0) return Fail("bad hex digit");
          token.text.push_back(static_cast<char>(high * 16 + low));
        }
        i = close + 1;
        tokens.push_back(std::move(token));
      } else {
        size_t start = i;
        while (i < s.size() && !IsSpace(s[i]) && s[i] != '"' && s[i] != '<') ++i;
        tokens.push_back({Token::Word, std::string(s.substr(start, i - start))});
        continue;
      }
      if (i < s.size() && !IsSpace(s[i])) return Fail("expected a space after a value");
    }
    return true;
  }

  // Literal runs are converted to ANSI; \xHH bytes go in as they are.
  bool ReadQuoted(std::string_view s, size_t& i, std::string& out) {
    std::string run;
    auto flush = [&] {
      if (!run.empty()) out += toAnsi_(run);
      run.clear();
    };
    for (++i; i < s.size(); ++i) {
      char c = s[i];
      if (c == '"') {
        flush();
        ++i;
        return true;
      }
      if (c != '\\') {
        run.push_back(c);
        continue;
      }
      if (++i >= s.size()) break;
      switch (s[i]) {
        case '\\': run.push_back('\\'); break;
        case '"': run.push_back('"'); break;
        case 'n': run.push_back('\n'); break;
        case 'r': run.push_back('\r'); break;
        case 't': run.push_back('\t'); break;
        case 'x': {
          int high = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
          int low = i + 2 < s.size() ? HexDigit(s[i + 2]) : -1;
          if (high < 0 || low < 0) return Fail("bad \\x escape");
          flush();
          out.push_back(static_cast<char>(high * 16 + low));
          i += 2;
          break;
        }
        default: return Fail("unknown escape");
      }
    }
    return Fail("unterminated text");
  }

  bool ParseInteger(const Token& token, int32_t& value) {
    if (token.type != Token::Word || token.text.empty()) return Fail("expected an integer");
    const std::string& s = token.text;
    size_t i = 0;
    bool negative = false;
    if (s[0] == '-') { negative = true; i = 1; }
    bool hex = s.size() > i + 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X');
    if (hex) i += 2;
    if (i >= s.size()) return Fail("expected an integer");
    uint64_t magnitude = 0;
    for (; i < s.size(); ++i) {
      int digit = hex ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
      if (digit < 0) return Fail("bad integer");
      magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
      if (magnitude > 0xFFFFFFFFull) return Fail("integer out of range");
    }
    if (hex && !negative) {  // hexadecimal gives the 32 bits as written
      value = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
      return true;
    }
    if (negative ? magnitude > 0x80000000ull : magnitude > 0x7FFFFFFFull)
      return Fail("integer out of range");
    value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                     : static_cast<int32_t>(magnitude);
    return true;
  }

  bool ParseValue(const SettingDef& def, const Token& token, SettingValue& value) {
    switch (def.type) {
      case ValueType::Integer:
      case ValueType::Colour:
        return ParseInteger(token, value.number);
      case ValueType::Flag:
        if (!ParseInteger(token, value.number)) return false;
        if (value.number != 0 && value.number != 1) return Fail("a flag is 0 or 1");
        return true;
      case ValueType::Choice:
        if (!ParseInteger(token, value.number)) return false;
        if (value.number < def.minimum || value.number > def.maximum) return Fail("choice out of range");
        return true;
      case ValueType::Text:
        if (token.type != Token::Quoted) return Fail("expected a text");
        value.bytes = token.text;
        return true;
      case ValueType::Character:
        if (token.type != Token::Quoted || token.text.size() != 1) return Fail("expected one character");
        value.bytes = token.text;
        return true;
      case ValueType::Data:
      case ValueType::Font:
        if (token.type != Token::Hex) return Fail("expected data");
        value.bytes = token.text;
        return true;
      case ValueType::Pointer:
        if (token.type == Token::Hex) {
          value.number = 0;
          value.bytes = token.text;
          return true;
        }
        value.bytes.clear();
        return ParseInteger(token, value.number);
    }
    return Fail("bad setting type");
  }

  bool ReadUnitHead(const std::vector<Token>& tokens, Unit& unit) {
    if (tokens.size() != 4 || !IsWord(tokens[0], kUnitKeyword) || tokens[1].type != Token::Word ||
        tokens[3].type != Token::Quoted)
      return Fail("expected: unit KIND ID \"NAME\"");
    const KindDef* kind = FindKind(tokens[1].text.data(), tokens[1].text.size());
    if (!kind) return Fail("unknown unit kind");
    int32_t id;
    if (!ParseInteger(tokens[2], id)) return false;
    unit = MakeDefaultUnit(*kind, toAnsi_);
    unit.id = static_cast<uint32_t>(id);
    unit.name = tokens[3].text;
    return true;
  }

  bool BindHandler(Unit& unit, const std::vector<Token>& tokens) {
    if (tokens.size() != 3 || tokens[1].type != Token::Word || tokens[2].type != Token::Word)
      return Fail("expected: on EVENT ROUTINE");
    int event = FindEvent(*unit.kind, tokens[1].text.data(), tokens[1].text.size());
    if (event < 0) return Fail("unknown event");
    if (unit.handlers[event]) return Fail("event bound twice");
    for (size_t i = 0; i < handlers_.count; ++i) {
      if (tokens[2].text == handlers_.bindings[i].name && handlers_.bindings[i].routine) {
        unit.handlers[event] = handlers_.bindings[i].routine;
        return true;
      }
    }
    return Fail("no routine of that name");
  }

  bool ReadUnitBody(Unit& unit, bool isWindow) {
    std::vector<bool> written(unit.values.size(), false);
    bool versionWritten = false;
    std::vector<Token> tokens;
    while (NextStatement(tokens)) {
      const Token& head = tokens[0];
      if (IsWord(head, "end")) {
        if (tokens.size() != 1) return Fail("junk after end");
        return true;
      }
      if (IsWord(head, kUnitKeyword)) {
        if (!isWindow) return Fail("a control cannot hold units");
        Unit child;
        if (!ReadUnitHead(tokens, child)) return false;
        if (child.Kind() == UnitKind::Window) return Fail("a window inside a window");
        for (const Unit& other : unit.children)
          if (other.id == child.id) return Fail("control id used twice");
        if (!ReadUnitBody(child, false)) return false;
        unit.children.push_back(std::move(child));
        continue;
      }
      if (IsWord(head, "on")) {
        if (!BindHandler(unit, tokens)) return false;
        continue;
      }
      if (isWindow && IsWord(head, "version")) {
        if (versionWritten || tokens.size() != 2) return Fail("bad version line");
        int32_t version;
        if (!ParseInteger(tokens[1], version)) return false;
        if (version < 0) return Fail("bad version");
        unit.version = version;
        versionWritten = true;
        continue;
      }
      if (head.type != Token::Word) return Fail("expected a setting name");
      int setting = FindSetting(*unit.kind, head.text.data(), head.text.size());
      if (setting < 0) return Fail("unknown setting");
      if (written[setting]) return Fail("setting written twice");
      if (tokens.size() != 2) return Fail("expected one value");
      if (!ParseValue(unit.kind->settings[setting], tokens[1], unit.values[setting])) return false;
      written[setting] = true;
    }
    return Fail("missing end");
  }

  std::string_view text_;
  const HandlerTable& handlers_;
  TextConverter toAnsi_;
  FormReadError& error_;
  int line_ = 0;
};

}  // namespace

Unit MakeDefaultUnit(const KindDef& kind, TextConverter toAnsi) {
  Unit unit;
  unit.kind = &kind;
  unit.values.resize(kind.settingCount);
  for (size_t i = 0; i < kind.settingCount; ++i) {
    const SettingDef& def = kind.settings[i];
    unit.values[i].number = def.defaultNumber;
    if (def.defaultText[0]) unit.values[i].bytes = toAnsi(def.defaultText);
  }
  unit.handlers.assign(kind.eventCount, nullptr);
  return unit;
}

const Unit* FormDescription::WindowById(uint32_t id) const {
  for (const Unit& unit : windows)
    if (unit.id == id) return &unit;
  return nullptr;
}

bool ReadFormDescription(std::string_view text, const HandlerTable& handlers, TextConverter toAnsi,
                         FormDescription& form, FormReadError& error) {
  FormDescription read;
  error = {};
  if (!Reader(text, handlers, toAnsi, error).Read(read)) {
    if (error.what.empty()) error.what = "unreadable";
    return false;
  }
  form = std::move(read);
  return true;
}
