#include "forms/MemoryForm_win.h"

#include <string>

#include "win/Art_win.h"
#include "win/Dpi_win.h"
#include "win/Modal_win.h"

namespace nimbrel {

namespace {

// At 100 %; everything scales with the owner's DPI.
constexpr int kClientWidth = 185;
constexpr int kClientHeight = 234;
constexpr int kSlotHeight = 25;
constexpr int kSlotPitch = 26;  // a one-pixel gap between neighbours
constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU;
constexpr DWORD kSlotStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

void ShowFailure(HWND owner, const char* what) { MessageBoxA(owner, what, "Error", MB_OK | MB_ICONERROR); }

}  // namespace

// ---- a slot bar

void AMemorySlot::Create(HINSTANCE instance, HWND parent, RECT bounds) {
  CreateWindowOf(instance, {kMemorySlotClass, nullptr, CS_DBLCLKS}, 0, kSlotStyle, "", bounds.left, bounds.top,
                 bounds.right - bounds.left, bounds.bottom - bounds.top, parent);
  SetWindowLongPtrA(hwnd_, GWLP_ID, slotId_);
}

LRESULT AMemorySlot::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      win::PaintScope paint(hwnd_);
      Paint(paint.dc());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // painted whole in one copy
    case WM_LBUTTONDOWN:
      form_.SlotClicked(slotId_);
      return 0;
    case WM_LBUTTONDBLCLK:
      form_.SlotDoubleClicked();
      return 0;
    case WM_KEYDOWN:
      form_.Key(static_cast<uint16_t>(wParam));
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

void AMemorySlot::OnException(const char* what) { ShowFailure(GetParent(hwnd_), what); }

void AMemorySlot::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int w = client.right;
  const int h = client.bottom;
  win::MemoryDC canvas(dc);
  win::Bitmap canvasBitmap(CreateCompatibleBitmap(dc, w, h));
  win::Selection canvasSelected(canvas.get(), canvasBitmap.get());

  // The stone face: the left half without the focus, the right half with it.
  const bool focused = form_.logic_.Focused() == slotId_;
  const Scale& s = form_.scale_;
  if (form_.glyph_) {
    win::MemoryDC glyph(dc);
    win::Selection glyphSelected(glyph.get(), form_.glyph_.get());
    BitBlt(canvas.get(), 0, 0, w, h, glyph.get(), focused ? w : 0, 0, SRCCOPY);
  } else {
    FillRect(canvas.get(), &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }

  // The text in white on black, then laid over the face twice: inverted
  // with AND two pixels right and down (the black shadow), then as it is
  // with OR (the white text).
  win::MemoryDC text(dc);
  win::Bitmap textBitmap(CreateCompatibleBitmap(dc, w, h));
  win::Selection textSelected(text.get(), textBitmap.get());
  FillRect(text.get(), &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  {
    win::Selection font(text.get(), form_.font_.get());
    SetBkMode(text.get(), TRANSPARENT);
    SetTextColor(text.get(), RGB(255, 255, 255));
    const std::string value =
        form_.display_.FormatNumber(form_.logic_.Value(slotId_), static_cast<char>('0' + slotId_));
    TextOutA(text.get(), s(8), s(2), value.c_str(), static_cast<int>(value.size()));
    const uint16_t letter = form_.logic_.Letter(slotId_);
    if (letter != 0) {
      const char shown = static_cast<char>(letter);
      TextOutA(text.get(), w - s(23), s(2), &shown, 1);
    }
  }
  BitBlt(text.get(), 0, 0, w, h, nullptr, 0, 0, DSTINVERT);
  BitBlt(canvas.get(), s(2), s(2), w, h, text.get(), 0, 0, SRCAND);
  BitBlt(text.get(), 0, 0, w, h, nullptr, 0, 0, DSTINVERT);
  BitBlt(canvas.get(), 0, 0, w, h, text.get(), 0, 0, SRCPAINT);

  BitBlt(dc, 0, 0, w, h, canvas.get(), 0, 0, SRCCOPY);
}

// ---- the form

MemoryForm::MemoryForm(HINSTANCE instance, MemoryWindow& logic, const StackWindow& display, Scale scale)
    : instance_(instance), logic_(logic), display_(display), scale_(scale),
      glyph_(win::LoadArt(instance, "MEMSLOT", 2, scale(kClientWidth), scale(kSlotHeight))) {
  font_.Reset(CreateFontA(scale.FontHeight(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma"));
  for (int n = 1; n <= kMemorySlots; ++n) slots_[n - 1] = std::make_unique<AMemorySlot>(*this, n);
}

MemoryForm::~MemoryForm() {
  // The slots are children: they go with the form, before their objects do.
  if (hwnd_) DestroyWindow(hwnd_);
}

void MemoryForm::RunModal(HWND owner) {
  const Scale& s = scale_;
  const SIZE outer = win::OuterSizeForDpi(kFormStyle, 0, s(kClientWidth), s(kClientHeight), s.dpi());
  CreateWindowOf(instance_, {kMemoryFormClass}, 0, kFormStyle, logic_.Caption(), 0, 0, outer.cx, outer.cy, owner);
  for (int n = 1; n <= kMemorySlots; ++n) {
    const int top = s(kSlotPitch * (n - 1));
    slots_[n - 1]->Create(instance_, hwnd_, {0, top, s(kClientWidth), top + s(kSlotHeight)});
  }
  win::CentreOnScreen(hwnd_);
  win::RunModal(hwnd_, owner, [this] { return !logic_.IsOpen(); });
}

LRESULT MemoryForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) Follow();
      return 0;
    case WM_SETFOCUS:
      Follow();
      return 0;
    case WM_KEYDOWN:
      Key(static_cast<uint16_t>(wParam));
      return 0;
    case WM_CLOSE:
      logic_.Close();  // the letters go back to the memory; the modal loop ends
      return 0;
    case WM_ERASEBKGND: {
      // The one-pixel gaps between the slots.
      RECT client{};
      GetClientRect(hwnd_, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      return Default(message, wParam, lParam);
  }
}

void MemoryForm::OnException(const char* what) { ShowFailure(hwnd_, what); }

void MemoryForm::Key(uint16_t key) {
  logic_.KeyDown(key);
  Follow();
}

void MemoryForm::SlotClicked(int slotId) {
  logic_.Click(slotId);
  Follow();
}

void MemoryForm::SlotDoubleClicked() {
  logic_.DoubleClick();
  Follow();
}

void MemoryForm::Follow() {
  if (!logic_.IsOpen()) return;
  HWND focused = slots_[logic_.Focused() - 1]->handle();
  if (focused && GetFocus() != focused) SetFocus(focused);
  for (const auto& slot : slots_) {
    if (slot->handle()) InvalidateRect(slot->handle(), nullptr, FALSE);
  }
}

}  // namespace nimbrel
