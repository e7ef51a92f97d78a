#include "pages/list_bindings_win.h"

#include <string>

#include "winui/error_box_win.h"
#include "pages/layout_win.h"

namespace pages {

namespace {
std::wstring ComboItemText(HWND combo, int index) {
  LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n == CB_ERR) return L"";
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(n));
  return text;
}

void Run(const ListBinding::Handler& handler) {
  if (handler) winui::Guarded(handler);
}
}  // namespace

void ListBinding::PostToSelf() const {
  PostMessageW(GetParent(hwnd_), kListBindingMessage, static_cast<WPARAM>(id_), 0);
}

// ---- drop-down lists ----

ComboBinding::ComboBinding(HWND hwnd, int id, ComboState& state, bool editable, Handler onChange)
    : ListBinding(hwnd, id), state_(state), editable_(editable), onChange_(std::move(onChange)) {}

void ComboBinding::Mirror() {
  const ComboState& s = state_;
  const bool all = !mirrored_;
  if (all || s.items != shown_.items) {
    SendMessageW(hwnd(), CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : s.items)
      SendMessageW(hwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    shown_.itemIndex = -2;  // forces the selection and text below
  }
  if (s.itemIndex != shown_.itemIndex)
    SendMessageW(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(s.itemIndex), 0);
  if (editable_ && WindowText(hwnd()) != s.control.text) {
    SetWindowTextW(hwnd(), s.control.text.c_str());
    // The caret goes to the end, where the user was typing.
    int end = static_cast<int>(s.control.text.size());
    SendMessageW(hwnd(), CB_SETEDITSEL, 0, MAKELPARAM(end, end));
  }
  if (all || s.control.enabled != shown_.control.enabled) EnableWindow(hwnd(), s.control.enabled);
  if (all || s.control.visible != shown_.control.visible)
    ShowWindow(hwnd(), s.control.visible ? SW_SHOWNA : SW_HIDE);
  shown_ = s;
  mirrored_ = true;
}

void ComboBinding::ReadSelection() {
  int index = static_cast<int>(SendMessageW(hwnd(), CB_GETCURSEL, 0, 0));
  state_.itemIndex = index;
  state_.control.text = index >= 0 ? ComboItemText(hwnd(), index) : L"";
  shown_.itemIndex = state_.itemIndex;
  shown_.control.text = state_.control.text;
}

void ComboBinding::OnCommand(int code) {
  if (code == CBN_SELCHANGE) {
    ReadSelection();
  } else if (editable_ && code == CBN_EDITCHANGE) {
    state_.control.text = WindowText(hwnd());
    state_.itemIndex = -1;
    shown_.control.text = state_.control.text;
  } else {
    return;
  }
  Run(onChange_);
}

// ---- check lists ----

CheckListBinding::CheckListBinding(HWND hwnd, int id, CheckListState& state, Handler onClick,
                                   Handler onClickCheck)
    : ListBinding(hwnd, id),
      state_(state),
      onClick_(std::move(onClick)),
      onClickCheck_(std::move(onClickCheck)) {
  SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNW column = {};
  column.mask = LVCF_WIDTH;
  column.cx = 250;
  SendMessageW(hwnd, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void CheckListBinding::MirrorAll() {
  // Added in bulk and drawn once (a medium may list thousands of groups).
  filling_ = true;
  SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd(), LVM_DELETEALLITEMS, 0, 0);
  const auto& items = state_.items;
  SendMessageW(hwnd(), LVM_SETITEMCOUNT, items.size(), LVSICF_NOINVALIDATEALL);
  for (size_t i = 0; i < items.size(); ++i) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(items[i].text.c_str());
    SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    // Wine's list view gives an inserted item an empty box whatever state it is inserted with.
    SetItemState(static_cast<int>(i), INDEXTOSTATEIMAGEMASK(items[i].checked ? 2 : 1),
                 LVIS_STATEIMAGEMASK);
  }
  SendMessageW(hwnd(), LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
  SelectCurrent();
  SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd(), nullptr, TRUE);
  filling_ = false;
}

void CheckListBinding::OnNotify(const NMHDR& header) {
  if (header.code != LVN_ITEMCHANGED || filling_) return;
  ItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
}

void CheckListBinding::OnPosted() {
  // Once the list has settled after a lost selection: the current item again.
  if (SendMessageW(hwnd(), LVM_GETSELECTEDCOUNT, 0, 0) != 0) return;
  filling_ = true;
  SelectCurrent();
  filling_ = false;
}

void CheckListBinding::ItemChanged(const NMLISTVIEW& change) {
  const int index = change.iItem;
  if (!(change.uChanged & LVIF_STATE) || index < 0 ||
      index >= static_cast<int>(state_.items.size()))
    return;
  const UINT toggled = (change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK;
  if (toggled && (change.uOldState & LVIS_STATEIMAGEMASK)) {
    // A check box toggled by mouse or space bar; its item becomes the current one, as a click
    // on it would make it.
    state_.itemIndex = index;
    state_.items[static_cast<size_t>(index)].checked =
        (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    filling_ = true;
    SelectCurrent();
    filling_ = false;
    Run(onClickCheck_);
  } else if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) {
    state_.itemIndex = index;
    Run(onClick_);
  } else if ((change.uOldState & LVIS_SELECTED) && !(change.uNewState & LVIS_SELECTED)) {
    PostToSelf();
  }
}

void CheckListBinding::SetItemState(int index, UINT state, UINT mask) {
  LVITEMW item = {};
  item.stateMask = mask;
  item.state = state;
  SendMessageW(hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

void CheckListBinding::SelectCurrent() {
  const int current = state_.itemIndex;
  if (current < 0) return;
  SetItemState(current, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(hwnd(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(current), FALSE);
}

}  // namespace pages
