// A window's content for screen readers, through Active Accessibility: a
// small generic IAccessible over a tree of plain nodes that the window
// describes afresh whenever a client asks (names, values, roles, states,
// keyboard shortcuts, default actions and places).
//
// Child ids are the usual ones: 0 is the object itself, k its k-th child.
// Every node can be an object of its own (get_accChild gives one for a node
// that has children); the root answers WM_GETOBJECT for OBJID_CLIENT, and a
// node with children also for its own key as a custom object id, so that an
// event about one of its children can be traced back to it.
//
// oleacc, ole32 and oleaut32 are loaded with the first client's question:
// the program imports none of them, and without a screen reader none loads.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

namespace nimbrel::win {

struct AccessibleNode {
  long key = 0;      // the same from one description to the next; 0 for the root, others above 0
  int parent = -1;   // the parent's index in the list; -1 for the root
  long role = ROLE_SYSTEM_CLIENT;
  std::string name, value, shortcut, action;  // UTF-8; empty: none
  bool pressed = false;
  bool unavailable = false;
  bool focusable = false;  // the first focusable node has the focus while the window has
  bool readOnly = false;
  RECT bounds{};  // in the window's client pixels
};

class AccessibleSource {
 public:
  virtual ~AccessibleSource() = default;
  // The nodes as they are now: the root first, every parent before its
  // children, the children in their order.
  virtual std::vector<AccessibleNode> Nodes() = 0;
  // The default action of the node with that key. Called from a message of
  // the window's own, never from inside a client's call, so that a dialog
  // it opens runs its loop outside the client's.
  virtual void DoDefaultAction(long key) = 0;
};

struct AccessibleHost;

class AccessibleServer {
 public:
  explicit AccessibleServer(AccessibleSource& source);
  ~AccessibleServer();
  AccessibleServer(const AccessibleServer&) = delete;
  AccessibleServer& operator=(const AccessibleServer&) = delete;

  // WM_GETOBJECT, and the message that runs a default action: true when it
  // took the message (`result` what to return for it).
  bool Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // A client has asked for the window's content.
  bool Asked() const;
  // Tells clients (NotifyWinEvent) that `event` happened to the node with
  // that key, as it stands in the nodes now.
  void Notify(DWORD event, long key);
  // From now on the objects clients still hold answer RPC_E_DISCONNECTED.
  void Disconnect();

 private:
  std::shared_ptr<AccessibleHost> host_;
};

}  // namespace nimbrel::win
