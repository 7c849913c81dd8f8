// A window whose messages go to a C++ object: the class is registered once,
// the object is found again from the handle, and no C++ exception ever
// crosses into the system's code (what escapes HandleMessage goes to
// OnException, and the message counts as handled).
#pragma once

#include <windows.h>

namespace nimbrel::win {

struct WindowClass {
  const char* name;
  HICON icon = nullptr;
  UINT style = 0;
};

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND handle() const { return hwnd_; }

 protected:
  // Registers the class (once per process) and creates the window; the
  // handle is known to HandleMessage from WM_NCCREATE on.
  HWND CreateWindowOf(HINSTANCE instance, const WindowClass& windowClass, DWORD exStyle, DWORD style,
                      const char* caption, int x, int y, int width, int height, HWND parent = nullptr);

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual void OnException(const char* what) = 0;
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
  }

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace nimbrel::win
