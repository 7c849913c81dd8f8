#include "win/Window_win.h"

#include <exception>

#include "win/TitleBar_win.h"

namespace nimbrel::win {

Window::~Window() {
  if (hwnd_) {
    // The object goes first: the window must not call into it any more.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

HWND Window::CreateWindowOf(HINSTANCE instance, const WindowClass& windowClass, DWORD exStyle, DWORD style,
                            const char* caption, int x, int y, int width, int height, HWND parent) {
  WNDCLASSA known{};
  if (!GetClassInfoA(instance, windowClass.name, &known)) {
    WNDCLASSA wc{};
    wc.style = windowClass.style;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hIcon = windowClass.icon;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = windowClass.name;
    RegisterClassA(&wc);
  }
  return CreateWindowExA(exStyle, windowClass.name, caption, style, x, y, width, height, parent, nullptr, instance,
                         this);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  FollowAppModeOn(hwnd, message, lParam);  // every top-level window's title bar
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (const std::exception& e) {
    self->OnException(e.what());
  } catch (...) {
    self->OnException("Unexpected error");
  }
  return 0;
}

}  // namespace nimbrel::win
