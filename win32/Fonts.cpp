#include "win32/Fonts.h"

#include <cstring>

#include "app/front/ViewLook.h"

namespace tessaro {

namespace {

using look::kSystemFontPixels;
using look::kViewCharWidth;
using look::kViewFontPixels;
constexpr int kSystemCharWidth = 7;
constexpr int kGuiFontPixels = 11;

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

int WindowDpi(HWND hwnd) {
  // Windows 10 1607 and later; the system's DPI before.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpi != nullptr && hwnd != nullptr) {
    const UINT dpi = getDpi(hwnd);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

const char* FirstInstalledFace(const char* const* faces) {
  for (; *faces != nullptr; ++faces) {
    if (Installed(*faces)) return *faces;
  }
  return nullptr;
}

HFONT MakeViewFont(const ViewScale& scale) {
  static const char* const kFaces[] = {look::kViewFace,    "Courier New", "Lucida Console",
                                       "DejaVu Sans Mono", "Courier",     nullptr};
  return MakeFont(kFaces, scale.Px(kViewFontPixels), scale.Px(kViewCharWidth), FW_NORMAL,
                  FIXED_PITCH | FF_MODERN);
}

HFONT MakeSystemFont(const ViewScale& scale) {
  static const char* const kFaces[] = {"Arial", "Tahoma", "DejaVu Sans", nullptr};
  return MakeFont(kFaces, scale.Px(kSystemFontPixels), scale.Px(kSystemCharWidth), FW_BOLD,
                  VARIABLE_PITCH | FF_SWISS);
}

HFONT MakeGuiFont(const ViewScale& scale) {
  LOGFONTA font{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfHeight = -scale.Px(kGuiFontPixels);
  font.lfWidth = 0;
  return CreateFontIndirectA(&font);
}

void MoveToSuggested(HWND hwnd, LPARAM lParam) {
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tessaro
