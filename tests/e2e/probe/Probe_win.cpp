// e2e_probe: looks at the calculator's window from outside, as Windows sees
// it, for the end-to-end scripts: places, states, the work area, the tray's
// buttons and tip, and the messages the system sends at a session's end and
// at a change of DPI.
//
//   e2e_probe [--desktop NAME] COMMAND [ARGS]...
//
// With --desktop the probe first joins the named desktop (a program that was
// not started in Wine's desktop mode lives in another desktop, where
// FindWindow doesn't see the calculator). Several commands may follow each
// other; each prints one line on standard output (but --window):
//
//   --window CLASS CAPTION  the commands after it look at that top-level
//                        window instead of the calculator (CLASS "-": of any
//                        class, CAPTION "-": of any caption); a message box
//                        is "#32770" and its caption
//   text                 text TEXT: what the window's static controls say,
//                        one after the other (a message box's message)
//   caption              caption TEXT: the window's own caption
//   window | client      window L T R B / client L T R B (screen coordinates)
//   state                iconic 0|1 visible 0|1
//   placement            normal L T R B show N (GetWindowPlacement's normal place;
//                        Wine gives another process's minimised window its
//                        minimised rectangle here, so only a shown one's is
//                        worth a check)
//   workarea             workarea L T R B (the monitor nearest to the window)
//   dpi                  dpi N (the window's, else the system's)
//   hit min|close|caption  hit X Y: the middle of that part of the frame (WM_NCHITTEST)
//   taskbar              taskbar L T R B (Shell_TrayWnd)
//   trayicon             trayicon X Y: the middle of the notification area's
//                        last icon (from the right: the newest)
//   menu                 menu L T R B, or "menu none": the popup menu shown
//   tip                  tip TEXT, or "tip none": the text of the tooltip shown
//                        (a visible tooltips_class32 window of any program)
//   until STATE SECONDS  STATE reached within SECONDS (shown, hidden, iconic,
//                        found, gone, foreground: the window keys go to;
//                        menu: a popup menu shows; tip, no-tip: a
//                        tooltip shows, none does; taskbar: it shows, and the
//                        work area leaves it out):
//                        "until STATE ok" or "until STATE timeout"
//   startlock SECONDS    holds the calculator's start lock (its named mutex)
//                        that long, as a calculator still starting does:
//                        "startlock held", or "startlock taken" when
//                        another holds it already
//   holdhotkey MODS VK SECONDS  registers that hotkey (RegisterHotKey's
//                        modifier bits and key) as another program would,
//                        and holds it that long: "holdhotkey held|taken"
//   stay SECONDS         does nothing that long: a program that keeps Wine's
//                        desktop open (it closes when its last program ends)
//   endsession           WM_QUERYENDSESSION, WM_ENDSESSION (TRUE), then the
//                        window's process is ended: "endsession QUERY-RESULT ended|alive"
//   dpichanged DPI [FROM]  WM_DPICHANGED with MAKEWPARAM(DPI, DPI) and the
//                        window's place, its size scaled by DPI/FROM (FROM: the
//                        window's DPI): "dpichanged L T R B" (the suggested rectangle)
//   accvalue             accvalue TEXT: the value of the client's first child,
//                        the display, read from this process through Active
//                        Accessibility (AccessibleObjectFromWindow), or
//                        "accvalue failed STEP 0xHRESULT"
//   accbuttons           accbuttons N: how many of the client's children are
//                        push buttons
//   accbutton NAME       accbutton NAME available|unavailable|pressed|absent:
//                        the push button of that name, as its state says
//   accpress NAME        accpress NAME ok|absent: the push button of that name
//                        pressed by its default action
//   acctree              the whole tree, one line a child ("acc ID ROLE NAME
//                        [= VALUE] [STATE] [KEY]", a line's children indented),
//                        then "acctime CALLS calls MS ms, the first ... F ms":
//                        what the walk took, and the first call of it
//   accevents SECONDS    asks for the client (so that the calculator starts
//                        telling), prints "accevents ready", then for that long
//                        one line an event of the calculator's, with what a
//                        screen reader would read of its object: "accevent
//                        value|name|state|reorder|focus OBJECT CHILD TEXT"
//                        from a hook in this process, then the same as
//                        "acchook ..." from a hook in the calculator's
//                        (e2e_hook.dll beside the probe); then "accevents end"
//   loaded DLL           loaded DLL yes|no: whether the calculator's process
//                        has loaded that DLL
//
// A missing calculator (or --window) prints "none" (the exit status is then 2).
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "AccessibleText_win.h"
#include "RemoteWindow_win.h"

namespace {

using nimbrel::remote::BecomeDpiAware;
using nimbrel::remote::SharedRect;

// The window the commands look at: the calculator, or the one --window names.
std::string targetClass = "TfrmNimbrel";
std::string targetCaption = "Quarvel Calculator";

HWND Calculator() {
  return FindWindowA(targetClass == "-" ? nullptr : targetClass.c_str(),
                     targetCaption == "-" ? nullptr : targetCaption.c_str());
}

void PrintRect(const char* what, const RECT& r) {
  std::printf("%s %ld %ld %ld %ld\n", what, r.left, r.top, r.right, r.bottom);
}

int WindowDpi(HWND hwnd) {
  using GetDpi = UINT(WINAPI*)(HWND);
  auto getDpi = reinterpret_cast<GetDpi>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpi) {
    if (UINT dpi = getDpi(hwnd)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

BOOL CALLBACK FindShownTip(HWND w, LPARAM found) {
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  if (lstrcmpiA(name, TOOLTIPS_CLASSA) != 0 || !IsWindowVisible(w)) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}
HWND ShownTip() {
  HWND found = nullptr;
  EnumWindows(FindShownTip, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The text a tooltip draws. GetWindowText reads another process's window
// text without asking it, and a tooltip keeps none there; asked with
// WM_GETTEXT (which the system carries across), it answers with the text it
// shows.
std::string TextOf(HWND w) {
  wchar_t text[512] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &length)) {
    return {};
  }
  char utf8[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
  return utf8;
}

// The texts of a window's static controls, in their order, each line break
// as a blank: what a message box says (its icon is a static without text).
BOOL CALLBACK AddStaticText(HWND w, LPARAM out) {
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  if (lstrcmpiA(name, "Static") != 0) return TRUE;
  std::string text = TextOf(w);
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  auto& all = *reinterpret_cast<std::string*>(out);
  if (!text.empty()) all += (all.empty() ? "" : " ") + text;
  return TRUE;
}
std::string StaticText(HWND w) {
  std::string all;
  EnumChildWindows(w, AddStaticText, reinterpret_cast<LPARAM>(&all));
  return all;
}

bool Reached(const std::string& state) {
  if (state == "tip") return ShownTip() != nullptr;
  if (state == "no-tip") return ShownTip() == nullptr;
  if (state == "taskbar") {  // shown, and left out of the work area
    HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
    RECT barRect{}, work{}, common{};
    return bar && IsWindowVisible(bar) && GetWindowRect(bar, &barRect) && !IsRectEmpty(&barRect) &&
           SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) && !IntersectRect(&common, &barRect, &work);
  }
  if (state == "menu") {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu);
  }
  HWND w = Calculator();
  if (state == "gone") return !w;
  if (!w) return false;
  if (state == "found") return true;
  if (state == "shown") return IsWindowVisible(w) && !IsIconic(w);
  if (state == "hidden") return !IsWindowVisible(w);
  if (state == "iconic") return IsIconic(w);
  if (state == "foreground") return GetForegroundWindow() == w;
  return false;
}

// The middle of the frame's part that answers `code` to WM_NCHITTEST, looked
// for along the title bar's middle row, as the pointer would find it.
bool FindHit(HWND w, LRESULT code, POINT& at) {
  RECT r{};
  GetWindowRect(w, &r);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  const int y = (r.top + origin.y) / 2;
  long first = -1, last = -1;
  for (int x = r.left; x < r.right; ++x) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(w, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &result)) return false;
    if (static_cast<LRESULT>(result) == code) {
      if (first < 0) first = x;
      last = x;
    }
  }
  if (first < 0) return false;
  at = {(first + last) / 2, y};
  return true;
}

HANDLE ProcessOf(HWND w, DWORD access) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  return pid ? OpenProcess(access, FALSE, pid) : nullptr;
}

int EndSession(HWND w) {
  DWORD_PTR query = 0;
  // As Windows does: ask, then tell (wParam TRUE: the session does end).
  SendMessageTimeoutA(w, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &query);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(w, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  HANDLE process = ProcessOf(w, PROCESS_TERMINATE | SYNCHRONIZE);
  bool ended = false;
  if (process) {
    TerminateProcess(process, 0);
    ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
  }
  std::printf("endsession %lu %s\n", static_cast<unsigned long>(query), ended ? "ended" : "alive");
  return ended ? 0 : 1;
}

int DpiChanged(HWND w, int dpi, int from) {
  if (from <= 0) from = WindowDpi(w);
  RECT r{};
  GetWindowRect(w, &r);
  const RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, from),
                       r.top + MulDiv(r.bottom - r.top, dpi, from)};
  HANDLE process = ProcessOf(w, PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION);
  RECT* shared = process ? SharedRect(process, suggested) : nullptr;
  if (!shared) {
    std::printf("dpichanged failed\n");
    return 1;
  }
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(shared), SMTO_ABORTIFHUNG,
                      5000, &ignored);
  // The calculator's copy stays: it may still look at it after the message.
  CloseHandle(process);
  PrintRect("dpichanged", suggested);
  return 0;
}

// Wine's notification area draws its icons in the taskbar, from the right
// end, each a small square; the newest is leftmost. The icons are looked
// for as the taskbar's child windows first, then by that rule.
bool TrayIcon(POINT& at) {
  HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
  if (!bar) return false;
  RECT r{};
  GetWindowRect(bar, &r);
  const int icon = GetSystemMetrics(SM_CXSMICON) + 8;
  int icons = 0;
  RECT leftmost{};
  for (HWND child = GetWindow(bar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    RECT c{};
    GetWindowRect(child, &c);
    if (!IsWindowVisible(child) || c.right - c.left > 2 * icon || c.left < (r.left + r.right) / 2) continue;
    if (std::strcmp(name, "Button") == 0) continue;  // a taskbar button
    if (icons++ == 0 || c.left < leftmost.left) leftmost = c;
  }
  if (icons > 0) {
    at = {(leftmost.left + leftmost.right) / 2, (leftmost.top + leftmost.bottom) / 2};
  } else {
    at = {r.right - icon / 2, (r.top + r.bottom) / 2};
  }
  return true;
}

// ---- Active Accessibility, as a screen reader in another process sees it

int accCalls = 0;  // calls into the calculator's objects, for acctree's figure

using nimbrel::testing_win::ChildId;
std::string Utf8(BSTR text) { return nimbrel::testing_win::TakeUtf8(text); }

void PrintFailure(const char* command, const char* step, HRESULT result) {
  std::printf("%s failed %s 0x%08lx\n", command, step, static_cast<unsigned long>(result));
}

// The calculator's client object (released by the caller), or nullptr after
// saying why.
IAccessible* ClientObject(HWND w, const char* command) {
  static bool com = SUCCEEDED(CoInitialize(nullptr));
  (void)com;
  IAccessible* client = nullptr;
  const HRESULT got = AccessibleObjectFromWindow(w, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&client));
  ++accCalls;
  if (FAILED(got) || !client) {
    PrintFailure(command, "AccessibleObjectFromWindow", got);
    return nullptr;
  }
  return client;
}

struct AccText {
  HRESULT result;
  std::string text;
};
AccText AccName(IAccessible* object, long child) {
  BSTR text = nullptr;
  const HRESULT result = object->get_accName(ChildId(child), &text);
  ++accCalls;
  return {result, Utf8(text)};
}
AccText AccValue(IAccessible* object, long child) {
  BSTR text = nullptr;
  const HRESULT result = object->get_accValue(ChildId(child), &text);
  ++accCalls;
  return {result, Utf8(text)};
}
long AccLong(IAccessible* object, long child, bool role) {
  VARIANT v;
  VariantInit(&v);
  const HRESULT result = role ? object->get_accRole(ChildId(child), &v) : object->get_accState(ChildId(child), &v);
  ++accCalls;
  return SUCCEEDED(result) && v.vt == VT_I4 ? v.lVal : -1;
}
long AccCount(IAccessible* object) {
  LONG count = -1;
  ++accCalls;
  return SUCCEEDED(object->get_accChildCount(&count)) ? count : -1;
}

int AccValueCommand(HWND w) {
  IAccessible* client = ClientObject(w, "accvalue");
  if (!client) return 1;
  // The display is an object of its own, the client's first child.
  IDispatch* dispatch = nullptr;
  HRESULT result = client->get_accChild(ChildId(1), &dispatch);
  ++accCalls;
  IAccessible* display = nullptr;
  if (result == S_OK && dispatch) {
    result = dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&display));
    dispatch->Release();
  }
  client->Release();
  if (!display) {
    PrintFailure("accvalue", "get_accChild", result == S_OK ? E_NOINTERFACE : result);
    return 1;
  }
  const AccText value = AccValue(display, CHILDID_SELF);
  display->Release();
  if (FAILED(value.result)) {
    PrintFailure("accvalue", "get_accValue", value.result);
    return 1;
  }
  std::printf("accvalue %s\n", value.text.c_str());
  return 0;
}

const char* StateWord(long state) {
  if (state < 0) return "failed";
  if (state & STATE_SYSTEM_UNAVAILABLE) return "unavailable";
  if (state & STATE_SYSTEM_PRESSED) return "pressed";
  return "available";
}

// accbuttons (name empty) or accbutton NAME.
int AccButtonsCommand(HWND w, const std::string& name, bool count) {
  IAccessible* client = ClientObject(w, count ? "accbuttons" : "accbutton");
  if (!client) return 1;
  const long children = AccCount(client);
  int buttons = 0;
  const char* state = "absent";
  for (long c = 1; c <= children; ++c) {
    if (AccLong(client, c, true) != ROLE_SYSTEM_PUSHBUTTON) continue;
    ++buttons;
    if (!count && AccName(client, c).text == name) state = StateWord(AccLong(client, c, false));
  }
  client->Release();
  if (count) {
    std::printf("accbuttons %d\n", buttons);
  } else {
    std::printf("accbutton %s %s\n", name.c_str(), state);
  }
  return 0;
}

// accpress NAME: the push button's default action, as a screen reader
// presses it.
int AccPressCommand(HWND w, const std::string& name) {
  IAccessible* client = ClientObject(w, "accpress");
  if (!client) return 1;
  const long children = AccCount(client);
  HRESULT result = S_FALSE;
  for (long c = 1; c <= children && result == S_FALSE; ++c) {
    if (AccLong(client, c, true) == ROLE_SYSTEM_PUSHBUTTON && AccName(client, c).text == name) {
      result = client->accDoDefaultAction(ChildId(c));
    }
  }
  client->Release();
  if (result == S_FALSE) {
    std::printf("accpress %s absent\n", name.c_str());
  } else if (FAILED(result)) {
    PrintFailure("accpress", "accDoDefaultAction", result);
  } else {
    std::printf("accpress %s ok\n", name.c_str());
  }
  return result == S_OK ? 0 : 1;
}

void PrintTree(IAccessible* object, int depth) {
  const long children = AccCount(object);
  for (long c = 1; c <= children; ++c) {
    IDispatch* dispatch = nullptr;
    IAccessible* inner = nullptr;
    ++accCalls;
    if (object->get_accChild(ChildId(c), &dispatch) == S_OK && dispatch) {
      dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&inner));
      dispatch->Release();
    }
    IAccessible* asked = inner ? inner : object;
    const long id = inner ? CHILDID_SELF : c;
    const AccText value = AccValue(asked, id);
    BSTR key = nullptr;
    ++accCalls;
    asked->get_accKeyboardShortcut(ChildId(id), &key);
    const long state = AccLong(asked, id, false);
    std::printf("%*sacc %ld %ld %s%s%s 0x%lx %s\n", depth * 2, "", c, AccLong(asked, id, true),
                AccName(asked, id).text.c_str(), value.text.empty() ? "" : " = ", value.text.c_str(),
                static_cast<unsigned long>(state), Utf8(key).c_str());
    if (inner) {
      PrintTree(inner, depth + 1);
      inner->Release();
    }
  }
}

int AccTreeCommand(HWND w) {
  const DWORD began = GetTickCount();
  accCalls = 0;
  IAccessible* client = ClientObject(w, "acctree");
  if (!client) return 1;
  const DWORD first = GetTickCount() - began;
  std::printf("acc 0 %ld %s\n", AccLong(client, CHILDID_SELF, true), AccName(client, CHILDID_SELF).text.c_str());
  PrintTree(client, 1);
  client->Release();
  std::printf("acctime %d calls %lu ms, the first (AccessibleObjectFromWindow) %lu ms\n", accCalls,
              static_cast<unsigned long>(GetTickCount() - began), static_cast<unsigned long>(first));
  return 0;
}

// What a screen reader hears: each event of the calculator's process, with
// the text of the object it is about, read at once.
HWND eventWindow = nullptr;
void CALLBACK HeardEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  const char* name = event == EVENT_OBJECT_VALUECHANGE  ? "value"
                     : event == EVENT_OBJECT_NAMECHANGE ? "name"
                     : event == EVENT_OBJECT_STATECHANGE ? "state"
                     : event == EVENT_OBJECT_REORDER    ? "reorder"
                     : event == EVENT_OBJECT_FOCUS      ? "focus"
                                                        : nullptr;
  if (!name || hwnd != eventWindow || object == OBJID_WINDOW || object == OBJID_CURSOR) return;
  IAccessible* about = nullptr;
  VARIANT id;
  VariantInit(&id);
  std::string text = "(failed)";
  if (SUCCEEDED(AccessibleObjectFromEvent(hwnd, object, child, &about, &id)) && about) {
    const long c = id.vt == VT_I4 ? id.lVal : CHILDID_SELF;
    text = (event == EVENT_OBJECT_VALUECHANGE ? AccValue(about, c) : AccName(about, c)).text;
    about->Release();
  }
  std::printf("accevent %s %ld %ld %s\n", name, static_cast<long>(object), static_cast<long>(child), text.c_str());
}

// The in-context hook's DLL, beside the probe, and the file it writes.
std::string HookDll() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dll(path);
  return dll.substr(0, dll.find_last_of("\\/") + 1) + "e2e_hook.dll";
}

int AccEventsCommand(HWND w, double seconds) {
  IAccessible* client = ClientObject(w, "accevents");  // the calculator tells once asked
  if (!client) return 1;
  client->Release();
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  eventWindow = w;
  // Both kinds of hook: out of context, as a screen reader in its own
  // process listens ("accevent" lines), and in context (e2e_hook.dll,
  // "acchook" lines, written in the calculator's process).
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, HeardEvent, pid, 0,
                                       WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
  const std::string dll = HookDll(), log = dll + ".log";
  DeleteFileA(log.c_str());
  HMODULE module = LoadLibraryA(dll.c_str());
  auto proc = module ? reinterpret_cast<WINEVENTPROC>(reinterpret_cast<void*>(GetProcAddress(module, "HeardInContext"))) : nullptr;
  HWINEVENTHOOK inContext = proc ? SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, module, proc, pid, 0,
                                                   WINEVENT_INCONTEXT) : nullptr;
  std::printf("accevents ready%s%s\n", hook ? "" : " (no out-of-context hook)", inContext ? "" : " (no in-context hook)");
  const DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  if (hook) UnhookWinEvent(hook);
  if (inContext) UnhookWinEvent(inContext);
  if (FILE* heard = std::fopen(log.c_str(), "rb")) {
    char line[1200];
    while (std::fgets(line, sizeof line, heard)) std::fputs(line, stdout);
    std::fclose(heard);
  }
  std::printf("accevents end\n");
  return 0;
}

// Whether the calculator's process has loaded a DLL (by file name).
int LoadedCommand(HWND w, const std::string& dll) {
  HANDLE process = ProcessOf(w, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ);
  HMODULE modules[512];
  DWORD bytes = 0;
  bool found = false;
  if (process && EnumProcessModules(process, modules, sizeof modules, &bytes)) {
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
      char name[MAX_PATH] = {};
      if (GetModuleBaseNameA(process, modules[i], name, sizeof name) && lstrcmpiA(name, dll.c_str()) == 0) found = true;
    }
  }
  if (process) CloseHandle(process);
  std::printf("loaded %s %s\n", dll.c_str(), found ? "yes" : "no");
  return 0;
}

int Run(int argc, char** argv) {
  int i = 1;
  if (i + 1 < argc && std::strcmp(argv[i], "--desktop") == 0) {
    // The desktop may still be on its way: Wine's explorer makes it.
    HDESK desktop = nullptr;
    for (int tries = 0; !desktop && tries < 200; ++tries) {
      desktop = OpenDesktopA(argv[i + 1], 0, FALSE, GENERIC_ALL);
      if (!desktop) Sleep(100);
    }
    if (!desktop || !SetThreadDesktop(desktop)) {
      std::printf("no desktop %s\n", argv[i + 1]);
      return 3;
    }
    i += 2;
  }
  int status = 0;
  for (; i < argc; ++i) {
    const std::string command = argv[i];
    if (command == "until" && i + 2 < argc) {
      const std::string state = argv[i + 1];
      const DWORD end = GetTickCount() + static_cast<DWORD>(std::atof(argv[i + 2]) * 1000);
      bool ok = Reached(state);
      while (!ok && static_cast<LONG>(end - GetTickCount()) > 0) {
        Sleep(50);
        ok = Reached(state);
      }
      std::printf("until %s %s\n", state.c_str(), ok ? "ok" : "timeout");
      if (!ok) status = 1;
      i += 2;
      continue;
    }
    if (command == "--window" && i + 2 < argc) {
      targetClass = argv[i + 1];
      targetCaption = argv[i + 2];
      i += 2;
      continue;
    }
    if (command == "startlock" && i + 1 < argc) {
      // Holds the calculator's start lock, as a calculator that is still
      // starting holds it, for that long.
      HANDLE lock = CreateMutexA(nullptr, FALSE, "Local\\Nimbrel.QuarvelCalculator");
      std::printf("startlock %s\n", lock && GetLastError() != ERROR_ALREADY_EXISTS ? "held" : "taken");
      std::fflush(stdout);
      Sleep(static_cast<DWORD>(std::atof(argv[++i]) * 1000));
      if (lock) CloseHandle(lock);
      continue;
    }
    if (command == "holdhotkey" && i + 3 < argc) {
      // Another program's hotkey (RegisterHotKey's modifiers and key), held
      // that long.
      const UINT modifiers = static_cast<UINT>(std::strtoul(argv[i + 1], nullptr, 0));
      const UINT key = static_cast<UINT>(std::strtoul(argv[i + 2], nullptr, 0));
      const bool held = RegisterHotKey(nullptr, 7, modifiers, key) != FALSE;
      std::printf("holdhotkey %s\n", held ? "held" : "taken");
      std::fflush(stdout);
      Sleep(static_cast<DWORD>(std::atof(argv[i + 3]) * 1000));
      i += 3;
      continue;
    }
    if (command == "stay" && i + 1 < argc) {
      Sleep(static_cast<DWORD>(std::atof(argv[++i]) * 1000));
      continue;
    }
    if (command == "tip") {
      HWND tip = ShownTip();
      if (tip) std::printf("tip %s\n", TextOf(tip).c_str()); else std::printf("tip none\n");
      continue;
    }
    if (command == "taskbar") {
      HWND bar = FindWindowA("Shell_TrayWnd", nullptr);
      RECT r{};
      if (bar && GetWindowRect(bar, &r)) PrintRect("taskbar", r); else std::printf("taskbar none\n");
      continue;
    }
    if (command == "trayicon") {
      POINT at{};
      if (TrayIcon(at)) std::printf("trayicon %ld %ld\n", at.x, at.y); else std::printf("trayicon none\n");
      continue;
    }
    if (command == "menu") {
      HWND menu = FindWindowA("#32768", nullptr);
      RECT r{};
      if (menu && IsWindowVisible(menu) && GetWindowRect(menu, &r)) PrintRect("menu", r); else std::printf("menu none\n");
      continue;
    }
    HWND w = Calculator();
    if (!w) {
      std::printf("none\n");
      return 2;
    }
    if (command == "window" || command == "client") {
      RECT r{};
      if (command == "window") {
        GetWindowRect(w, &r);
      } else {
        GetClientRect(w, &r);
        MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
      }
      PrintRect(command.c_str(), r);
    } else if (command == "caption") {
      char caption[512] = {};
      GetWindowTextA(w, caption, sizeof caption);
      std::printf("caption %s\n", caption);
    } else if (command == "text") {
      std::printf("text %s\n", StaticText(w).c_str());
    } else if (command == "state") {
      std::printf("iconic %d visible %d\n", IsIconic(w) ? 1 : 0, IsWindowVisible(w) ? 1 : 0);
    } else if (command == "placement") {
      WINDOWPLACEMENT p{};
      p.length = sizeof p;
      GetWindowPlacement(w, &p);
      std::printf("normal %ld %ld %ld %ld show %u\n", p.rcNormalPosition.left, p.rcNormalPosition.top,
                  p.rcNormalPosition.right, p.rcNormalPosition.bottom, p.showCmd);
    } else if (command == "workarea") {
      MONITORINFO info{};
      info.cbSize = sizeof info;
      GetMonitorInfoA(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &info);
      PrintRect("workarea", info.rcWork);
    } else if (command == "dpi") {
      std::printf("dpi %d\n", WindowDpi(w));
    } else if (command == "hit" && i + 1 < argc) {
      const std::string part = argv[++i];
      const LRESULT code = part == "min" ? HTMINBUTTON : part == "close" ? HTCLOSE : HTCAPTION;
      POINT at{};
      if (FindHit(w, code, at)) std::printf("hit %ld %ld\n", at.x, at.y); else std::printf("hit none\n");
    } else if (command == "accvalue") {
      status = AccValueCommand(w);
    } else if (command == "accbuttons") {
      status = AccButtonsCommand(w, {}, true);
    } else if (command == "accbutton" && i + 1 < argc) {
      status = AccButtonsCommand(w, argv[++i], false);
    } else if (command == "accpress" && i + 1 < argc) {
      status = AccPressCommand(w, argv[++i]);
    } else if (command == "acctree") {
      status = AccTreeCommand(w);
    } else if (command == "accevents" && i + 1 < argc) {
      status = AccEventsCommand(w, std::atof(argv[++i]));
    } else if (command == "loaded" && i + 1 < argc) {
      status = LoadedCommand(w, argv[++i]);
    } else if (command == "endsession") {
      status = EndSession(w);
    } else if (command == "dpichanged" && i + 1 < argc) {
      const int dpi = std::atoi(argv[++i]);
      int from = 0;
      if (i + 1 < argc && std::atoi(argv[i + 1]) > 0) from = std::atoi(argv[++i]);
      status = DpiChanged(w, dpi, from);
    } else {
      std::printf("unknown command %s\n", command.c_str());
      return 4;
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // One line per answer, "\n" only, and written at once: the script reads it.
  _setmode(_fileno(stdout), _O_BINARY);
  setvbuf(stdout, nullptr, _IONBF, 0);
  BecomeDpiAware();
  return Run(argc, argv);
}
