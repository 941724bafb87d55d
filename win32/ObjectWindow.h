#pragma once

#include <windows.h>

namespace tessaro {

// The window procedure of a window class whose windows each belong to one
// object of class T: CreateWindowEx gets the object as its creation
// parameter, which then receives every message in T::Handle (and learns its
// window in T::Attach before the first one, and forgets it, T::Attach(nullptr),
// when the window is destroyed).
template <typename T>
LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    object->Attach(hwnd);
  }
  auto* object = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (object == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The last message: the window is gone after it.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    object->Attach(nullptr);
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  return object->Handle(message, wParam, lParam);
}

}  // namespace tessaro
