// The program's icon group and version, read back from the built exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

#pragma pack(push, 2)
struct GroupEntry {
  BYTE width, height, colourCount, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupHeader {
  WORD reserved, type, count;
  GroupEntry entries[1];
};
#pragma pack(pop)

TEST(Resources, DefaultIconHoldsThree16ColourImages) {
  HMODULE exe = LoadLibraryExA(QQSHARE_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(exe) << QQSHARE_EXE;
  HRSRC group = FindResourceA(exe, "DEFAULT_ICON", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
  ASSERT_TRUE(group);
  auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(exe, group)));
  ASSERT_EQ(header->count, 3);
  int widths[3];
  for (int i = 0; i < 3; ++i) {
    const GroupEntry& entry = header->entries[i];
    widths[i] = entry.width;
    EXPECT_EQ(entry.width, entry.height);
    HRSRC image = FindResourceA(exe, MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3) /* RT_ICON */);
    ASSERT_TRUE(image);
    auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(exe, image)));
    EXPECT_EQ(info->biWidth, entry.width);
    EXPECT_EQ(info->biBitCount, 4) << "16 colours";
  }
  std::sort(widths, widths + 3);
  EXPECT_EQ(widths[0], 16);
  EXPECT_EQ(widths[1], 32);
  EXPECT_EQ(widths[2], 48);
  FreeLibrary(exe);
}

TEST(Resources, VersionIs1000) {
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(QQSHARE_EXE, &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(QQSHARE_EXE, 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  for (const char* name : {"FileVersion", "ProductVersion"}) {
    char* text = nullptr;
    std::string path = std::string("\\StringFileInfo\\080403A8\\") + name;
    ASSERT_TRUE(VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) << name;
    EXPECT_STREQ(text, "1.0.0.0") << name;
  }
}

}  // namespace
