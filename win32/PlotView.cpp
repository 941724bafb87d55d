#include "win32/PlotView.h"

#include <cmath>

#include "app/front/PlotLayout.h"
#include "win32/ObjectWindow.h"
#include "win32/PlotPng.h"

namespace tessaro {

namespace {

constexpr char kClassName[] = "TessaroPlot";

COLORREF ColourOf(look::Rgb rgb) {
  return RGB(rgb.red, rgb.green, rgb.blue);
}

int Pixel(double at) {
  return static_cast<int>(std::lround(at));
}

void DrawText(HDC dc, const PlotText& text) {
  UINT align = TA_BASELINE | TA_LEFT;
  if (text.align == PlotAlign::kRight) align = TA_BASELINE | TA_RIGHT;
  if (text.align == PlotAlign::kCentre) align = TA_BASELINE | TA_CENTER;
  SetTextAlign(dc, align);
  TextOutA(dc, Pixel(text.x), Pixel(text.y), text.text.c_str(), static_cast<int>(text.text.size()));
}

void DrawPane(HDC dc, const PlotPane& pane) {
  const PlotBox& a = pane.area;
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  Rectangle(dc, a.left, a.top, a.Right() + 1, a.Bottom() + 1);
  HPEN grid = CreatePen(PS_SOLID, 1, ColourOf(kPlotGrid));
  SelectObject(dc, grid);
  for (double y : pane.grid) {
    MoveToEx(dc, a.left + 1, Pixel(y), nullptr);
    LineTo(dc, a.Right(), Pixel(y));
  }
  for (const PlotText& label : pane.labels) DrawText(dc, label);
  DrawText(dc, pane.caption);

  const COLORREF colour = ColourOf(pane.colour);
  HPEN line = CreatePen(PS_SOLID, Pixel(kLineWidth), colour);
  HBRUSH fill = CreateSolidBrush(colour);
  SelectObject(dc, line);
  std::vector<POINT> points;
  for (const std::vector<PlotPoint>& run : pane.runs) {
    points.clear();
    for (const PlotPoint& at : run) points.push_back({Pixel(at.x), Pixel(at.y)});
    Polyline(dc, points.data(), static_cast<int>(points.size()));
  }
  SelectObject(dc, GetStockObject(NULL_PEN));
  SelectObject(dc, fill);
  const int r = Pixel(kMarkRadius);
  for (const std::vector<PlotPoint>& run : pane.runs) {
    for (const PlotPoint& at : run) {
      // A null pen leaves out the right and bottom edges: one more on each.
      Ellipse(dc, Pixel(at.x) - r, Pixel(at.y) - r, Pixel(at.x) + r + 2, Pixel(at.y) + r + 2);
    }
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(grid);
  DeleteObject(line);
  DeleteObject(fill);
}

}  // namespace

void PaintPlot(HDC dc, HFONT font, int width, int height, const std::vector<SeriesPoint>& points,
               bool passive, const std::string& title) {
  const RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SIZE widest{};
  GetTextExtentPoint32A(dc, kWidestLabel, static_cast<int>(sizeof kWidestLabel - 1), &widest);
  PlotMetrics m;
  m.width = width;
  m.height = height;
  m.lineHeight = tm.tmHeight;
  m.ascent = tm.tmAscent;
  m.labelWidth = widest.cx;
  const PlotFrame frame = LayOutPlot(m, points, passive, title);
  DrawText(dc, frame.title);
  DrawPane(dc, frame.reply);
  DrawPane(dc, frame.loss);
  DrawText(dc, frame.unit);
  SelectObject(dc, oldFont);
}

PlotView::~PlotView() {
  if (hwnd_ != nullptr) SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
}

bool PlotView::Create(HWND parent, HFONT font) {
  font_ = font;
  WNDCLASSA wc{};
  wc.lpfnWndProc = ObjectWindowProc<PlotView>;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // fails harmlessly when registered already
  return CreateWindowExA(WS_EX_CLIENTEDGE, kClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                         parent, nullptr, wc.hInstance, this) != nullptr;
}

void PlotView::SetFont(HFONT font) {
  font_ = font;
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void PlotView::SetSeries(const std::string& title, std::vector<SeriesPoint> points, bool passive) {
  title_ = title;
  points_ = std::move(points);
  passive_ = passive;
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void PlotView::Paint(HDC dc, int width, int height) const {
  PaintPlot(dc, font_, width, height, points_, passive_, title_);
}

LRESULT PlotView::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd_, &ps);
      RECT client{};
      GetClientRect(hwnd_, &client);
      HDC memory = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
      HGDIOBJ old = SelectObject(memory, bitmap);
      Paint(memory, client.right, client.bottom);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteObject(bitmap);
      DeleteDC(memory);
      EndPaint(hwnd_, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
}

std::string PlotView::SavePng(const std::string& path) const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) return "the plot is not shown";
  // Drawn again into a top-down 24-bit bitmap, as the window shows it.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(hwnd_);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(hwnd_, screen);
  if (bitmap == nullptr || bits == nullptr) {
    DeleteDC(memory);
    return "no memory for the picture";
  }
  HGDIOBJ old = SelectObject(memory, bitmap);
  Paint(memory, width, height);
  GdiFlush();
  const int stride = (width * 3 + 3) & ~3;
  std::string error =
      WritePng(path, width, height, stride, static_cast<const unsigned char*>(bits));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return error;
}

}  // namespace tessaro
