#include "controls/folder_tree_view_win.h"

#include <cstdlib>

#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/win32/dialogs_win.h"
#include "platform/win32/scoped_win.h"
#include "util/codepage.h"
#include "winui/error_box_win.h"

namespace controls {

namespace {

constexpr wchar_t kClassName[] = L"TkpFolderTreeView";
constexpr UINT kWatcherMessage = WM_APP + 0x40;  // wParam: the drive letter
constexpr UINT_PTR kKeyboardTimer = 1;

// A folder name's sort key in the user's locale, case-blind, as Explorer sorts them: keys in
// byte order are names in CompareString's order. One unit per byte keeps that order.
std::wstring SortKeyInLocale(const std::wstring& name) {
  const int length = static_cast<int>(name.size());
  int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.c_str(),
                          length, nullptr, 0);
  std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size <= 0 || !LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, name.c_str(),
                                 length, reinterpret_cast<wchar_t*>(&bytes[0]), size))
    return util::FoldCase(name);
  std::wstring key;
  key.reserve(bytes.size());
  for (char byte : bytes) key += static_cast<wchar_t>(static_cast<unsigned char>(byte));
  return key;
}

}  // namespace


TkpFolderTreeView::TkpFolderTreeView()
    : TkpFolderTreeView(platform::RealFileSystem(), platform::RealDrives()) {}

TkpFolderTreeView::TkpFolderTreeView(platform::FileSystem& files, platform::Drives& drives)
    : boxes_(std::make_unique<platform::Win32MessageBoxes>()),
      tree_model_(files, drives, shell_, *boxes_) {
  tree_model_.SortKey = SortKeyInLocale;
  tree_model_.OnChange = [this](FolderNode& node) { DirectoryChanged(node); };
}

TkpFolderTreeView::~TkpFolderTreeView() = default;

HWND TkpFolderTreeView::Create(HWND parent, int x, int y, int width, int height, int id) {
  winui::WindowClass cls;
  cls.name = kClassName;
  if (!window_.Create(cls, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE, x, y, width, height,
                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
    return nullptr;
  HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                  TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS,
                              0, 0, width, height, window_.Get(), nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  // Subclassed the classic way: under Wine every message through SetWindowSubclass costs two
  // window-property lookups in the server, which made filling a branch of 10,000 folders (one
  // message per folder) take seconds.
  if (tree) tree_.Subclass(tree);
  TreeView_SetImageList(tree_.Get(), WinFolderShell::SystemImageList(), TVSIL_NORMAL);
  tree_model_.MessageOwner = GetAncestor(parent, GA_ROOT);
  tree_model_.SetObserver(this);
  tree_model_.Build();
  return window_.Get();
}

void TkpFolderTreeView::SetIndent(int indent) {
  if (tree_) TreeView_SetIndent(tree_.Get(), indent);
}

void TkpFolderTreeView::SetDirectory(const std::wstring& value) {
  tree_model_.SetDirectory(value);
  if (tree_.Get() && IsWindowVisible(tree_.Get())) SetFocus(tree_.Get());
}

FolderNode* TkpFolderTreeView::NodeOfItem(HTREEITEM item) const {
  if (!item) return nullptr;
  TVITEMW tv = {};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  return TreeView_GetItem(tree_.Get(), &tv) ? NodeOf(tv.lParam) : nullptr;
}

void TkpFolderTreeView::DirectoryChanged(FolderNode& node) {
  if (DirLabel) {
    std::wstring shown;
    {
      platform::WindowDc dc(DirLabel);
      platform::SelectedObject font(
          dc.Get(), reinterpret_cast<HFONT>(SendMessageW(DirLabel, WM_GETFONT, 0, 0)));
      auto width = [&dc](const std::wstring& text) {
        SIZE size = {};
        GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
      };
      RECT client;
      GetClientRect(DirLabel, &client);
      shown = ShortenMiddle(Directory(), client.right - client.left, width);
    }
    SetWindowTextW(DirLabel, shown.c_str());
  }
  if (OnChange) OnChange(*this, node);
}

void TkpFolderTreeView::StartWatcher(FolderNode& drive) {
  wchar_t letter = drive.item->Key[0];
  // The drive's root with its backslash: "C:" alone would be the current folder of drive C.
  watchers_[letter] = std::make_unique<TFileNotify>(window_.Get(), kWatcherMessage, letter, drive.item->Key,
                                                    FILE_NOTIFY_CHANGE_DIR_NAME, true,
                                                    !tree_model_.Notify());
}

// ---- the model's changes into the tree view ----

void TkpFolderTreeView::NodeAdded(FolderNode& node) {
  TVINSERTSTRUCTW insert = {};
  insert.hParent = node.parent ? static_cast<HTREEITEM>(node.parent->handle) : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  if (node.parent && node.parent->children.back().get() != &node) {
    insert.hInsertAfter = TVI_FIRST;
    auto& siblings = node.parent->children;
    for (size_t i = 1; i < siblings.size(); ++i)
      if (siblings[i].get() == &node) insert.hInsertAfter = static_cast<HTREEITEM>(siblings[i - 1]->handle);
  }
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
  insert.item.pszText = const_cast<wchar_t*>(node.text.c_str());
  insert.item.iImage = node.image;
  insert.item.iSelectedImage = node.selectedImage;
  insert.item.cChildren = I_CHILDRENCALLBACK;  // asked when shown: the look-ahead waits till then
  insert.item.lParam = reinterpret_cast<LPARAM>(&node);
  ++syncing_;
  node.handle = TreeView_InsertItem(tree_.Get(), &insert);
  --syncing_;
  if (node.kind == NodeKind::Drive && FolderTree::NeedsWatcher(node)) StartWatcher(node);
}

void TkpFolderTreeView::NodeRemoving(FolderNode& node) {
  ++syncing_;
  TreeView_DeleteItem(tree_.Get(), static_cast<HTREEITEM>(node.handle));
  --syncing_;
}

void TkpFolderTreeView::ChildrenRemoving(FolderNode& node) {
  // One message for the whole branch, where deleting 10,000 items one by one takes a while.
  ++syncing_;
  TreeView_Expand(tree_.Get(), static_cast<HTREEITEM>(node.handle),
                  TVE_COLLAPSE | TVE_COLLAPSERESET);
  --syncing_;
}

void TkpFolderTreeView::NodeChanged(FolderNode& node) {
  TVITEMW item = {};
  item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  item.hItem = static_cast<HTREEITEM>(node.handle);
  item.pszText = const_cast<wchar_t*>(node.text.c_str());
  item.iImage = node.image;
  item.iSelectedImage = node.selectedImage;
  item.cChildren = I_CHILDRENCALLBACK;
  ++syncing_;
  TreeView_SetItem(tree_.Get(), &item);
  if (!node.expanded) TreeView_Expand(tree_.Get(), item.hItem, TVE_COLLAPSE);
  --syncing_;
}

void TkpFolderTreeView::NodeExpanded(FolderNode& node, bool expanded) {
  ++syncing_;
  TreeView_Expand(tree_.Get(), static_cast<HTREEITEM>(node.handle),
                  expanded ? TVE_EXPAND : TVE_COLLAPSE);
  --syncing_;
}

void TkpFolderTreeView::NodeSelected(FolderNode& node) {
  ++syncing_;
  TreeView_SelectItem(tree_.Get(), static_cast<HTREEITEM>(node.handle));
  TreeView_EnsureVisible(tree_.Get(), static_cast<HTREEITEM>(node.handle));
  --syncing_;
}

void TkpFolderTreeView::WatchDrive(FolderNode& drive, bool watching) {
  auto it = watchers_.find(drive.item->Key[0]);
  if (it == watchers_.end()) return;
  if (watching) it->second->Resume();
  else it->second->Suspend();
}

void TkpFolderTreeView::BeginUpdate() {
  if (updates_++ > 0) return;
  SendMessageW(tree_.Get(), WM_SETREDRAW, FALSE, 0);
  savedCursor_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void TkpFolderTreeView::EndUpdate() {
  if (--updates_ > 0) return;
  SendMessageW(tree_.Get(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_.Get(), nullptr, TRUE);
  SetCursor(savedCursor_);
}

// ---- the user's actions ----

void TkpFolderTreeView::ExpandByUser(FolderNode& node, bool expand) {
  if (expand) {
    if (tree_model_.Expand(node)) NodeExpanded(node, true);
  } else {
    NodeExpanded(node, false);
    tree_model_.Collapse(node);
  }
}

void TkpFolderTreeView::MoveByKey(UINT key) {
  HTREEITEM current = TreeView_GetSelection(tree_.Get());
  HTREEITEM next =
      current ? TreeView_GetNextItem(tree_.Get(), current,
                                     key == VK_DOWN ? TVGN_NEXTVISIBLE : TVGN_PREVIOUSVISIBLE)
              : TreeView_GetRoot(tree_.Get());
  if (!next) return;
  // The selection moves at once; Directory and OnChange follow when the keys rest.
  tree_model_.BeginKeyboardDeferral();
  TreeView_SelectItem(tree_.Get(), next);
  TreeView_EnsureVisible(tree_.Get(), next);
  SetTimer(window_.Get(), kKeyboardTimer, KeyboardDelay, nullptr);
}

LRESULT TkpFolderTreeView::HandleTreeMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN: {
      bool shiftOrCtrl = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0;
      if ((wParam == VK_UP || wParam == VK_DOWN) && GetKeyState(VK_CONTROL) >= 0) {
        MoveByKey(static_cast<UINT>(wParam));
        return 0;
      }
      if ((wParam == VK_RIGHT || wParam == VK_LEFT) && shiftOrCtrl) {
        if (FolderNode* node = NodeOfItem(TreeView_GetSelection(tree_.Get())))
          ExpandByUser(*node, wParam == VK_RIGHT);
        return 0;
      }
      break;
    }
    case WM_LBUTTONDOWN: {
      // A click soon after the previous one, near it, is a double click (open or close).
      DWORD now = static_cast<DWORD>(GetMessageTime());
      POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      bool quick = lastClickTime_ != 0 && now - lastClickTime_ <= GetDoubleClickTime() &&
                   std::abs(at.x - lastClick_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                   std::abs(at.y - lastClick_.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
      lastClickTime_ = quick ? 0 : now;
      lastClick_ = at;
      if (quick) return tree_.Default(WM_LBUTTONDBLCLK, wParam, lParam);
      break;
    }
    case WM_LBUTTONDBLCLK:
      lastClickTime_ = 0;
      break;
    default:
      break;
  }
  return tree_.Default(msg, wParam, lParam);
}

LRESULT TkpFolderTreeView::OnCustomDraw(NMTVCUSTOMDRAW* draw) {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      FolderNode* node = NodeOf(draw->nmcd.lItemlParam);
      if (node && node->item && (node->item->Attributes & kCompressedAttribute) &&
          !(draw->nmcd.uItemState & CDIS_SELECTED))
        draw->clrText = AltColor;
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

LRESULT TkpFolderTreeView::OnNotify(NMHDR* header) {
  if (header->hwndFrom != tree_.Get()) return 0;
  switch (header->code) {
    case TVN_ITEMEXPANDINGW: {
      auto* tv = reinterpret_cast<NMTREEVIEWW*>(header);
      FolderNode* node = NodeOf(tv->itemNew.lParam);
      if (syncing_ || !node || !(tv->action & TVE_EXPAND)) return FALSE;
      return tree_model_.Expand(*node) ? FALSE : TRUE;
    }
    case TVN_ITEMEXPANDEDW: {
      auto* tv = reinterpret_cast<NMTREEVIEWW*>(header);
      FolderNode* node = NodeOf(tv->itemNew.lParam);
      if (!syncing_ && node && (tv->action & TVE_COLLAPSE)) tree_model_.Collapse(*node);
      return 0;
    }
    case TVN_SELCHANGEDW: {
      auto* tv = reinterpret_cast<NMTREEVIEWW*>(header);
      if (!syncing_) tree_model_.SelectionChanged(NodeOf(tv->itemNew.lParam));
      return 0;
    }
    case TVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
      FolderNode* node = NodeOf(info->item.lParam);
      if ((info->item.mask & TVIF_CHILDREN) && node)
        info->item.cChildren = tree_model_.HasButton(*node) ? 1 : 0;
      return 0;
    }
    case TVN_BEGINLABELEDITW: {
      auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
      FolderNode* node = NodeOf(info->item.lParam);
      return node && tree_model_.CanEdit(*node) ? FALSE : TRUE;
    }
    case TVN_ENDLABELEDITW: {
      auto* info = reinterpret_cast<NMTVDISPINFOW*>(header);
      FolderNode* node = NodeOf(info->item.lParam);
      if (!node) return FALSE;
      if (info->item.pszText) {
        std::wstring text = info->item.pszText;
        tree_model_.EndEdit(*node, &text);
      } else {
        tree_model_.EndEdit(*node, nullptr);
      }
      return FALSE;  // the node's text is set by the rename itself
    }
    case NM_CUSTOMDRAW:
      return OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(header));
    default:
      return 0;
  }
}

LRESULT TkpFolderTreeView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
      if (wParam == kKeyboardTimer) {
        KillTimer(window_.Get(), kKeyboardTimer);
        tree_model_.EndKeyboardDeferral();
      }
      return 0;
    case kWatcherMessage:
      tree_model_.DriveChanged(static_cast<wchar_t>(wParam));
      return 0;
    case WM_SIZE:
      if (tree_) MoveWindow(tree_.Get(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFONT:
      if (tree_) SendMessageW(tree_.Get(), WM_SETFONT, wParam, lParam);
      return 0;
    case WM_SETFOCUS:
      if (tree_) SetFocus(tree_.Get());
      return 0;
    case WM_DESTROY:
      // The watchers end before the window does; the tree view's last notifications are not
      // the user's.
      KillTimer(window_.Get(), kKeyboardTimer);
      watchers_.clear();
      ++syncing_;
      return 0;
    default:
      return window_.Default(msg, wParam, lParam);
  }
}

}  // namespace controls
