#include "share_link.h"

#include <cstdint>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

constexpr size_t kUnmeasured = static_cast<size_t>(-1);

// A piece of the link; user texts are percent-encoded on the way in. The
// constant pieces come with their lengths, known when the program is built.
struct Piece {
  const char* text;
  bool encoded;
  size_t length;
};

template <size_t N>
constexpr Piece Constant(const char (&text)[N]) {
  return {text, false, N - 1};
}
constexpr Piece UserText(const char* text) { return {text, true, kUnmeasured}; }

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

#ifdef __SSE2__
// A bit for each byte of the group that is below 0x20 (NUL included), 0x7F,
// or one of % & # + ".
inline unsigned SpecialBytes(__m128i group) {
  __m128i special = _mm_cmpeq_epi8(_mm_min_epu8(group, _mm_set1_epi8(0x1F)), group);
  special = _mm_or_si128(special, _mm_cmpeq_epi8(group, _mm_set1_epi8(0x7F)));
  special = _mm_or_si128(special, _mm_cmpeq_epi8(group, _mm_set1_epi8('%')));
  special = _mm_or_si128(special, _mm_cmpeq_epi8(group, _mm_set1_epi8('&')));
  special = _mm_or_si128(special, _mm_cmpeq_epi8(group, _mm_set1_epi8('#')));
  special = _mm_or_si128(special, _mm_cmpeq_epi8(group, _mm_set1_epi8('+')));
  special = _mm_or_si128(special, _mm_cmpeq_epi8(group, _mm_set1_epi8('"')));
  return static_cast<unsigned>(_mm_movemask_epi8(special));
}
#endif

struct Measure {
  size_t length;   // bytes before the NUL
  size_t encoded;  // bytes among them that go in as %XX
};

// One pass over a user text for both its length and its bytes to encode.
// Aligned 16-byte groups never cross into the next page, so reading the
// whole group that holds the NUL is safe; the sanitizer cannot know that.
#if defined(__clang__) || defined(__GNUC__)
__attribute__((no_sanitize_address))
#endif
Measure MeasureUserText(const char* text) {
  Measure measure = {0, 0};
  if (!text) return measure;
  const char* p = text;
#ifdef __SSE2__
  while (reinterpret_cast<uintptr_t>(p) & 15) {
    unsigned char byte = static_cast<unsigned char>(*p);
    if (byte == 0) {
      measure.length = static_cast<size_t>(p - text);
      return measure;
    }
    measure.encoded += kEncoding.encode[byte];
    ++p;
  }
  for (;; p += 16) {
    const __m128i group = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
    unsigned specials = SpecialBytes(group);
    // The NUL is among the "specials" (it is below 0x20): look closer only
    // in the groups that have any.
    for (; specials; specials &= specials - 1) {
      const int at = __builtin_ctz(specials);
      if (p[at] == '\0') {
        measure.length = static_cast<size_t>(p + at - text);
        return measure;
      }
      ++measure.encoded;
    }
  }
#else
  for (; *p; ++p) measure.encoded += kEncoding.encode[static_cast<unsigned char>(*p)];
  measure.length = static_cast<size_t>(p - text);
  return measure;
#endif
}

char* PutEncoded(char* out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out[0] = '%';
  out[1] = kHex[byte >> 4];
  out[2] = kHex[byte & 0xF];
  return out + 3;
}

// Copies length bytes (no NUL among them), encoding those that need it.
char* CopyEncoded(char* out, const char* text, size_t length) {
  const char* p = text;
  const char* end = text + length;
#ifdef __SSE2__
  for (; end - p >= 16; p += 16) {
    const __m128i group = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (!SpecialBytes(group)) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), group);
      out += 16;
      continue;
    }
    for (int i = 0; i < 16; ++i) {
      const unsigned char byte = static_cast<unsigned char>(p[i]);
      if (kEncoding.encode[byte]) out = PutEncoded(out, byte);
      else *out++ = static_cast<char>(byte);
    }
  }
#endif
  for (; p < end; ++p) {
    const unsigned char byte = static_cast<unsigned char>(*p);
    if (kEncoding.encode[byte]) out = PutEncoded(out, byte);
    else *out++ = static_cast<char>(byte);
  }
  return out;
}

// Measures every piece once into lengths, takes one block, copies by the
// measured lengths without looking for NULs again.
Text ConcatPieces(const Piece* pieces, size_t count, size_t* lengths, size_t* encodedBytes) {
  size_t total = 1;
  for (size_t i = 0; i < count; ++i) {
    if (pieces[i].encoded) {
      const Measure measure = MeasureUserText(pieces[i].text);
      lengths[i] = measure.length;
      encodedBytes[i] = measure.encoded;
      total += measure.length + 2 * measure.encoded;
    } else {
      lengths[i] = pieces[i].length != kUnmeasured ? pieces[i].length : TextLength(pieces[i].text);
      encodedBytes[i] = 0;
      total += lengths[i];
    }
  }
  char* block = static_cast<char*>(AllocateBlock(total));
  char* out = block;
  for (size_t i = 0; i < count; ++i) {
    if (lengths[i] == 0) continue;
    if (encodedBytes[i]) {
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
  size_t stackEncoded[kOnStack];
  std::vector<size_t> heapEncoded;
  Piece* pieces = stackPieces;
  size_t* lengths = stackLengths;
  size_t* encoded = stackEncoded;
  if (count > kOnStack) {
    heapPieces.resize(count);
    heapLengths.resize(count);
    heapEncoded.resize(count);
    encoded = heapEncoded.data();
    pieces = heapPieces.data();
    lengths = heapLengths.data();
  }
  for (size_t i = 0; i < count; ++i) pieces[i] = {texts[i], false, kUnmeasured};
  return ConcatPieces(pieces, count, lengths, encoded);
}

Text ComposeShareLink(const char* address, const char* title, const char* summary,
                      const char* comment) {
  const Piece pieces[] = {
      Constant(kLinkHead), UserText(address), Constant(kTitleKey),   UserText(title),
      Constant(kSummaryKey), UserText(summary), Constant(kDescKey), UserText(comment),
      Constant(kLinkTail),
  };
  constexpr size_t kCount = sizeof pieces / sizeof pieces[0];
  size_t lengths[kCount], encoded[kCount];
  return ConcatPieces(pieces, kCount, lengths, encoded);
}

void ReleaseLastShareLink() {
  if (LastShareLink) FreeBlock(LastShareLink);
}
