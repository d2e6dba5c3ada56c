// The framework's window procedure, class registration and subclassing of system controls.
#include "framework/WindowClass.h"

#include <commctrl.h>

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "framework/Application.h"
#include "framework/SysUtils.h"
#include "framework/runtime/Text.h"

namespace kovra {

std::wstring Wide(std::string_view utf8) {
  const std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

std::string Narrow(std::wstring_view utf16) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

std::string WindowText(HWND wnd, int maxChars) {
  if (!wnd || maxChars <= 0) return {};
  // The length may change between the two calls (another process); the buffer bounds the copy.
  const int length = std::clamp(GetWindowTextLengthW(wnd), 0, maxChars);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(wnd, buffer.data(), length + 1);
  buffer.resize(static_cast<size_t>(std::clamp(copied, 0, length)));
  return Narrow(buffer);
}

namespace {

constexpr wchar_t kObjectProperty[] = L"Kovra.WindowObject";
constexpr UINT_PTR kSubclassId = 0x4B56;

// Never destroyed: window objects may outlive static destruction order (the application's).
std::unordered_set<const TWindowObject*>& LiveObjects() {
  static auto* objects = new std::unordered_set<const TWindowObject*>;
  return *objects;
}

struct CreationContext {
  TWindowObject* object;
};

}  // namespace

// The two entry points Windows calls; they share one path into the object.
struct WindowProcedures {
  static LRESULT Dispatch(TWindowObject* object, HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    TMessage m{msg, w, l, 0};
    ++object->depth_;
    try {
      object->HandleWindowMessage(m);
    } catch (...) {
      // The object may have been freed by the handler before it threw.
      TObject* sender = TWindowObject::IsAlive(object) ? object->ExceptionSender() : nullptr;
      Application().HandleException(sender);
    }
    if (TWindowObject::IsAlive(object)) {
      --object->depth_;
      if (msg == WM_NCDESTROY && object->wnd_ == wnd) {
        object->Unbind();
        object->WindowDestroyed();
      }
    }
    return m.Result;
  }

  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE) {
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(l);
      if (const auto* context = static_cast<const CreationContext*>(cs->lpCreateParams))
        context->object->Bind(wnd, false);
    }
    TWindowObject* object = TWindowObject::FromHandle(wnd);
    if (!object || object->subclassed_) return DefWindowProcW(wnd, msg, w, l);
    return Dispatch(object, wnd, msg, w, l);
  }

  static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR,
                                       DWORD_PTR ref) {
    auto* object = reinterpret_cast<TWindowObject*>(ref);
    if (!TWindowObject::IsAlive(object) || object->wnd_ != wnd) {
      if (msg == WM_NCDESTROY) RemoveWindowSubclass(wnd, &SubclassProc, kSubclassId);
      return DefSubclassProc(wnd, msg, w, l);
    }
    return Dispatch(object, wnd, msg, w, l);
  }
};

TWindowObject::TWindowObject() {
  LiveObjects().insert(this);
}

TWindowObject::~TWindowObject() {
  DestroyObjectWindow();
  LiveObjects().erase(this);
}

TWindowObject* TWindowObject::FromHandle(HWND wnd) {
  if (!wnd) return nullptr;
  auto* object = static_cast<TWindowObject*>(GetPropW(wnd, kObjectProperty));
  return IsAlive(object) && object->wnd_ == wnd ? object : nullptr;
}

bool TWindowObject::IsAlive(const TWindowObject* object) {
  return object && LiveObjects().contains(object);
}

void TWindowObject::Bind(HWND wnd, bool subclassed) {
  wnd_ = wnd;
  subclassed_ = subclassed;
  SetPropW(wnd, kObjectProperty, this);
}

void TWindowObject::Unbind() {
  if (!wnd_) return;
  RemovePropW(wnd_, kObjectProperty);
  if (subclassed_) RemoveWindowSubclass(wnd_, &WindowProcedures::SubclassProc, kSubclassId);
  wnd_ = nullptr;
  subclassed_ = false;
}

namespace {

// Registers a class of ours under `name` unless it exists; reports whether `name` is a system
// (or foreign) class that must be subclassed instead.
bool PrepareClass(const TCreateParams& params, WNDPROC ours) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  if (GetClassInfoExW(instance, params.ClassName.c_str(), &info)) return info.lpfnWndProc != ours;
  if (GetClassInfoExW(nullptr, params.ClassName.c_str(), &info)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = params.ClassStyle;
  wc.lpfnWndProc = ours;
  wc.hInstance = instance;
  wc.hCursor = params.Cursor ? params.Cursor : LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = params.Icon;
  wc.lpszClassName = params.ClassName.c_str();
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    RaiseLastOSError("RegisterClassEx");
  return false;
}

}  // namespace

HWND TWindowObject::CreateObjectWindow(TCreateParams& params) {
  if (wnd_) return wnd_;
  const bool system = PrepareClass(params, &WindowProcedures::WindowProc);
  CreationContext context{this};
  HWND wnd = CreateWindowExW(params.ExStyle, params.ClassName.c_str(), params.Caption.c_str(),
                             params.Style, params.X, params.Y, params.Width, params.Height,
                             params.WndParent, params.Menu, GetModuleHandleW(nullptr),
                             system ? nullptr : &context);
  if (!wnd) {
    wnd_ = nullptr;
    RaiseLastOSError("CreateWindowEx");
  }
  if (system) {
    Bind(wnd, true);
    SetWindowSubclass(wnd, &WindowProcedures::SubclassProc, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
  }
  return wnd;
}

void TWindowObject::DestroyObjectWindow() {
  HWND wnd = wnd_;
  if (!wnd) return;
  Unbind();
  DestroyWindow(wnd);
}

LRESULT TWindowObject::CallDefault(TMessage& m) {
  if (!wnd_) return 0;
  m.Result = subclassed_ ? DefSubclassProc(wnd_, m.Msg, m.WParam, m.LParam)
                         : DefWindowProcW(wnd_, m.Msg, m.WParam, m.LParam);
  return m.Result;
}

TUtilityWindow::TUtilityWindow(Handler handler, Kind kind, std::wstring caption, TObject* sender)
    : handler_(std::move(handler)), sender_(sender) {
  TCreateParams params;
  params.ClassName = L"KovraUtilityWindow";
  params.ClassStyle = 0;
  params.Caption = std::move(caption);
  if (kind == MessageOnly) {
    params.WndParent = HWND_MESSAGE;
  } else {
    params.Style = WS_POPUP;
  }
  CreateObjectWindow(params);
}

TUtilityWindow::~TUtilityWindow() {
  DestroyObjectWindow();
}

void TUtilityWindow::HandleWindowMessage(TMessage& m) {
  if (handler_ && handler_(m)) return;
  CallDefault(m);
}

}  // namespace kovra
