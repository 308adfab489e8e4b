// The share link, byte for byte, and the text routines under it.
#include "share/share_link.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

const std::string kHead = std::string("http://") + QQSHARE_SHARE_HOST +
                          "/widget/shareqq/index.html?url=http%3A%2F%2F";
const std::string kTail = "%5E_%5E&site=discuz%7C&style=103&width=50&height=16";

// Records the size of every block handed out, to check "exactly the needed size".
struct SizeRecorder {
  static std::vector<size_t>& sizes() {
    static std::vector<size_t> recorded;
    return recorded;
  }
  static void* Allocate(size_t size) {
    sizes().push_back(size);
    return std::malloc(size);
  }
  static std::vector<void*>& released() {
    static std::vector<void*> recorded;
    return recorded;
  }
  static void Release(void* block) {
    released().push_back(block);
    std::free(block);
  }
};

class ShareLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SizeRecorder::sizes().clear();
    SizeRecorder::released().clear();
    previous_ = SetBlockAllocator({&SizeRecorder::Allocate, &SizeRecorder::Release});
  }
  void TearDown() override { SetBlockAllocator(previous_); }

  // Composes, checks one block of exactly length + 1, returns the bytes.
  std::string Compose(const char* address, const char* title, const char* summary, const char* comment) {
    Text link = ComposeShareLink(address, title, summary, comment);
    std::string bytes(link);
    EXPECT_EQ(SizeRecorder::sizes(), std::vector<size_t>{bytes.size() + 1});
    FreeBlock(link);
    return bytes;
  }

 private:
  BlockAllocator previous_{};
};

struct LinkCase {
  const char* name;
  const char* address;
  const char* title;
  const char* summary;
  const char* comment;
  const char* expectedMiddle;  // between the head and the tail
};

const LinkCase kLinkCases[] = {
    {"worked example", "abc/1.html", "Hello", "two words", "Nice",
     "abc/1.html&title=Hello&summary=two words&desc=Nice"},
    {"all empty", "", "", "", "", "&title=&summary=&desc="},
    {"all null", nullptr, nullptr, nullptr, nullptr, "&title=&summary=&desc="},
    {"some null", "a.b", nullptr, "s", nullptr, "a.b&title=&summary=s&desc="},
    {"own scheme", "http://a.b/c", "t", "s", "c", "http://a.b/c&title=t&summary=s&desc=c"},
    {"ampersand and equals", "a.b/?x=1&y=2", "Tom & Jerry", "a=b", "c",
     "a.b/?x=1%26y=2&title=Tom %26 Jerry&summary=a=b&desc=c"},
    {"hash", "a.b/#top", "C#", "s", "c", "a.b/%23top&title=C%23&summary=s&desc=c"},
    {"percent", "a.b/%41", "100%", "s", "c", "a.b/%2541&title=100%25&summary=s&desc=c"},
    {"plus", "a.b", "1+1", "s", "c", "a.b&title=1%2B1&summary=s&desc=c"},
    {"quote", "a.b", "say \"hi\"", "s", "\" --flag", "a.b&title=say %22hi%22&summary=s&desc=%22 --flag"},
    {"CR LF and control bytes", "a.b", "t", "line1\r\nline2", "tab\there\x7f\x01",
     "a.b&title=t&summary=line1%0D%0Aline2&desc=tab%09here%7F%01"},
    {"other punctuation as typed", "a.b/p?q=1;r:s", "<>'{}|\\^`~!*()", "/?:@", "$,;",
     "a.b/p?q=1;r:s&title=<>'{}|\\^`~!*()&summary=/?:@&desc=$,;"},
    // 标题 in GBK; a trail byte 0x5C or 0x7C stays as it is
    {"two-byte text", "a.b", "\xB1\xEA\xCC\xE2", "\x95\x5C\x81\x7C", "c",
     "a.b&title=\xB1\xEA\xCC\xE2&summary=\x95\x5C\x81\x7C&desc=c"},
};

TEST_F(ShareLinkTest, ComposesExactBytesInOneBlockOfExactSize) {
  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.name);
    SizeRecorder::sizes().clear();
    EXPECT_EQ(Compose(c.address, c.title, c.summary, c.comment), kHead + c.expectedMiddle + kTail);
  }
}

TEST_F(ShareLinkTest, WorkedExampleHasItsLength) {
  std::string link = Compose("abc/1.html", "Hello", "two words", "Nice");
  EXPECT_EQ(link.size(), 152 + std::strlen(QQSHARE_SHARE_HOST));
  EXPECT_EQ(link.size(), 124 + std::strlen(QQSHARE_SHARE_HOST) + 10 + 5 + 9 + 4);
}

TEST_F(ShareLinkTest, ComposeLeavesTheFieldTextsAlone) {
  char title[] = "a&b";
  Text link = ComposeShareLink("x", title, "y", "z");
  EXPECT_STREQ(title, "a&b");
  FreeBlock(link);
}

TEST_F(ShareLinkTest, ConcatTextsJoinsInOrderSkippingNulls) {
  const char* texts[] = {"ab", nullptr, "", "c&d", "%"};
  Text joined = ConcatTexts(5, texts);
  EXPECT_STREQ(joined, "abc&d%");
  EXPECT_EQ(SizeRecorder::sizes(), std::vector<size_t>{7});
  FreeBlock(joined);

  std::vector<std::string> many(40, "xy");
  std::vector<const char*> pointers;
  for (const std::string& s : many) pointers.push_back(s.c_str());
  SizeRecorder::sizes().clear();
  joined = ConcatTexts(pointers.size(), pointers.data());
  std::string expected;
  for (int i = 0; i < 40; ++i) expected += "xy";
  EXPECT_EQ(std::string(joined), expected);
  EXPECT_EQ(SizeRecorder::sizes(), std::vector<size_t>{81});
  FreeBlock(joined);
}

std::string ReferenceEncode(const std::string& text) {
  std::string out;
  for (unsigned char byte : text) {
    if (byte < 0x20 || byte == 0x7F || byte == '%' || byte == '&' || byte == '#' || byte == '+' || byte == '"') {
      static const char hex[] = "0123456789ABCDEF";
      out += '%';
      out += hex[byte >> 4];
      out += hex[byte & 15];
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

// The user texts are scanned a group of bytes at a time: every offset from
// a group boundary, every length up to a few groups, encoded bytes anywhere.
TEST_F(ShareLinkTest, EncodesAtEveryAlignmentAndLength) {
  alignas(16) char buffer[96];
  const std::string sample = "a&b%c\x01d\"e#f+g\x7fh\xb1\xeai\r\nj klmnopqrstuvwxyz0123456789ABCDEFGHIJ";
  for (size_t offset = 0; offset < 16; ++offset) {
    for (size_t length = 0; length + offset < sizeof buffer && length <= sample.size(); ++length) {
      std::string text = sample.substr(0, length);
      std::memcpy(buffer + offset, text.data(), length);
      buffer[offset + length] = '\0';
      SizeRecorder::sizes().clear();
      EXPECT_EQ(Compose("", buffer + offset, "", ""),
                kHead + "&title=" + ReferenceEncode(text) + "&summary=&desc=" + kTail)
          << "offset " << offset << " length " << length;
    }
  }
}

TEST(TextLengthTest, CountsBytesAtEveryAlignment) {
  alignas(8) char buffer[64];
  for (size_t offset = 0; offset < 8; ++offset) {
    for (size_t length = 0; length < 20; ++length) {
      std::memset(buffer, 'x', sizeof buffer);
      buffer[offset + length] = '\0';
      EXPECT_EQ(TextLength(buffer + offset), length) << "offset " << offset << " length " << length;
    }
  }
  EXPECT_EQ(TextLength(nullptr), 0u);
  EXPECT_EQ(TextLength("\xB1\xEA\xCC\xE2"), 4u);  // bytes, not characters
}

// A text whose NUL is the last byte before an inaccessible page: reading
// one byte too far faults, in measuring and in composing.
TEST(TextLengthTest, ReadsNothingPastTheGroupHoldingTheNul) {
#ifdef _WIN32
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const size_t page = info.dwPageSize;
  char* base = static_cast<char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(base, nullptr);
  DWORD old;
  ASSERT_TRUE(VirtualProtect(base + page, page, PAGE_NOACCESS, &old));
#else
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  char* base = static_cast<char*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(base, MAP_FAILED);
  ASSERT_EQ(mprotect(base + page, page, PROT_NONE), 0);
#endif
  char* end = base + page;  // first inaccessible byte
  std::memset(base, 'x', page);
  end[-1] = '\0';
  for (size_t length = 0; length < 40; ++length) {
    EXPECT_EQ(TextLength(end - 1 - length), length);
    Text link = ComposeShareLink(end - 1 - length, end - 1 - length, "", "");
    EXPECT_EQ(TextLength(link), kHead.size() + 2 * length + std::strlen("&title=&summary=&desc=") + kTail.size());
    FreeBlock(link);
  }
#ifdef _WIN32
  VirtualFree(base, 0, MEM_RELEASE);
#else
  munmap(base, 2 * page);
#endif
}

TEST_F(ShareLinkTest, ReleaseFreesTheHeldLinkAndIgnoresNull) {
  LastShareLink = nullptr;
  ReleaseLastShareLink();
  EXPECT_TRUE(SizeRecorder::released().empty());
  LastShareLink = ComposeShareLink("a", "b", "c", "d");
  void* held = LastShareLink;
  ReleaseLastShareLink();
  EXPECT_EQ(SizeRecorder::released(), std::vector<void*>{held});
  LastShareLink = nullptr;
}

}  // namespace
