#include "win/Accessible_win.h"

#include <algorithm>

#include "win/SystemFunction_win.h"

namespace nimbrel::win {

struct AccessibleHost {
  AccessibleSource* source = nullptr;  // none once the window is gone
  HWND hwnd = nullptr;
  UINT actionMessage = 0;
  bool asked = false;
  bool comStarted = false;         // this thread's COM, started for the first client
  std::vector<IUnknown*> objects;  // every object made and not yet released, not owned
};

namespace {

template <class F>
F Oleacc(const char* name) {
  return SystemFunction<F>("oleacc.dll", name);
}
template <class F>
F Ole32(const char* name) {
  return SystemFunction<F>("ole32.dll", name);
}

BSTR MakeBstr(const std::string& utf8) {
  static const auto allocate = SystemFunction<decltype(&::SysAllocStringLen)>("oleaut32.dll", "SysAllocStringLen");
  if (!allocate) return nullptr;
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  BSTR text = allocate(nullptr, static_cast<UINT>(length));
  if (text && length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text, length);
  return text;
}

void SetEmpty(VARIANT* v) {
  v->vt = VT_EMPTY;
  v->lVal = 0;
}
void SetLong(VARIANT* v, long value) {
  v->vt = VT_I4;
  v->lVal = value;
}

// The tree as the source describes it now, and one object's node in it.
struct View {
  std::vector<AccessibleNode> nodes;
  int self = -1;

  std::vector<int> Children(int index) const {
    std::vector<int> children;
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
      if (nodes[i].parent == index) children.push_back(i);
    }
    return children;
  }
  int Find(long key) const {
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
      if (nodes[i].key == key) return i;
    }
    return -1;
  }
  // The node that has the keyboard focus, or -1 when the window hasn't.
  int Focus(HWND hwnd) const {
    if (!hwnd || GetFocus() != hwnd) return -1;
    for (int i = 1; i < static_cast<int>(nodes.size()); ++i) {
      if (nodes[i].focusable) return i;
    }
    return 0;
  }
};

class AccessibleObject final : public IAccessible {
 public:
  AccessibleObject(std::shared_ptr<AccessibleHost> host, long key) : host_(std::move(host)), key_(key) {
    host_->objects.push_back(this);
  }
  ~AccessibleObject() {
    auto& objects = host_->objects;
    objects.erase(std::remove(objects.begin(), objects.end(), static_cast<IUnknown*>(this)), objects.end());
  }
  AccessibleObject(const AccessibleObject&) = delete;
  AccessibleObject& operator=(const AccessibleObject&) = delete;

  // ---- IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // ---- IDispatch: clients of this interface call its methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // ---- IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, &AccessibleNode::name, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Text(child, &AccessibleNode::value, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return Nothing(child, text); }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override { return Nothing(child, text); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return Text(child, &AccessibleNode::shortcut, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    SetEmpty(selection);
    return S_FALSE;  // nothing here is selected
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Text(child, &AccessibleNode::action, action);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // The tree now and this object's place in it; fails when the window has
  // gone (RPC_E_DISCONNECTED) or no longer shows this object's node.
  HRESULT Look(View& view) const;
  // The node a child id names: 0 this object's, k its k-th child's.
  HRESULT Resolve(const VARIANT& child, View& view, int& index) const;
  // `index` as a child id of this object where it is one of its childless
  // children (or itself), else as an object of its own.
  HRESULT AsVariant(const View& view, int index, VARIANT* out) const;
  HRESULT Text(const VARIANT& child, std::string AccessibleNode::*field, BSTR* out) const;
  HRESULT Nothing(const VARIANT& child, BSTR* out) const;
  HRESULT Navigate(const View& view, int from, LONG direction, VARIANT* end) const;

  std::shared_ptr<AccessibleHost> host_;
  long key_;
  ULONG references_ = 1;
};

HRESULT AccessibleObject::Look(View& view) const {
  if (!host_->source || !host_->hwnd || !IsWindow(host_->hwnd)) return RPC_E_DISCONNECTED;
  try {  // nothing may be thrown back into the client's call
    view.nodes = host_->source->Nodes();
  } catch (...) {
    return E_FAIL;
  }
  view.self = view.Find(key_);
  return view.self < 0 ? CO_E_OBJNOTCONNECTED : S_OK;
}

HRESULT AccessibleObject::Resolve(const VARIANT& child, View& view, int& index) const {
  if (const HRESULT looked = Look(view); FAILED(looked)) return looked;
  if (child.vt != VT_I4) return E_INVALIDARG;
  if (child.lVal == CHILDID_SELF) {
    index = view.self;
    return S_OK;
  }
  const std::vector<int> children = view.Children(view.self);
  if (child.lVal < 1 || child.lVal > static_cast<long>(children.size())) return E_INVALIDARG;
  index = children[child.lVal - 1];
  return S_OK;
}

HRESULT AccessibleObject::AsVariant(const View& view, int index, VARIANT* out) const {
  if (index == view.self) {
    SetLong(out, CHILDID_SELF);
    return S_OK;
  }
  const std::vector<int> children = view.Children(view.self);
  const auto at = std::find(children.begin(), children.end(), index);
  if (at != children.end() && view.Children(index).empty()) {
    SetLong(out, static_cast<long>(at - children.begin()) + 1);
    return S_OK;
  }
  out->vt = VT_DISPATCH;
  out->pdispVal = new AccessibleObject(host_, view.nodes[index].key);
  return S_OK;
}

HRESULT AccessibleObject::Text(const VARIANT& child, std::string AccessibleNode::*field, BSTR* out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  View view;
  int index = -1;
  if (const HRESULT found = Resolve(child, view, index); FAILED(found)) return found;
  const std::string& text = view.nodes[index].*field;
  if (text.empty()) return S_FALSE;
  *out = MakeBstr(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT AccessibleObject::Nothing(const VARIANT& child, BSTR* out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  View view;
  int index = -1;
  const HRESULT found = Resolve(child, view, index);
  return FAILED(found) ? found : S_FALSE;
}

HRESULT AccessibleObject::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  View view;
  if (const HRESULT looked = Look(view); FAILED(looked)) return looked;
  const int up = view.nodes[view.self].parent;
  if (up >= 0) {
    *parent = new AccessibleObject(host_, view.nodes[up].key);
    return S_OK;
  }
  // Above the client: the window's own object, as the system makes it.
  static const auto standard = Oleacc<decltype(&::CreateStdAccessibleObject)>("CreateStdAccessibleObject");
  if (!standard) return S_FALSE;
  return standard(host_->hwnd, OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void**>(parent));
}

HRESULT AccessibleObject::get_accChildCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = 0;
  View view;
  if (const HRESULT looked = Look(view); FAILED(looked)) return looked;
  *count = static_cast<LONG>(view.Children(view.self).size());
  return S_OK;
}

HRESULT AccessibleObject::get_accChild(VARIANT child, IDispatch** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  View view;
  int index = -1;
  if (const HRESULT found = Resolve(child, view, index); FAILED(found)) return found;
  if (index == view.self) {
    AddRef();
    *object = this;
    return S_OK;
  }
  // A child without children of its own is a plain element of this object.
  if (view.Children(index).empty()) return S_FALSE;
  *object = new AccessibleObject(host_, view.nodes[index].key);
  return S_OK;
}

HRESULT AccessibleObject::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  SetEmpty(role);
  View view;
  int index = -1;
  if (const HRESULT found = Resolve(child, view, index); FAILED(found)) return found;
  SetLong(role, view.nodes[index].role);
  return S_OK;
}

HRESULT AccessibleObject::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  SetEmpty(state);
  View view;
  int index = -1;
  if (const HRESULT found = Resolve(child, view, index); FAILED(found)) return found;
  const AccessibleNode& node = view.nodes[index];
  long bits = 0;
  if (node.unavailable) bits |= STATE_SYSTEM_UNAVAILABLE;
  if (node.pressed) bits |= STATE_SYSTEM_PRESSED;
  if (node.readOnly) bits |= STATE_SYSTEM_READONLY;
  if (node.focusable || node.parent < 0) bits |= STATE_SYSTEM_FOCUSABLE;
  if (view.Focus(host_->hwnd) == index) bits |= STATE_SYSTEM_FOCUSED;
  if (!IsWindowVisible(host_->hwnd)) bits |= STATE_SYSTEM_INVISIBLE;
  SetLong(state, bits);
  return S_OK;
}

HRESULT AccessibleObject::get_accFocus(VARIANT* focus) {
  if (!focus) return E_POINTER;
  SetEmpty(focus);
  View view;
  if (const HRESULT looked = Look(view); FAILED(looked)) return looked;
  const int index = view.Focus(host_->hwnd);
  if (index < 0) return S_FALSE;
  return AsVariant(view, index, focus);
}

HRESULT AccessibleObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = *top = *width = *height = 0;
  View view;
  int index = -1;
  if (const HRESULT found = Resolve(child, view, index); FAILED(found)) return found;
  // Client pixels to screen pixels: the window draws at its monitor's DPI,
  // so these are the screen's own pixels at every scale.
  RECT r = view.nodes[index].bounds;
  MapWindowPoints(host_->hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  *left = r.left;
  *top = r.top;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return S_OK;
}

HRESULT AccessibleObject::accHitTest(LONG x, LONG y, VARIANT* child) {
  if (!child) return E_POINTER;
  SetEmpty(child);
  View view;
  if (const HRESULT looked = Look(view); FAILED(looked)) return looked;
  POINT p{x, y};
  ScreenToClient(host_->hwnd, &p);
  if (!PtInRect(&view.nodes[view.self].bounds, p)) return S_FALSE;
  // This object or the child under the point; a child with children of its
  // own is asked in turn by the client.
  int found = view.self;
  for (int c : view.Children(view.self)) {
    if (PtInRect(&view.nodes[c].bounds, p)) found = c;
  }
  return AsVariant(view, found, child);
}

HRESULT AccessibleObject::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  SetEmpty(end);
  View view;
  int from = -1;
  if (const HRESULT found = Resolve(start, view, from); FAILED(found)) return found;
  return Navigate(view, from, direction, end);
}

HRESULT AccessibleObject::Navigate(const View& view, int from, LONG direction, VARIANT* end) const {
  int to = -1;
  if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
    if (from != view.self) return E_INVALIDARG;  // a plain element has no children
    const std::vector<int> children = view.Children(from);
    if (!children.empty()) to = direction == NAVDIR_FIRSTCHILD ? children.front() : children.back();
  } else if (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS) {
    if (view.nodes[from].parent < 0) return S_FALSE;  // the root has no siblings here
    const std::vector<int> siblings = view.Children(view.nodes[from].parent);
    const long at = static_cast<long>(std::find(siblings.begin(), siblings.end(), from) - siblings.begin());
    const long next = at + (direction == NAVDIR_NEXT ? 1 : -1);
    if (next >= 0 && next < static_cast<long>(siblings.size())) to = siblings[next];
  } else {
    return DISP_E_MEMBERNOTFOUND;  // no spatial navigation
  }
  if (to < 0) return S_FALSE;
  return AsVariant(view, to, end);
}

HRESULT AccessibleObject::accDoDefaultAction(VARIANT child) {
  View view;
  int index = -1;
  if (const HRESULT found = Resolve(child, view, index); FAILED(found)) return found;
  if (view.nodes[index].action.empty()) return DISP_E_MEMBERNOTFOUND;
  // Run later, from the window's own queue: the action may open a modal
  // window, whose loop must not run inside this call.
  PostMessageA(host_->hwnd, host_->actionMessage, 0, view.nodes[index].key);
  return S_OK;
}

}  // namespace

AccessibleServer::AccessibleServer(AccessibleSource& source) : host_(std::make_shared<AccessibleHost>()) {
  host_->source = &source;
  host_->actionMessage = RegisterWindowMessageA("Nimbrel.AccessibleDefaultAction");
}

AccessibleServer::~AccessibleServer() { Disconnect(); }

bool AccessibleServer::Asked() const { return host_->asked; }

bool AccessibleServer::Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == host_->actionMessage && host_->actionMessage != 0) {
    if (host_->source) host_->source->DoDefaultAction(static_cast<long>(lParam));
    return true;
  }
  if (message != WM_GETOBJECT || !host_->source) return false;
  // The client, or a node with children by its key.
  const long id = static_cast<long>(static_cast<DWORD>(lParam));
  long key = 0;
  if (id != OBJID_CLIENT) {
    if (id <= 0) return false;  // the window's frame and the rest: the system's
    View view;
    view.nodes = host_->source->Nodes();
    const int index = view.Find(id);
    if (index < 0 || view.Children(index).empty()) return false;
    key = id;
  }
  static const auto initialize = Ole32<decltype(&::CoInitializeEx)>("CoInitializeEx");
  static const auto lresult = Oleacc<decltype(&::LresultFromObject)>("LresultFromObject");
  if (!initialize || !lresult) return false;
  if (!host_->comStarted) host_->comStarted = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
  host_->hwnd = hwnd;
  host_->asked = true;
  auto* object = new AccessibleObject(host_, key);
  result = lresult(__uuidof(IAccessible), wParam, object);
  object->Release();  // the result holds what it needs
  return true;
}

void AccessibleServer::Notify(DWORD event, long key) {
  if (!host_->source || !host_->hwnd) return;
  View view;
  view.nodes = host_->source->Nodes();
  const int index = view.Find(key);
  if (index < 0) return;
  const int parent = view.nodes[index].parent;
  if (parent < 0) {
    NotifyWinEvent(event, host_->hwnd, OBJID_CLIENT, CHILDID_SELF);
    return;
  }
  const std::vector<int> siblings = view.Children(parent);
  const long child = static_cast<long>(std::find(siblings.begin(), siblings.end(), index) - siblings.begin()) + 1;
  // A child of the client by its place; one of a deeper node through that
  // node's own object id, its key.
  const long object = view.nodes[parent].parent < 0 ? OBJID_CLIENT : view.nodes[parent].key;
  NotifyWinEvent(event, host_->hwnd, object, child);
}

void AccessibleServer::Disconnect() {
  if (!host_->source) return;
  host_->source = nullptr;
  if (!host_->comStarted) return;
  // Proxies in other processes let go of our objects and answer
  // RPC_E_DISCONNECTED; those in this one see the source gone.
  static const auto disconnect = Ole32<decltype(&::CoDisconnectObject)>("CoDisconnectObject");
  static const auto uninitialize = Ole32<decltype(&::CoUninitialize)>("CoUninitialize");
  std::vector<IUnknown*> objects = host_->objects;
  for (IUnknown* object : objects) object->AddRef();
  for (IUnknown* object : objects) {
    if (disconnect) disconnect(object, 0);
  }
  for (IUnknown* object : objects) object->Release();
  if (uninitialize) uninitialize();
  host_->comStarted = false;
}

}  // namespace nimbrel::win
