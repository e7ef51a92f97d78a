#pragma once
// The list controls a page binds besides its plain controls: a drop-down list (ComboState) and
// a list with check boxes (CheckListState). Like every binding they mirror their state into the
// control after each event and write the user's changes back before the page's handler runs.
#include <windows.h>

#include <commctrl.h>

#include <functional>

#include "pages/page.h"

namespace pages {

class ListBinding {
 public:
  using Handler = std::function<void()>;
  virtual ~ListBinding() = default;

  HWND hwnd() const { return hwnd_; }
  int id() const { return id_; }
  // Writes what changed since the last time (everything the first time) into the control.
  virtual void Mirror() = 0;
  // Before each showing: the whole content again.
  virtual void MirrorAll() { Mirror(); }
  // A WM_COMMAND or WM_NOTIFY from the control; the handlers it runs are guarded.
  virtual void OnCommand(int code) {}
  virtual void OnNotify(const NMHDR& header) {}
  // A message the binding posted to the page for itself (see PostToSelf).
  virtual void OnPosted() {}

 protected:
  ListBinding(HWND hwnd, int id) : hwnd_(hwnd), id_(id) {}
  // Posts to the page a message that comes back to OnPosted once the control has settled.
  void PostToSelf() const;

 private:
  HWND hwnd_;
  int id_;
};

// The message a page's window routes to ListBinding::OnPosted; wParam is the binding's id.
constexpr UINT kListBindingMessage = WM_APP + 20;

// A combo box (`editable`: with an edit field) bound to `state`; `onChange` runs when the user
// picks an item or, editable, types.
class ComboBinding : public ListBinding {
 public:
  ComboBinding(HWND hwnd, int id, ComboState& state, bool editable, Handler onChange);
  void Mirror() override;
  void OnCommand(int code) override;

 private:
  void ReadSelection();

  ComboState& state_;
  bool editable_;
  Handler onChange_;
  ComboState shown_;
  bool mirrored_ = false;
};

// A one-column list view with check boxes bound to `state`: `onClick` runs when the current item
// changes, `onClickCheck` when a box is toggled (its item becomes the current one first). A
// selection the user clears (a click on empty space) is put back.
class CheckListBinding : public ListBinding {
 public:
  CheckListBinding(HWND hwnd, int id, CheckListState& state, Handler onClick,
                   Handler onClickCheck);
  // The items are added only before a showing (MirrorAll), in bulk: a list may hold thousands.
  void Mirror() override {}
  void MirrorAll() override;
  void OnNotify(const NMHDR& header) override;
  void OnPosted() override;

 private:
  void ItemChanged(const NMLISTVIEW& change);
  void SetItemState(int index, UINT state, UINT mask);
  void SelectCurrent();

  CheckListState& state_;
  Handler onClick_;
  Handler onClickCheck_;
  bool filling_ = false;  // the list's notifications while it is filled are not the user's
};

}  // namespace pages
