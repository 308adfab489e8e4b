// Icon (.ico) and cursor (.cur) files held in settings: their directory read
// once, for the window's icons, the mouse pointer and a button's picture.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

enum class IconFileType : WORD { Icon = 1, Cursor = 2 };

// One image of the file, checked to lie within the file's bytes.
struct IconFileImage {
  int width, height;      // a 0 in the file means 256
  WORD planes, bitCount;  // a cursor's hot spot, x and y
  const BYTE* bytes;
  DWORD size;
};

// The file's images; none if the bytes are no file of that type.
std::vector<IconFileImage> ReadIconFile(const std::string& data, IconFileType type);

// The icon of one image at that size. The system reads the image in place,
// so it is handed an aligned copy.
HICON MakeIconFromImage(const IconFileImage& image, int width, int height);
