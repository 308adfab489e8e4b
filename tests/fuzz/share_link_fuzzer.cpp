// Fuzz target for the share link. The input is one flag byte and then up to
// four fields separated by NUL bytes. The composed link must take exactly one
// block of exactly the predicted size, hold the constant pieces in place, carry
// no raw byte that needs encoding inside a field, and decode back to the exact
// bytes of each field. TextLength and ConcatTexts are checked on the way.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "share/share_link.h"

namespace {

constexpr std::string_view kHead =
    "http://" QQSHARE_SHARE_HOST "/widget/shareqq/index.html?url=http%3A%2F%2F";
constexpr std::string_view kTitleKey = "&title=";
constexpr std::string_view kSummaryKey = "&summary=";
constexpr std::string_view kDescKey = "&desc=";
constexpr std::string_view kTail = "%5E_%5E&site=discuz%7C&style=103&width=50&height=16";

bool NeedsEncoding(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '%' || c == '&' || c == '#' || c == '+' || c == '"';
}

size_t g_allocations;
size_t g_lastSize;
void* CountingAllocate(size_t size) {
  ++g_allocations;
  g_lastSize = size;
  return std::malloc(size);
}
void Release(void* block) { std::free(block); }

[[noreturn]] void Fault(const char* what) {
  std::fprintf(stderr, "share link fuzzer: %s\n", what);
  std::abort();
}
#define CHECK(condition) \
  do {                   \
    if (!(condition)) Fault(#condition); \
  } while (0)

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // lower-case hex is not what the link writes
}

// Decodes one field as it stands in the link; every escape must be one the
// encoder writes (upper-case, for a byte that needs it) and no raw byte may
// be one that needs encoding.
std::string Decode(std::string_view encoded) {
  std::string out;
  for (size_t i = 0; i < encoded.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(encoded[i]);
    if (c != '%') {
      CHECK(!NeedsEncoding(c));
      out += static_cast<char>(c);
      continue;
    }
    CHECK(i + 2 < encoded.size());
    int high = HexValue(encoded[i + 1]), low = HexValue(encoded[i + 2]);
    CHECK(high >= 0 && low >= 0);
    unsigned char byte = static_cast<unsigned char>(high * 16 + low);
    CHECK(NeedsEncoding(byte));
    out += static_cast<char>(byte);
    i += 2;
  }
  return out;
}

// A copy of a field at a chosen misalignment, so TextLength starts at every
// offset within a four-byte group.
struct Field {
  char* storage = nullptr;
  const char* text = nullptr;
  std::string bytes;
  Field() = default;
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;
  ~Field() { std::free(storage); }
  void Place(std::string_view value, unsigned offset, bool asNull) {
    bytes.assign(value);
    if (asNull && value.empty()) return;
    storage = static_cast<char*>(std::malloc(value.size() + 1 + offset));
    char* start = storage + offset;
    std::memcpy(start, value.data(), value.size());
    start[value.size()] = '\0';
    text = start;
  }
};

size_t PredictedLength(const Field* fields) {
  size_t total = kHead.size() + kTitleKey.size() + kSummaryKey.size() + kDescKey.size() + kTail.size();
  for (int f = 0; f < 4; ++f) {
    total += fields[f].bytes.size();
    for (unsigned char c : fields[f].bytes) total += NeedsEncoding(c) ? 2 : 0;
  }
  return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool installed = (SetBlockAllocator({&CountingAllocate, &Release}), true);
  (void)installed;
  if (size == 0) return 0;
  const unsigned flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

  Field fields[4];
  for (int f = 0; f < 4; ++f) {
    size_t end = rest.find('\0');
    std::string_view value = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    fields[f].Place(value, (flags >> (2 * (f % 2))) & 3, (flags >> (4 + f)) & 1);
    CHECK(TextLength(fields[f].text) == fields[f].bytes.size());
  }

  g_allocations = 0;
  Text link = ComposeShareLink(fields[0].text, fields[1].text, fields[2].text, fields[3].text);
  CHECK(link != nullptr);
  CHECK(g_allocations == 1);
  const size_t length = std::strlen(link);
  CHECK(length == PredictedLength(fields));
  CHECK(g_lastSize == length + 1);

  // Fields carry no raw '&', so each one ends at the next '&'.
  std::string_view rest_link(link, length);
  CHECK(rest_link.substr(0, kHead.size()) == kHead);
  rest_link.remove_prefix(kHead.size());
  const std::string_view keys[] = {kTitleKey, kSummaryKey, kDescKey};
  for (int f = 0; f < 4; ++f) {
    size_t end = rest_link.find('&');
    CHECK(end != std::string_view::npos);
    std::string_view encoded = rest_link.substr(0, end);
    if (f == 3) {
      // The comment is followed by the tail, whose first '&' comes after its mark.
      CHECK(encoded.size() >= 7 && encoded.substr(encoded.size() - 7) == "%5E_%5E");
      encoded.remove_suffix(7);
      CHECK(rest_link.substr(encoded.size()) == kTail);
    } else {
      CHECK(rest_link.substr(end, keys[f].size()) == keys[f]);
    }
    CHECK(Decode(encoded) == fields[f].bytes);
    rest_link.remove_prefix(f == 3 ? rest_link.size() : end + keys[f].size());
  }
  FreeBlock(link);

  // ConcatTexts: plain concatenation of the same fields, one exact block.
  const char* texts[4] = {fields[0].text, fields[1].text, fields[2].text, fields[3].text};
  g_allocations = 0;
  Text joined = ConcatTexts(4, texts);
  const std::string expected = fields[0].bytes + fields[1].bytes + fields[2].bytes + fields[3].bytes;
  CHECK(g_allocations == 1 && g_lastSize == expected.size() + 1);
  CHECK(std::memcmp(joined, expected.c_str(), expected.size() + 1) == 0);
  FreeBlock(joined);
  return 0;
}
