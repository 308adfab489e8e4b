#include "share_link.h"

#include <cstdint>
#include <cstring>
#include <vector>

#ifndef QQSHARE_SHARE_HOST
#error "QQSHARE_SHARE_HOST must name the share widget's host"
#endif

Text LastShareLink = nullptr;

namespace {

constexpr char kLinkHead[] = "http://" QQSHARE_SHARE_HOST "/widget/shareqq/index.html?url=http%3A%2F%2F";
constexpr char kTitleKey[] = "&title=";
constexpr char kSummaryKey[] = "&summary=";
constexpr char kDescKey[] = "&desc=";
constexpr char kLinkTail[] = "%5E_%5E&site=discuz%7C&style=103&width=50&height=16";

// A piece of the link; user texts are percent-encoded on the way in.
struct Piece {
  const char* text;
  bool encoded;
};

constexpr bool NeedsEncoding(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '%' || byte == '&' || byte == '#' ||
         byte == '+' || byte == '"';
}

struct EncodingTable {
  bool encode[256];
  constexpr EncodingTable() : encode() {
    for (int byte = 0; byte < 256; ++byte) encode[byte] = NeedsEncoding(static_cast<unsigned char>(byte));
  }
};
constexpr EncodingTable kEncoding;

size_t EncodedLength(const char* text, size_t length) {
  size_t total = length;
  for (size_t i = 0; i < length; ++i)
    if (kEncoding.encode[static_cast<unsigned char>(text[i])]) total += 2;
  return total;
}

char* CopyEncoded(char* out, const char* text, size_t length) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  size_t runStart = 0;
  for (size_t i = 0; i < length; ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (!kEncoding.encode[byte]) continue;
    std::memcpy(out, text + runStart, i - runStart);
    out += i - runStart;
    *out++ = '%';
    *out++ = kHex[byte >> 4];
    *out++ = kHex[byte & 0xF];
    runStart = i + 1;
  }
  std::memcpy(out, text + runStart, length - runStart);
  return out + (length - runStart);
}

// Measures every piece once into lengths, takes one block, copies by the
// measured lengths without looking for NULs again.
Text ConcatPieces(const Piece* pieces, size_t count, size_t* lengths) {
  size_t total = 1;
  for (size_t i = 0; i < count; ++i) {
    lengths[i] = TextLength(pieces[i].text);
    total += pieces[i].encoded ? EncodedLength(pieces[i].text, lengths[i]) : lengths[i];
  }
  char* block = static_cast<char*>(AllocateBlock(total));
  char* out = block;
  for (size_t i = 0; i < count; ++i) {
    if (lengths[i] == 0) continue;
    if (pieces[i].encoded) {
      out = CopyEncoded(out, pieces[i].text, lengths[i]);
    } else {
      std::memcpy(out, pieces[i].text, lengths[i]);
      out += lengths[i];
    }
  }
  *out = '\0';
  return block;
}

}  // namespace

typedef uint32_t __attribute__((may_alias)) Word;

// Aligned four-byte reads never cross into the next page, so reading the
// whole group that holds the NUL is safe; the sanitizer cannot know that.
#if defined(__clang__) || defined(__GNUC__)
__attribute__((no_sanitize_address))
#endif
size_t TextLength(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (reinterpret_cast<uintptr_t>(p) & 3) {
    if (*p == '\0') return static_cast<size_t>(p - text);
    ++p;
  }
  for (;;) {
    uint32_t group = *reinterpret_cast<const Word*>(p);
    // Non-zero exactly when some byte of the group is zero.
    if ((group - 0x01010101u) & ~group & 0x80808080u) break;
    p += 4;
  }
  while (*p != '\0') ++p;
  return static_cast<size_t>(p - text);
}

Text ConcatTexts(size_t count, const char* const* texts) {
  constexpr size_t kOnStack = 16;
  Piece stackPieces[kOnStack];
  size_t stackLengths[kOnStack];
  std::vector<Piece> heapPieces;
  std::vector<size_t> heapLengths;
  Piece* pieces = stackPieces;
  size_t* lengths = stackLengths;
  if (count > kOnStack) {
    heapPieces.resize(count);
    heapLengths.resize(count);
    pieces = heapPieces.data();
    lengths = heapLengths.data();
  }
  for (size_t i = 0; i < count; ++i) pieces[i] = {texts[i], false};
  return ConcatPieces(pieces, count, lengths);
}

Text ComposeShareLink(const char* address, const char* title, const char* summary,
                      const char* comment) {
  const Piece pieces[] = {
      {kLinkHead, false}, {address, true},  {kTitleKey, false}, {title, true},   {kSummaryKey, false},
      {summary, true},    {kDescKey, false}, {comment, true},   {kLinkTail, false},
  };
  size_t lengths[sizeof pieces / sizeof pieces[0]];
  return ConcatPieces(pieces, sizeof pieces / sizeof pieces[0], lengths);
}

void ReleaseLastShareLink() {
  if (LastShareLink) FreeBlock(LastShareLink);
}
