#include <windows.h>

#include <commctrl.h>

#include "pages/get_groups.h"
#include "pages/views_win.h"

namespace pages {

namespace {

// Posted to the page after a selection was lost, to put the current item back once the list
// has settled (a click on the list's empty space selects nothing).
constexpr UINT kReselectMessage = WM_APP + 20;

// The check list is a list view with check boxes, one column, no header.
class GetGroupsView : public PageView<TfmGetGroups> {
 public:
  using PageView::PageView;

 protected:
  void CreateControls() override {
    BindButtonRowAndFrame();
    BindLabel(page_.Label1, 24, 24, 584, 48);

    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    list_ = AddControl(WC_LISTVIEWW, L"",
                       WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                           LVS_SHOWSELALWAYS,
                       24, 80, 280, 240, NextControlId(), WS_EX_CLIENTEDGE);
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH;
    column.cx = 250;
    SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

    comment_ = AddControl(L"EDIT", L"",
                          WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                          320, 80, 288, 240, NextControlId(), WS_EX_CLIENTEDGE);

    BindLabel(page_.Label2, 24, 336, 200, 16, SS_RIGHT);
    BindLabel(page_.lbFreeMemory, 232, 336, 200, 16);
    BindLabel(page_.Label3, 24, 356, 200, 16, SS_RIGHT);
    BindLabel(page_.lbSize, 232, 356, 200, 16);
    BindLabel(page_.lbErrSize, 24, 376, 400, 16);
    AddBevel();
  }

  // Before each showing: the items as the behaviour filled them, added in bulk and drawn once
  // (a medium may list thousands of groups).
  void MirrorExtra() override {
    filling_ = true;
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    const auto& items = page_.clbGroup.items;
    SendMessageW(list_, LVM_SETITEMCOUNT, items.size(), LVSICF_NOINVALIDATEALL);
    for (size_t i = 0; i < items.size(); ++i) {
      LVITEMW item = {};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = const_cast<wchar_t*>(items[i].text.c_str());
      SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      // Wine's list view gives an inserted item an empty box whatever state it is inserted with.
      SetItemState(static_cast<int>(i), INDEXTOSTATEIMAGEMASK(items[i].checked ? 2 : 1),
                   LVIS_STATEIMAGEMASK);
    }
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
    SelectCurrent();
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    filling_ = false;
    MirrorComment();
  }

  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (msg == kReselectMessage) {
      if (SendMessageW(list_, LVM_GETSELECTEDCOUNT, 0, 0) == 0) {
        filling_ = true;
        SelectCurrent();
        filling_ = false;
      }
      *result = 0;
      return true;
    }
    if (msg != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom != list_ || header->code != LVN_ITEMCHANGED) return false;
    *result = 0;
    if (!filling_) ItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
    return true;
  }

 private:
  void ItemChanged(const NMLISTVIEW& change) {
    const int index = change.iItem;
    if (!(change.uChanged & LVIF_STATE) || index < 0 ||
        index >= static_cast<int>(page_.clbGroup.items.size()))
      return;
    const UINT toggled = (change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK;
    if (toggled && (change.uOldState & LVIS_STATEIMAGEMASK)) {
      // A check box toggled by mouse or space bar; its item becomes the current one, as a click
      // on it would make it.
      page_.clbGroup.itemIndex = index;
      page_.clbGroup.items[static_cast<size_t>(index)].checked =
          (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
      filling_ = true;
      SelectCurrent();
      filling_ = false;
      page_.clbGroupClickCheck();
    } else if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) {
      page_.clbGroup.itemIndex = index;
      page_.clbGroupClick();
    } else if ((change.uOldState & LVIS_SELECTED) && !(change.uNewState & LVIS_SELECTED)) {
      PostMessageW(hwnd(), kReselectMessage, 0, 0);
    }
    MirrorComment();
  }

  void SetItemState(int index, UINT state, UINT mask) {
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
  }

  void SelectCurrent() {
    const int current = page_.clbGroup.itemIndex;
    if (current < 0) return;
    SetItemState(current, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(current), FALSE);
  }

  void MirrorComment() { SetWindowTextW(comment_, page_.meComment.text.c_str()); }

  HWND list_ = nullptr;
  HWND comment_ = nullptr;
  bool filling_ = false;
};

}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmGetGroups& page) {
  return std::make_unique<GetGroupsView>(page);
}

}  // namespace pages
