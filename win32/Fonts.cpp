#include "win32/Fonts.h"

#include <cstring>

#include "app/front/ViewLook.h"

namespace tessaro {

namespace {

using look::kSystemFontPixels;
using look::kViewCharWidth;
using look::kViewFontPixels;
constexpr int kSystemCharWidth = 7;

int CALLBACK NoteFace(const LOGFONTA* /*font*/, const TEXTMETRICA* /*metric*/, DWORD /*type*/,
                      LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool Installed(const char* face) {
  LOGFONTA query{};
  query.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(query.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &query, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

HFONT MakeFont(const char* const* faces, int height, int width, int weight, BYTE pitch) {
  LOGFONTA font{};
  font.lfHeight = -height;
  font.lfWidth = width;
  font.lfWeight = weight;
  font.lfCharSet = ANSI_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  // Plain pixels in the text colours, as the pictures have.
  font.lfQuality = NONANTIALIASED_QUALITY;
  font.lfPitchAndFamily = pitch;
  if (const char* face = FirstInstalledFace(faces)) {
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  }
  return CreateFontIndirectA(&font);
}

}  // namespace

const char* FirstInstalledFace(const char* const* faces) {
  for (; *faces != nullptr; ++faces) {
    if (Installed(*faces)) return *faces;
  }
  return nullptr;
}

HFONT MakeViewFont() {
  static const char* const kFaces[] = {look::kViewFace,    "Courier New", "Lucida Console",
                                       "DejaVu Sans Mono", "Courier",     nullptr};
  return MakeFont(kFaces, kViewFontPixels, kViewCharWidth, FW_NORMAL, FIXED_PITCH | FF_MODERN);
}

HFONT MakeSystemFont() {
  static const char* const kFaces[] = {"Arial", "Tahoma", "DejaVu Sans", nullptr};
  return MakeFont(kFaces, kSystemFontPixels, kSystemCharWidth, FW_BOLD, VARIABLE_PITCH | FF_SWISS);
}

}  // namespace tessaro
