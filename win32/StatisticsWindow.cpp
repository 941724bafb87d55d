#include "win32/StatisticsWindow.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "app/front/ViewTiming.h"
#include "win32/Fonts.h"
#include "win32/MessageBoxes.h"
#include "win32/ObjectWindow.h"
#include "win32/ReplaceFile.h"

namespace tessaro {

namespace {

constexpr char kClassName[] = "TessaroStatistics";
constexpr UINT_PTR kRefreshTimer = 1;
enum : int { kTableId = 100, kChooserId, kExportId, kSaveId };

// In pixels at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kRowHeight = 24;  // the chooser and the buttons
constexpr int kButtonWidth = 104;
constexpr int kChooserWidth = 64;
constexpr int kChooserDrop = 240;  // the chooser with its list dropped
constexpr int kCellPadding = 16;   // a list view's cell margins
constexpr int kColumnWidth = 60;   // before the cells are measured
constexpr int kMinWidth = 420;
constexpr int kMinHeight = 360;

HWND Control(HWND parent, const char* type, const char* text, DWORD style, int id, HFONT font) {
  HWND hwnd = CreateWindowExA(0, type, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleA(nullptr), nullptr);
  if (hwnd != nullptr) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

int TextWidth(HWND hwnd, HFONT font, const char* text) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32A(dc, text, static_cast<int>(std::char_traits<char>::length(text)), &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return size.cx;
}

void SetCell(HWND table, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(table, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

StatisticsWindow::StatisticsWindow(const Engine& engine) : model_(engine) {}

StatisticsWindow::~StatisticsWindow() {
  if (hwnd_ != nullptr) {
    KillTimer(hwnd_, kRefreshTimer);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (font_ != nullptr) DeleteObject(font_);
}

bool StatisticsWindow::Show(HWND owner) {
  if (hwnd_ == nullptr) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    scale_ = ViewScale(WindowDpi(owner));
    font_ = MakeGuiFont(scale_);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ObjectWindowProc<StatisticsWindow>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassExA(&wc);  // fails harmlessly when registered already
    if (CreateWindowExA(0, kClassName, StatisticsTexts::kTitle,
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                        scale_.Px(StatisticsTexts::kWidth), scale_.Px(StatisticsTexts::kHeight),
                        owner, nullptr, wc.hInstance, this) == nullptr) {
      return false;
    }
    if (!CreateControls()) {
      DestroyWindow(hwnd_);
      return false;
    }
    Layout();
  }
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd_);
  return true;
}

bool StatisticsWindow::CreateControls() {
  mode_ = Control(hwnd_, "STATIC", "", SS_LEFT | SS_NOPREFIX, -1, font_);
  table_ = Control(hwnd_, WC_LISTVIEWA, "",
                   WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                   kTableId, font_);
  chooserLabel_ = Control(hwnd_, "STATIC", StatisticsTexts::kChooser, SS_LEFT, -1, font_);
  chooser_ =
      Control(hwnd_, "COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kChooserId, font_);
  export_ = Control(hwnd_, "BUTTON", StatisticsTexts::kExportButton, WS_TABSTOP, kExportId, font_);
  save_ = Control(hwnd_, "BUTTON", StatisticsTexts::kSaveButton, WS_TABSTOP, kSaveId, font_);
  if (mode_ == nullptr || table_ == nullptr || chooser_ == nullptr || export_ == nullptr ||
      save_ == nullptr || !plot_.Create(hwnd_, font_)) {
    return false;
  }
  SendMessageA(table_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
  return true;
}

void StatisticsWindow::ApplyScale(const ViewScale& scale) {
  HFONT font = MakeGuiFont(scale);
  if (font == nullptr) return;
  scale_ = scale;
  for (HWND control : {mode_, table_, chooserLabel_, chooser_, export_, save_}) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  plot_.SetFont(font);
  if (font_ != nullptr) DeleteObject(font_);
  font_ = font;
  FillTable();  // the columns measured again, in the new font
  Layout();
}

void StatisticsWindow::Layout() {
  if (save_ == nullptr) return;  // sized before its controls exist
  const int margin = scale_.Px(kMargin);
  const int gap = scale_.Px(kGap);
  const int rowHeight = scale_.Px(kRowHeight);
  const int buttonWidth = scale_.Px(kButtonWidth);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
  const int bottom = client.bottom - margin;
  TEXTMETRICA tm{};
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font_);
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  const int label = tm.tmHeight + 2;
  MoveWindow(mode_, margin, margin, width, label, TRUE);
  // The controls along the bottom; the table above the plot between.
  const int row = bottom - rowHeight;
  const int chooserText = TextWidth(hwnd_, font_, StatisticsTexts::kChooser) + 4;
  MoveWindow(chooserLabel_, margin, row + (rowHeight - label) / 2, chooserText, label, TRUE);
  MoveWindow(chooser_, margin + chooserText + gap, row, scale_.Px(kChooserWidth),
             scale_.Px(kChooserDrop), TRUE);
  MoveWindow(save_, margin + width - buttonWidth, row, buttonWidth, rowHeight, TRUE);
  MoveWindow(export_, margin + width - 2 * buttonWidth - gap, row, buttonWidth, rowHeight, TRUE);
  const int top = margin + label + gap;
  const int middle = std::max(0, row - gap - top);
  const int tableHeight = middle * 2 / 5;
  MoveWindow(table_, margin, top, width, tableHeight, TRUE);
  MoveWindow(plot_.Hwnd(), margin, top + tableHeight + gap, width,
             std::max(0, middle - tableHeight - gap), TRUE);
}

void StatisticsWindow::Refresh() {
  model_.Refresh();
  SetWindowTextA(mode_, model_.ModeText().c_str());
  FillTable();
  FillChooser();
  ShowChosenSeries();
}

void StatisticsWindow::FillTable() {
  const std::vector<StatisticsColumn>& columns = model_.Columns();
  const std::vector<StatisticsRow>& rows = model_.Rows();
  const int count = static_cast<int>(columns.size());
  SendMessageA(table_, WM_SETREDRAW, FALSE, 0);
  if (columns_ != count || passiveColumns_ != model_.Passive()) {
    // The mode's columns, with the mode's captions.
    while (columns_ > 0) SendMessageA(table_, LVM_DELETECOLUMN, --columns_, 0);
    for (int c = 0; c < count; ++c) {
      LVCOLUMNA column{};
      column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
      column.fmt = c == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
      column.cx = scale_.Px(kColumnWidth);
      column.pszText = const_cast<char*>(model_.Caption(columns[c]));
      column.iSubItem = c;
      SendMessageA(table_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c),
                   reinterpret_cast<LPARAM>(&column));
    }
    columns_ = count;
    passiveColumns_ = model_.Passive();
  }
  const int shown = static_cast<int>(SendMessageA(table_, LVM_GETITEMCOUNT, 0, 0));
  for (int r = static_cast<int>(rows.size()); r < shown; ++r) {
    SendMessageA(table_, LVM_DELETEITEM, static_cast<WPARAM>(rows.size()), 0);
  }
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    if (r >= shown) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = r;
      item.pszText = const_cast<char*>("");
      SendMessageA(table_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    for (int c = 0; c < count; ++c) SetCell(table_, r, c, model_.Cell(rows[r], columns[c]));
  }
  // Each column as wide as its caption or its widest cell.
  auto textWidth = [this](const char* text) {
    return static_cast<int>(
        SendMessageA(table_, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
  };
  for (int c = 0; c < count; ++c) {
    int width = textWidth(model_.Caption(columns[c]));
    for (const StatisticsRow& row : rows) {
      width = std::max(width, textWidth(model_.Cell(row, columns[c]).c_str()));
    }
    SendMessageA(table_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c),
                 width + scale_.Px(kCellPadding));
  }
  SendMessageA(table_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(table_, nullptr, FALSE);
}

void StatisticsWindow::FillChooser() {
  // Rebuilt only when the terminals change, so an open list stays put; the
  // chosen terminal stays chosen while rows come and go.
  const std::vector<StatisticsRow>& rows = model_.Rows();
  const int count = static_cast<int>(SendMessageA(chooser_, CB_GETCOUNT, 0, 0));
  bool same = count == static_cast<int>(rows.size());
  for (int i = 0; same && i < count; ++i) {
    same = static_cast<int>(SendMessageA(chooser_, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) ==
           rows[i].terminal;
  }
  if (same) return;
  const int chosen = ChosenTerminal();
  SendMessageA(chooser_, CB_RESETCONTENT, 0, 0);
  int index = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].terminal == chosen) index = static_cast<int>(i);
    const std::string name = StatisticsModel::TerminalName(rows[i].terminal);
    const LRESULT at =
        SendMessageA(chooser_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(chooser_, CB_SETITEMDATA, static_cast<WPARAM>(at), rows[i].terminal);
  }
  if (!rows.empty()) SendMessageA(chooser_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int StatisticsWindow::ChosenTerminal() const {
  const LRESULT index = SendMessageA(chooser_, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return 0;
  return static_cast<int>(SendMessageA(chooser_, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void StatisticsWindow::ShowChosenSeries() {
  const int terminal = ChosenTerminal();
  plot_.SetSeries(StatisticsModel::PlotTitle(terminal), model_.Series(terminal), model_.Passive());
}

std::string StatisticsWindow::ExportTable(const std::string& path) const {
  return WriteWholeFile(path, model_.Csv());
}

void StatisticsWindow::AskAndWrite(bool table) {
  char path[MAX_PATH] = {};
  const char* name = table ? StatisticsTexts::kExportName : StatisticsTexts::kSaveName;
  std::char_traits<char>::copy(path, name, std::char_traits<char>::length(name) + 1);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hwnd_;
  dialog.lpstrFilter =
      table ? "CSV files (*.csv)\0*.csv\0All files (*.*)\0*.*\0" : "PNG images (*.png)\0*.png\0";
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.lpstrDefExt = table ? "csv" : "png";
  dialog.lpstrTitle = table ? StatisticsTexts::kExportCaption : StatisticsTexts::kSaveCaption;
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameA(&dialog)) return;
  const std::string error = table ? ExportTable(path) : SavePlot(path);
  if (!error.empty()) {
    ShowBox(hwnd_, StatisticsTexts::CannotWrite(path, error).c_str(), StatisticsTexts::kTitle,
            MB_OK | MB_ICONWARNING);
  }
}

void StatisticsWindow::OnCommand(int id, int code) {
  if (id == kChooserId && code == CBN_SELCHANGE) {
    ShowChosenSeries();
  } else if (id == kExportId && code == BN_CLICKED) {
    AskAndWrite(true);
  } else if (id == kSaveId && code == BN_CLICKED) {
    AskAndWrite(false);
  }
}

LRESULT StatisticsWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY: {
      // Choosing a row of the table chooses its terminal for the plot.
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
      if (change->hdr.idFrom == kTableId && change->hdr.code == LVN_ITEMCHANGED &&
          (change->uNewState & LVIS_SELECTED) != 0 && (change->uOldState & LVIS_SELECTED) == 0 &&
          change->iItem >= 0) {
        SendMessageA(chooser_, CB_SETCURSEL, static_cast<WPARAM>(change->iItem), 0);
        ShowChosenSeries();
      }
      return 0;
    }
    case WM_SHOWWINDOW:
      // Nothing is read while nobody looks.
      if (wParam) {
        Refresh();
        SetTimer(hwnd_, kRefreshTimer, view::kStatisticsMs, nullptr);
      } else {
        KillTimer(hwnd_, kRefreshTimer);
      }
      return 0;
    case WM_TIMER:
      if (wParam == kRefreshTimer) Refresh();
      return 0;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {scale_.Px(kMinWidth), scale_.Px(kMinHeight)};
      return 0;
    }
    case WM_DPICHANGED: {
      ApplyScale(ViewScale(HIWORD(wParam)));
      MoveToSuggested(hwnd_, lParam);
      return 0;
    }
    case WM_CLOSE:
      ShowWindow(hwnd_, SW_HIDE);
      return 0;
    default:
      return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
}

}  // namespace tessaro
