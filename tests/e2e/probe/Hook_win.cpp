// e2e_hook.dll: a WinEvent hook the probe sets in context, so that it runs
// inside the calculator's own process. Wine hands another process's
// out-of-context hooks nothing; an in-context hook it loads into the
// process that raises the event. Each event is written, with what a screen
// reader would read of its object (asked right there, through
// AccessibleObjectFromEvent), to the file beside this DLL named like it
// with ".log" added; the probe reads that file.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

#include "AccessibleText_win.h"

namespace {

std::string LogPath() {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&LogPath), &self);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(self, path, MAX_PATH);
  return std::string(path) + ".log";
}

std::string Utf8(BSTR text) { return nimbrel::testing_win::TakeUtf8(text); }

const char* EventName(DWORD event) {
  switch (event) {
    case EVENT_OBJECT_VALUECHANGE: return "value";
    case EVENT_OBJECT_NAMECHANGE: return "name";
    case EVENT_OBJECT_STATECHANGE: return "state";
    case EVENT_OBJECT_REORDER: return "reorder";
    case EVENT_OBJECT_FOCUS: return "focus";
    default: return nullptr;
  }
}

}  // namespace

extern "C" __declspec(dllexport) void CALLBACK HeardInContext(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object,
                                                              LONG child, DWORD, DWORD) {
  const char* name = EventName(event);
  if (!name || object == OBJID_WINDOW || object == OBJID_CURSOR || object == OBJID_CARET) return;
  std::string text = "(failed)";
  IAccessible* about = nullptr;
  VARIANT id;
  VariantInit(&id);
  if (SUCCEEDED(AccessibleObjectFromEvent(hwnd, object, child, &about, &id)) && about) {
    BSTR said = nullptr;
    if (event == EVENT_OBJECT_VALUECHANGE) {
      about->get_accValue(id, &said);
    } else {
      about->get_accName(id, &said);
    }
    text = Utf8(said);
    about->Release();
  }
  if (FILE* log = std::fopen(LogPath().c_str(), "ab")) {
    std::fprintf(log, "acchook %s %ld %ld %s\n", name, static_cast<long>(object), static_cast<long>(child), text.c_str());
    std::fclose(log);
  }
}
