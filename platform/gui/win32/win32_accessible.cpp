#include "platform/gui/win32/win32_accessible.h"

// After the Windows headers, which they need.
#include <commctrl.h>
#include <oleacc.h>

#include <atomic>
#include <string>
#include <utility>

#include "platform/os/win32/win32_text.h"

namespace velloran::platform::win32 {
namespace {

// The functions of oleacc.dll and oleaut32.dll the answer needs. Both are
// loaded once, on the first request, and stay loaded: an object handed out
// may be used until the program ends.
struct OleAccess {
  HRESULT(WINAPI* create_standard)(HWND, LONG, REFIID, void**) = nullptr;
  LRESULT(WINAPI* lresult_from_object)(REFIID, WPARAM, LPUNKNOWN) = nullptr;
  BSTR(WINAPI* alloc_string)(const OLECHAR*, UINT) = nullptr;

  bool Loaded() const { return create_standard && lresult_from_object && alloc_string; }
};

template <typename Function>
void Look(HMODULE module, const char* name, Function& function) {
  if (module)
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const OleAccess& LoadedOleAccess() {
  static const OleAccess access = [] {
    OleAccess loaded;
    const HMODULE oleacc = LoadLibraryW(L"oleacc.dll");
    const HMODULE oleaut = LoadLibraryW(L"oleaut32.dll");
    Look(oleacc, "CreateStdAccessibleObject", loaded.create_standard);
    Look(oleacc, "LresultFromObject", loaded.lresult_from_object);
    Look(oleaut, "SysAllocStringLen", loaded.alloc_string);
    return loaded;
  }();
  return access;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// "45%": how far a progress bar has come.
std::wstring ProgressValue(HWND bar) {
  const auto low = static_cast<long long>(SendMessageW(bar, PBM_GETRANGE, TRUE, 0));
  const auto high = static_cast<long long>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
  const auto position = static_cast<long long>(SendMessageW(bar, PBM_GETPOS, 0, 0));
  const long long percent = high > low ? (position - low) * 100 / (high - low) : 0;
  return std::to_wstring(percent) + L"%";
}

// The system's object for a control, with the name, description and value
// that the control's description gives. COM's reference counting owns it.
class AnnotatedAccessible final : public IAccessible, public IOleWindow {
 public:
  AnnotatedAccessible(IAccessible* standard, HWND window, const ControlDescription& control)
      : standard_(standard),
        window_(window),
        kind_(control.kind),
        name_(Widen(control.accessible_name)),
        description_(Widen(control.accessible_description)) {}
  AnnotatedAccessible(const AnnotatedAccessible&) = delete;
  AnnotatedAccessible& operator=(const AnnotatedAccessible&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (!object) return E_POINTER;
    if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
    } else if (id == __uuidof(IOleWindow)) {
      *object = static_cast<IOleWindow*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IOleWindow: the control's window, which tells a client where the object
  // lives.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // The properties the description gives.
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!IsSelf(child) || name_.empty()) return standard_->get_accName(child, name);
    return Answer(name_, name);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (!IsSelf(child) || description_.empty())
      return standard_->get_accDescription(child, description);
    return Answer(description_, description);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (IsSelf(child) && kind_ == ControlKind::kLabel) return Answer(WindowText(window_), value);
    if (IsSelf(child) && kind_ == ControlKind::kProgressBar)
      return Answer(ProgressValue(window_), value);
    return standard_->get_accValue(child, value);
  }

  // Everything else is the system's.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return standard_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return standard_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return standard_->GetIDsOfNames(id, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* wrong_argument) override {
    return standard_->Invoke(member, id, locale, flags, parameters, result, exception,
                             wrong_argument);
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return standard_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return standard_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return standard_->get_accRole(child, role);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return standard_->get_accState(child, state);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return standard_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return standard_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return standard_->get_accFocus(child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return standard_->get_accSelection(children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return standard_->get_accDefaultAction(child, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return standard_->accSelect(flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return standard_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return standard_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG left, LONG top, VARIANT* child) override {
    return standard_->accHitTest(left, top, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard_->accDoDefaultAction(child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return standard_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return standard_->put_accValue(child, value);
  }

 private:
  ~AnnotatedAccessible() { standard_->Release(); }

  static HRESULT Answer(const std::wstring& text, BSTR* answer) {
    if (!answer) return E_POINTER;
    *answer = nullptr;
    if (text.empty()) return S_FALSE;
    *answer = LoadedOleAccess().alloc_string(text.data(), static_cast<UINT>(text.size()));
    return *answer ? S_OK : E_OUTOFMEMORY;
  }

  IAccessible* standard_;
  HWND window_;
  ControlKind kind_;
  std::wstring name_;
  std::wstring description_;
  std::atomic<ULONG> references_{1};
};

template <typename Function>
Function Ole32Function(HMODULE ole32, const char* name) {
  Function function = nullptr;
  Look(ole32, name, function);
  return function;
}

}  // namespace

ComApartment::ComApartment() : ole32_(LoadLibraryW(L"ole32.dll")) {
  using InitialiseFunction = HRESULT(WINAPI*)(void*, DWORD);
  const auto initialise = Ole32Function<InitialiseFunction>(ole32_.get(), "CoInitializeEx");
  initialised_ = initialise &&
                 SUCCEEDED(initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

ComApartment::~ComApartment() {
  using UninitialiseFunction = void(WINAPI*)();
  const auto uninitialise = Ole32Function<UninitialiseFunction>(ole32_.get(), "CoUninitialize");
  if (initialised_ && uninitialise) uninitialise();
}

bool HasAccessibleTexts(const ControlDescription& control) {
  return !control.accessible_name.empty() || !control.accessible_description.empty();
}

LRESULT AnswerGetObject(HWND window, const ControlDescription& control, WPARAM wparam,
                        LPARAM lparam) {
  if (static_cast<DWORD>(lparam) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
  const OleAccess& access = LoadedOleAccess();
  if (!access.Loaded()) return 0;
  IAccessible* standard = nullptr;
  if (FAILED(access.create_standard(window, OBJID_CLIENT, __uuidof(IAccessible),
                                    reinterpret_cast<void**>(&standard))))
    return 0;
  // Owned by its references from here on; Release deletes it.
  auto* annotated = new AnnotatedAccessible(standard, window, control);
  const LRESULT answer = access.lresult_from_object(__uuidof(IAccessible), wparam,
                                                    static_cast<IAccessible*>(annotated));
  annotated->Release();  // the answer holds its own reference, if it was made
  return answer > 0 ? answer : 0;
}

}  // namespace velloran::platform::win32
