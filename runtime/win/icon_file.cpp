#include "icon_file.h"

#include <cstring>

namespace {

#pragma pack(push, 1)
struct Header {
  WORD reserved;
  WORD type;
  WORD count;
};
struct Entry {
  BYTE width, height, colourCount, reserved;
  WORD planes;
  WORD bitCount;
  DWORD bytes;
  DWORD offset;
};
#pragma pack(pop)

}  // namespace

std::vector<IconFileImage> ReadIconFile(const std::string& data, IconFileType type) {
  std::vector<IconFileImage> images;
  Header header;
  if (data.size() < sizeof header) return images;
  std::memcpy(&header, data.data(), sizeof header);
  if (header.reserved != 0 || header.type != static_cast<WORD>(type) || header.count == 0) return images;
  if (data.size() < sizeof header + header.count * sizeof(Entry)) return images;
  const BYTE* base = reinterpret_cast<const BYTE*>(data.data());
  for (WORD i = 0; i < header.count; ++i) {
    Entry entry;
    std::memcpy(&entry, base + sizeof header + i * sizeof entry, sizeof entry);
    if (entry.bytes == 0 || entry.offset > data.size() || entry.bytes > data.size() - entry.offset) continue;
    images.push_back({entry.width ? entry.width : 256, entry.height ? entry.height : 256, entry.planes,
                      entry.bitCount, base + entry.offset, entry.bytes});
  }
  return images;
}

HICON MakeIconFromImage(const IconFileImage& image, int width, int height) {
  std::vector<DWORD> aligned((image.size + sizeof(DWORD) - 1) / sizeof(DWORD));
  std::memcpy(aligned.data(), image.bytes, image.size);
  return CreateIconFromResourceEx(reinterpret_cast<BYTE*>(aligned.data()), image.size, TRUE, 0x00030000, width,
                                  height, LR_DEFAULTCOLOR);
}
