#include "win32/Canvas.h"

#include <algorithm>
#include <cstring>

#include "app/front/ViewLook.h"
#include "win32/Fonts.h"
#include "win32/ResourceIds.h"

namespace tessaro {

namespace {

COLORREF ColourOf(TextColour colour) {
  const look::Rgb rgb = look::RgbOf(colour);
  return RGB(rgb.red, rgb.green, rgb.blue);
}

HBITMAP LoadPicture(int id) {
  return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// `source` brought to `size`: itself when it has that size already, else a
// new bitmap the source is averaged down (or up) into.
HBITMAP Sized(HBITMAP source, PictureSize size) {
  if (source == nullptr) return nullptr;
  BITMAP info{};
  GetObjectA(source, sizeof info, &info);
  if (info.bmWidth == size.width && info.bmHeight == size.height) return source;
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HBITMAP sized = CreateCompatibleBitmap(screen, size.width, size.height);
  ReleaseDC(nullptr, screen);
  if (sized != nullptr) {
    HGDIOBJ oldFrom = SelectObject(from, source);
    HGDIOBJ oldTo = SelectObject(to, sized);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, 0, 0, size.width, size.height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
  }
  DeleteDC(from);
  DeleteDC(to);
  DeleteObject(source);
  return sized;
}

void FillWhite(HDC dc, const RECT& area) {
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

}  // namespace

// Carries out a repaint's drawing, in device pixels, on the canvas's memory DC.
class GdiPainter final : public PaintSink {
 public:
  explicit GdiPainter(Canvas& canvas)
      : canvas_(canvas), pictureDc_(CreateCompatibleDC(canvas.dc_)) {}
  ~GdiPainter() override { DeleteDC(pictureDc_); }
  GdiPainter(const GdiPainter&) = delete;
  GdiPainter& operator=(const GdiPainter&) = delete;

  void DrawPicture(Picture picture, int x, int y) override {
    HBITMAP bitmap = canvas_.pictures_[static_cast<int>(picture)];
    if (bitmap == nullptr) return;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    HGDIOBJ old = SelectObject(pictureDc_, bitmap);
    BitBlt(canvas_.dc_, x, y, info.bmWidth, info.bmHeight, pictureDc_, 0, 0, SRCCOPY);
    SelectObject(pictureDc_, old);
  }
  void DrawVerticalLine(int x, int top, int bottom) override {
    RECT line{x, top, x + 1, bottom};
    FillRect(canvas_.dc_, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  void DrawText(const TextBox& box, const char* text, int length, TextFace face,
                TextColour colour) override {
    SelectObject(canvas_.dc_, face == TextFace::View ? canvas_.viewFont_ : canvas_.systemFont_);
    SetTextColor(canvas_.dc_, ColourOf(colour));
    SetBkMode(canvas_.dc_, TRANSPARENT);
    const RECT clip{box.left, box.top, box.right, box.bottom};
    ExtTextOutA(canvas_.dc_, box.left, box.top, ETO_CLIPPED, &clip, text, static_cast<UINT>(length),
                nullptr);
  }

 private:
  Canvas& canvas_;
  HDC pictureDc_;
};

Canvas::Canvas() {
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  LoadFonts();
  LoadPictures();
  Resize(1, 1);
}

Canvas::~Canvas() {
  if (initialBitmap_ != nullptr) SelectObject(dc_, initialBitmap_);
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  DeleteDC(dc_);
  FreeFontsAndPictures();
}

void Canvas::LoadFonts() {
  viewFont_ = MakeViewFont(scale_);
  systemFont_ = MakeSystemFont(scale_);
  HGDIOBJ old = SelectObject(dc_, viewFont_);
  SIZE size{};
  GetTextExtentPoint32A(dc_, "0", 1, &size);
  charWidth_ = size.cx > 0 ? size.cx : scale_.Px(look::kViewCharWidth);
  SelectObject(dc_, old);
}

// The single-size drawings at 100 %, else the double-size ones brought to
// the scale's size (as they are at 200 %).
void Canvas::LoadPictures() {
  static constexpr int kSingle[] = {IDB_HOST, IDB_BASE, IDB_TERMINAL};
  static constexpr int kDouble[] = {IDB_HOST_2X, IDB_BASE_2X, IDB_TERMINAL_2X};
  for (int i = 0; i < 3; ++i) {
    const Picture picture = static_cast<Picture>(i);
    const int id = scale_.DoublePictures() ? kDouble[i] : kSingle[i];
    pictures_[i] = Sized(LoadPicture(id), PictureSizeOf(picture, scale_));
  }
}

void Canvas::FreeFontsAndPictures() {
  for (HBITMAP& picture : pictures_) {
    if (picture != nullptr) DeleteObject(picture);
    picture = nullptr;
  }
  if (viewFont_ != nullptr) DeleteObject(viewFont_);
  if (systemFont_ != nullptr) DeleteObject(systemFont_);
  viewFont_ = systemFont_ = nullptr;
}

void Canvas::SetScale(const ViewScale& scale) {
  std::scoped_lock lock(mutex_);
  if (scale == scale_) return;
  // The fonts may be selected into the canvas's DC: a stock font takes their
  // place before they go.
  SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  FreeFontsAndPictures();
  scale_ = scale;
  LoadFonts();
  LoadPictures();
}

ViewScale Canvas::Scale() const {
  std::scoped_lock lock(mutex_);
  return scale_;
}

int Canvas::CharWidth() const {
  std::scoped_lock lock(mutex_);
  return charWidth_;
}

SIZE Canvas::Size() const {
  std::scoped_lock lock(mutex_);
  return SIZE{width_, height_};
}

void Canvas::Resize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  std::scoped_lock lock(mutex_);
  if (bitmap_ != nullptr && width == width_ && height == height_) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP fresh = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (fresh == nullptr) return;  // keeps the old picture rather than none
  HGDIOBJ old = SelectObject(dc_, fresh);
  if (initialBitmap_ == nullptr) initialBitmap_ = old;
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  bitmap_ = fresh;
  width_ = width;
  height_ = height;
  FillWhite(dc_, RECT{0, 0, width, height});
}

RECT Canvas::Render(const TopologyModel& model, bool whole) {
  std::scoped_lock lock(mutex_);
  RECT area{whole ? 0 : scale_.Px(layout::kTopologyLeft), 0, width_, height_};
  HRGN clip = CreateRectRgnIndirect(&area);
  SelectClipRgn(dc_, clip);
  FillWhite(dc_, area);
  GdiPainter painter(*this);
  ScaledSink sink(scale_, painter);
  PaintTopology(model, scale_.Logical(height_), sink);
  SelectClipRgn(dc_, nullptr);
  DeleteObject(clip);
  return area;
}

RECT Canvas::DrawCell(int x, int y, const char* text, int colourClass) {
  const int length = static_cast<int>(std::strlen(text));
  std::scoped_lock lock(mutex_);
  const TextBox box = scale_.Box(TextBoxAt(x, y, length));
  const RECT clip{box.left, box.top, box.right, box.bottom};
  const TextBox b = look::CellBackground(box, length, charWidth_);
  const RECT background{b.left, b.top, b.right, b.bottom};
  FillWhite(dc_, background);
  SelectObject(dc_, viewFont_);
  SetTextColor(dc_, ColourOf(ColourOfClass(colourClass)));
  SetBkMode(dc_, TRANSPARENT);
  ExtTextOutA(dc_, box.left, box.top, ETO_CLIPPED, &clip, text, static_cast<UINT>(length), nullptr);
  RECT bounds{0, 0, width_, height_};
  RECT touched{};
  IntersectRect(&touched, &clip, &bounds);
  return touched;
}

void Canvas::CopyTo(HDC target, const RECT& area, POINT origin) {
  std::scoped_lock lock(mutex_);
  BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc_,
         area.left + origin.x, area.top + origin.y, SRCCOPY);
}

}  // namespace tessaro
