// Micro benchmark of the share link's text routines against the C library:
// ComposeShareLink against memcpy of the same number of bytes, TextLength
// against strlen. Each case runs in trials of at least kTrialSeconds; the
// fastest trial counts. Prints bytes per second and the ratios.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "share/share_link.h"

namespace {

constexpr double kTrialSeconds = 0.25;
constexpr int kTrials = 5;

template <typename T>
inline void Keep(T const& value) {
  asm volatile("" : : "r,m"(value) : "memory");
}

// Seconds per call of the fastest trial.
template <typename F>
double Time(F&& call) {
  using Clock = std::chrono::steady_clock;
  double best = 1e30;
  for (int trial = 0; trial < kTrials; ++trial) {
    long calls = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
      for (int i = 0; i < 16; ++i) call();
      calls += 16;
      elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    } while (elapsed < kTrialSeconds);
    best = std::min(best, elapsed / static_cast<double>(calls));
  }
  return best;
}

std::string Repeat(const std::string& piece, size_t size) {
  std::string out;
  out.reserve(size + piece.size());
  while (out.size() < size) out += piece;
  out.resize(size);
  // Never end inside a two-byte character.
  if (size && static_cast<unsigned char>(out.back()) >= 0x80) out.back() = '.';
  return out;
}

struct Fields {
  const char* name;
  std::string address, title, summary, comment;
};

void PrintHeader(const char* first) {
  std::printf("%-56s %12s %12s %12s %8s\n", first, "bytes", "ns/call", "MB/s", "ratio");
}

void PrintRow(const char* name, size_t bytes, double seconds, double ratio) {
  const double mbps = static_cast<double>(bytes) / seconds / 1e6;
  if (ratio > 0)
    std::printf("%-56s %12zu %12.1f %12.0f %8.2f\n", name, bytes, seconds * 1e9, mbps, ratio);
  else
    std::printf("%-56s %12zu %12.1f %12.0f %8s\n", name, bytes, seconds * 1e9, mbps, "");
}

// A sketch of the change proposed for ComposeShareLink, measured beside it
// (and checked to give the same bytes): each field is scanned once, eight
// bytes at a time, for its length and for the bytes that need encoding
// together; fields with nothing to encode are copied with one memcpy, the
// others run by run. Aligned eight-byte reads stay inside the group that
// holds the NUL, like TextLength's four-byte ones.
namespace sketch {

constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
inline uint64_t HasZero(uint64_t x) { return (x - kOnes) & ~x & kHigh; }
// Non-zero when some byte is below 0x20 (the NUL among them), 0x7F, or one
// of % & # + ".
inline uint64_t HasSpecial(uint64_t x) {
  return ((x - kOnes * 0x20) & ~x & kHigh) | HasZero(x ^ (kOnes * 0x7F)) | HasZero(x ^ (kOnes * '%')) |
         HasZero(x ^ (kOnes * '&')) | HasZero(x ^ (kOnes * '#')) | HasZero(x ^ (kOnes * '+')) |
         HasZero(x ^ (kOnes * '"'));
}
inline bool NeedsEncoding(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '%' || c == '&' || c == '#' || c == '+' || c == '"';
}
typedef uint64_t __attribute__((may_alias)) Word;

// Length up to the NUL and the number of bytes that need encoding.
__attribute__((no_sanitize_address)) size_t Scan(const char* text, size_t& special) {
  special = 0;
  if (!text) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  for (;;) {
    if ((reinterpret_cast<uintptr_t>(p) & 7) == 0 && !HasSpecial(*reinterpret_cast<const Word*>(p))) {
      p += 8;
      continue;
    }
    if (*p == 0) return static_cast<size_t>(p - reinterpret_cast<const unsigned char*>(text));
    special += NeedsEncoding(*p);
    ++p;
  }
}

char* CopyEncoded(char* out, const char* text, size_t length) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const char* run = text;
  const char* end = text + length;
  const char* p = text;
  while (p < end) {
    if ((reinterpret_cast<uintptr_t>(p) & 7) == 0 && p + 8 <= end &&
        !HasSpecial(*reinterpret_cast<const Word*>(p))) {
      p += 8;
      continue;
    }
    unsigned char c = static_cast<unsigned char>(*p);
    if (NeedsEncoding(c)) {
      std::memcpy(out, run, static_cast<size_t>(p - run));
      out += p - run;
      *out++ = '%';
      *out++ = kHex[c >> 4];
      *out++ = kHex[c & 15];
      run = p + 1;
    }
    ++p;
  }
  std::memcpy(out, run, static_cast<size_t>(end - run));
  return out + (end - run);
}

#ifdef __SSE2__
// The same with sixteen bytes at a time: SSE2 is in every x86-64 and every
// x86 that runs a current Windows.
inline __m128i Special16(__m128i v) {
  const __m128i controls = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x1F)), v);
  __m128i m = _mm_or_si128(controls, _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)));
  m = _mm_or_si128(m, _mm_cmpeq_epi8(v, _mm_set1_epi8('%')));
  m = _mm_or_si128(m, _mm_cmpeq_epi8(v, _mm_set1_epi8('&')));
  m = _mm_or_si128(m, _mm_cmpeq_epi8(v, _mm_set1_epi8('#')));
  m = _mm_or_si128(m, _mm_cmpeq_epi8(v, _mm_set1_epi8('+')));
  return _mm_or_si128(m, _mm_cmpeq_epi8(v, _mm_set1_epi8('"')));
}

__attribute__((no_sanitize_address)) size_t Scan16(const char* text, size_t& special) {
  special = 0;
  if (!text) return 0;
  const char* p = text;
  for (; reinterpret_cast<uintptr_t>(p) & 15; ++p) {
    if (*p == 0) return static_cast<size_t>(p - text);
    special += NeedsEncoding(static_cast<unsigned char>(*p));
  }
  for (;; p += 16) {
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(Special16(_mm_load_si128(reinterpret_cast<const __m128i*>(p)))));
    for (; mask; mask &= mask - 1) {
      const int at = __builtin_ctz(mask);
      if (p[at] == 0) return static_cast<size_t>(p + at - text);
      ++special;
    }
  }
}

// Copies and encodes in the same pass, sixteen bytes a step.
char* CopyEncoded16(char* out, const char* text, size_t length) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const char* p = text;
  const char* end = text + length;
  for (; p + 16 <= end; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (!_mm_movemask_epi8(Special16(v))) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
      out += 16;
      continue;
    }
    for (int i = 0; i < 16; ++i) {
      const unsigned char c = static_cast<unsigned char>(p[i]);
      if (NeedsEncoding(c)) {
        *out++ = '%';
        *out++ = kHex[c >> 4];
        *out++ = kHex[c & 15];
      } else {
        *out++ = static_cast<char>(c);
      }
    }
  }
  for (; p < end; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (NeedsEncoding(c)) {
      *out++ = '%';
      *out++ = kHex[c >> 4];
      *out++ = kHex[c & 15];
    } else {
      *out++ = static_cast<char>(c);
    }
  }
  return out;
}
#endif

template <size_t (*ScanField)(const char*, size_t&), char* (*CopyField)(char*, const char*, size_t)>
Text ComposeWith(const char* address, const char* title, const char* summary, const char* comment) {
  static constexpr std::string_view kHead =
      "http://" QQSHARE_SHARE_HOST "/widget/shareqq/index.html?url=http%3A%2F%2F";
  static constexpr std::string_view kKeys[] = {"&title=", "&summary=", "&desc=",
                                               "%5E_%5E&site=discuz%7C&style=103&width=50&height=16"};
  const char* fields[4] = {address, title, summary, comment};
  size_t lengths[4], specials[4], total = kHead.size() + 1;
  for (int f = 0; f < 4; ++f) {
    lengths[f] = ScanField(fields[f], specials[f]);
    total += lengths[f] + 2 * specials[f] + kKeys[f].size();
  }
  char* block = static_cast<char*>(AllocateBlock(total));
  char* out = block;
  std::memcpy(out, kHead.data(), kHead.size());
  out += kHead.size();
  for (int f = 0; f < 4; ++f) {
    if (specials[f] == 0) {
      if (lengths[f]) std::memcpy(out, fields[f], lengths[f]);
      out += lengths[f];
    } else {
      out = CopyField(out, fields[f], lengths[f]);
    }
    std::memcpy(out, kKeys[f].data(), kKeys[f].size());
    out += kKeys[f].size();
  }
  *out = '\0';
  return block;
}

struct Variant {
  const char* name;
  Text (*compose)(const char*, const char*, const char*, const char*);
};
constexpr Variant kVariants[] = {
    {"  sketch: fused 8-byte scan", &ComposeWith<&Scan, &CopyEncoded>},
#ifdef __SSE2__
    {"  sketch: fused 16-byte SSE2 scan", &ComposeWith<&Scan16, &CopyEncoded16>},
#endif
};

}  // namespace sketch

// Optional filter from the command line: only cases whose name holds it.
const char* g_only = nullptr;
bool Wanted(const char* name) { return !g_only || std::strstr(name, g_only); }

void BenchCompose(const Fields& f) {
  if (!Wanted(f.name)) return;
  Text probe = ComposeShareLink(f.address.c_str(), f.title.c_str(), f.summary.c_str(), f.comment.c_str());
  const size_t bytes = std::strlen(probe);
  FreeBlock(probe);

  const double compose = Time([&] {
    Text link = ComposeShareLink(f.address.c_str(), f.title.c_str(), f.summary.c_str(), f.comment.c_str());
    Keep(link);
    FreeBlock(link);
  });
  // The same bytes copied into a block of the same size, allocated and freed
  // like the link's.
  std::vector<char> source(bytes + 1, 'a');
  const double copy = Time([&] {
    char* block = static_cast<char*>(std::malloc(bytes + 1));
    Keep(block);
    std::memcpy(block, source.data(), bytes + 1);
    Keep(block);
    std::free(block);
  });
  double variantTimes[sizeof sketch::kVariants / sizeof sketch::kVariants[0]];
  for (size_t v = 0; v < sizeof sketch::kVariants / sizeof sketch::kVariants[0]; ++v) {
    const auto compose = sketch::kVariants[v].compose;
    Text real = ComposeShareLink(f.address.c_str(), f.title.c_str(), f.summary.c_str(), f.comment.c_str());
    Text sketched = compose(f.address.c_str(), f.title.c_str(), f.summary.c_str(), f.comment.c_str());
    if (std::strcmp(real, sketched) != 0) {
      std::fprintf(stderr, "micro:%s composes a different link for %s\n", sketch::kVariants[v].name, f.name);
      std::exit(1);
    }
    FreeBlock(real);
    FreeBlock(sketched);
    variantTimes[v] = Time([&] {
      Text link = compose(f.address.c_str(), f.title.c_str(), f.summary.c_str(), f.comment.c_str());
      Keep(link);
      FreeBlock(link);
    });
  }
  char name[96];
  std::snprintf(name, sizeof name, "ComposeShareLink, %s", f.name);
  PrintRow(name, bytes, compose, copy / compose);
  PrintRow("  memcpy of the same bytes", bytes, copy, 0);
  for (size_t v = 0; v < sizeof sketch::kVariants / sizeof sketch::kVariants[0]; ++v)
    PrintRow(sketch::kVariants[v].name, bytes, variantTimes[v], copy / variantTimes[v]);
}

void BenchLength(size_t size) {
  if (!Wanted("TextLength")) return;
  // Odd start, so TextLength also walks its unaligned head.
  std::vector<char> storage(size + 8);
  char* text = storage.data() + 1;
  std::memset(text, 'x', size);
  text[size] = '\0';
  const char* volatile sink = text;

  const double ours = Time([&] { Keep(TextLength(sink)); });
  const double libc = Time([&] { Keep(std::strlen(sink)); });
  char name[64];
  std::snprintf(name, sizeof name, "TextLength, %zu B", size);
  PrintRow(name, size, ours, libc / ours);
  PrintRow("  strlen", size, libc, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_only = argv[1];
  const std::string gbk = "\xD7\xD4\xB6\xA8\xD2\xE5\xD6\xB8\xB6\xA8\xC4\xDA\xC8\xDD";  // GBK text
  const size_t mib = 1 << 20;
  const Fields typical = {"typical (no byte to encode)", "www.example.com/news/2024/0611/article-12345.html",
                          gbk + "2024", gbk + " " + gbk + " summary text",
                          gbk + " nice"};
  const Fields typicalMarks = {"typical with & # % \" and a line break",
                               "www.example.com/a?id=7&page=2#top", "Tom & Jerry 100%",
                               "\"C#\" line one\r\nline two", gbk + " +1"};
  const Fields large = {"1 MiB fields (no byte to encode)",
                        Repeat("www.example.com/path/", mib), Repeat(gbk + " title ", mib),
                        Repeat(gbk + " summary ", mib), Repeat(gbk + " comment ", mib)};
  const Fields largeMarks = {"1 MiB fields, a line break every 64 B",
                             Repeat("www.example.com/path/page.html?a=1&b=2#frag0123456789012345\r\n", mib),
                             Repeat(gbk + " title text with some ascii 0123456789012345\r\n", mib),
                             Repeat(gbk + " summary text with some ascii 01234567890123\r\n", mib),
                             Repeat(gbk + " comment text with some ascii 01234567890123\r\n", mib)};

  PrintHeader("case (ratio: speed against memcpy/strlen)");
  BenchCompose(typical);
  BenchCompose(typicalMarks);
  BenchCompose(large);
  BenchCompose(largeMarks);
  std::printf("\n");
  PrintHeader("case");
  for (size_t size : {size_t{16}, size_t{1024}, mib}) BenchLength(size);
  return 0;
}
