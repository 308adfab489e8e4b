// Micro benchmark of the share link's text routines against the C library:
// ComposeShareLink against memcpy of the same number of bytes, TextLength
// against strlen. Each case runs in trials of at least kTrialSeconds; the
// fastest trial counts. Prints bytes per second and the ratios.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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
  std::printf("%-44s %12s %12s %12s %8s\n", first, "bytes", "ns/call", "MB/s", "ratio");
}

void PrintRow(const char* name, size_t bytes, double seconds, double ratio) {
  const double mbps = static_cast<double>(bytes) / seconds / 1e6;
  if (ratio > 0)
    std::printf("%-44s %12zu %12.1f %12.0f %8.2f\n", name, bytes, seconds * 1e9, mbps, ratio);
  else
    std::printf("%-44s %12zu %12.1f %12.0f %8s\n", name, bytes, seconds * 1e9, mbps, "");
}

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
  char name[64];
  std::snprintf(name, sizeof name, "ComposeShareLink, %s", f.name);
  PrintRow(name, bytes, compose, copy / compose);
  std::snprintf(name, sizeof name, "  memcpy of the same bytes");
  PrintRow(name, bytes, copy, 0);
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
