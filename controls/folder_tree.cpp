#include "controls/folder_tree.h"

#include <algorithm>
#include <utility>

#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "util/codepage.h"
#include "util/paths.h"
#include "util/strings.h"

namespace controls {

namespace {

const wchar_t kNotReady[] = L"В дисководе %s:\\ нет диска.";

std::wstring NotReadyText(wchar_t letter) {
  std::wstring text = kNotReady;
  text.replace(text.find(L"%s"), 2, std::wstring(1, letter));
  return text;
}

std::wstring TypeNameOf(int type) {
  switch (type) {
    case platform::dtRemovable: return L"Съемный диск";
    case platform::dtFixed: return L"Локальный диск";
    case platform::dtRemote: return L"Сетевой диск";
    case platform::dtCdRom: return L"Компакт-диск";
    case platform::dtRamDisk: return L"Виртуальный диск";
    default: return L"Неизвестный тип";
  }
}

// A typed path's levels lose their spaces only: other blanks stay and match no folder.
bool IsSpace(wchar_t c) { return c == L' '; }

}  // namespace

int FolderNode::Level() const {
  int level = 0;
  for (const FolderNode* p = parent; p; p = p->parent) ++level;
  return level;
}

std::wstring ShortenMiddle(const std::wstring& text, int maxWidth,
                           const std::function<int(const std::wstring&)>& width) {
  if (width(text) <= maxWidth) return text;
  auto cut = [&](size_t keep) {
    size_t head = (keep + 1) / 2, tail = keep / 2;
    return text.substr(0, head) + L"..." + text.substr(text.size() - tail);
  };
  // The longest shortening that fits: the widths grow with the characters kept.
  size_t low = 0, high = text.size() - 1;
  while (low < high) {
    size_t mid = (low + high + 1) / 2;
    if (width(cut(mid)) <= maxWidth) low = mid;
    else high = mid - 1;
  }
  return cut(low);
}

std::wstring NodePath(const FolderNode& node) {
  switch (node.kind) {
    case NodeKind::Desktop: return L"?.0" + node.text;
    case NodeKind::Computer: return L"?.1" + node.text;
    case NodeKind::Drive: return node.item->Key;
    case NodeKind::Folder: break;
  }
  std::wstring path = node.item->Key + L"\\";
  for (const FolderNode* p = node.parent; p && p->kind != NodeKind::Computer; p = p->parent) {
    if (p->kind == NodeKind::Drive) return p->item->Key + path;
    path = p->item->Key + L"\\" + path;
  }
  return path;
}

std::wstring ShownDirectory(const std::wstring& path) {
  size_t marker = path.find(L"?.");
  if (marker == std::wstring::npos) return path;
  return marker + 3 <= path.size() ? path.substr(marker + 3) : L"";
}

// Holds window updates back for the length of a read or a navigation.
class FolderTree::UpdateLock {
 public:
  explicit UpdateLock(FolderTreeObserver* observer) : observer_(observer) {
    if (observer_) observer_->BeginUpdate();
  }
  ~UpdateLock() {
    if (observer_) observer_->EndUpdate();
  }
  UpdateLock(const UpdateLock&) = delete;
  UpdateLock& operator=(const UpdateLock&) = delete;

 private:
  FolderTreeObserver* observer_;
};

FolderTree::FolderTree(platform::FileSystem& files, platform::Drives& drives, FolderShell& shell,
                       platform::MessageBoxes& boxes)
    : files_(files), drives_(drives), shell_(shell), boxes_(boxes) {}

FolderTree::~FolderTree() = default;

std::unique_ptr<FolderNode> FolderTree::MakeNode(NodeKind kind, const std::wstring& text,
                                                 int image, int selectedImage) {
  auto node = std::make_unique<FolderNode>();
  node->kind = kind;
  node->text = text;
  node->image = image;
  node->selectedImage = selectedImage;
  return node;
}

void FolderTree::Build() {
  if (desktop_) return;
  UpdateLock lock(observer_);
  closedIcon_ = shell_.ClosedFolderIcon();
  openIcon_ = shell_.OpenFolderIcon();
  ShellItem desktop = shell_.Desktop(), computer = shell_.Computer();
  desktop_ = MakeNode(NodeKind::Desktop, desktop.name, desktop.icon, desktop.icon);
  desktop_->read = true;
  if (observer_) observer_->NodeAdded(*desktop_);
  Insert(*desktop_, 0, MakeNode(NodeKind::Computer, computer.name, computer.icon, computer.icon));
  FolderNode& computerNode = *Computer();
  computerNode.read = true;
  uint32_t mask = drives_.LogicalDrives();
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) AddDrive(static_cast<wchar_t>(L'A' + i));
  desktop_->expanded = true;
  computerNode.expanded = true;
  if (observer_) {
    observer_->NodeExpanded(*desktop_, true);
    observer_->NodeExpanded(computerNode, true);
  }
  // A path set before the tree existed is navigated to now.
  std::wstring wanted = stored_.empty() ? L"C:\\" : stored_;
  stored_.clear();
  SetDirectory(wanted);
}

FolderNode* FolderTree::Computer() const {
  return desktop_ && !desktop_->children.empty() ? desktop_->children[0].get() : nullptr;
}

void FolderTree::AddDrive(wchar_t letter) {
  auto item = std::make_unique<TFolderItem>();
  item->Key = std::wstring(1, letter) + L":\\";
  ShellItem shown = shell_.DriveRoot(item->Key);
  item->Name = shown.name.empty() ? item->Key : shown.name;
  item->DriveType = drives_.DriveType(letter);
  item->TypeName = TypeNameOf(item->DriveType);
  item->ImageIndex = shown.icon;
  // A removable drive is not touched (a floppy would spin) unless asked to.
  if (item->DriveType != platform::dtRemovable || FreshDrives) {
    platform::DriveSpace space;
    if (drives_.Space(letter, &space)) {
      item->TotalSize = space.total;
      item->FreeSize = space.free;
      item->Attributes = drives_.RootAttributes(letter);
    }
  }
  auto node = MakeNode(NodeKind::Drive, item->Name, item->ImageIndex, item->ImageIndex);
  node->item = std::move(item);
  node->dummy = FolderNode::Dummy::Yes;
  FolderNode& computer = *Computer();
  Insert(computer, computer.children.size(), std::move(node));
}

FolderNode* FolderTree::DriveNode(wchar_t letter) const {
  FolderNode* computer = Computer();
  if (!computer) return nullptr;
  wchar_t upper = util::FoldCase(letter);
  for (auto& drive : computer->children)
    if (drive->item->Key[0] == upper) return drive.get();
  return nullptr;
}

bool FolderTree::DriveReady(wchar_t letter) {
  platform::DriveSpace space;
  return drives_.Space(letter, &space);
}

bool FolderTree::ReadFolders(const std::wstring& path, std::vector<TFolderItem>* folders) {
  // Each name's key is made once: comparing names in a locale costs far more than comparing
  // keys, and a folder of 10,000 subfolders takes some 170,000 comparisons to sort.
  std::vector<std::pair<std::wstring, TFolderItem>> keyed;
  bool listed = files_.List(path, [&](const platform::DirectoryEntry& entry) {
    if (!entry.directory || entry.name.empty() || entry.name[0] == L'.') return true;
    TFolderItem folder;
    folder.Name = folder.Key = entry.name;
    folder.Attributes = entry.attributes;
    folder.Modified = entry.modified;
    keyed.emplace_back(SortKey ? SortKey(entry.name) : util::FoldCase(entry.name), std::move(folder));
    return true;
  });
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.Name < b.second.Name;
  });
  folders->clear();
  folders->reserve(keyed.size());
  for (auto& entry : keyed) folders->push_back(std::move(entry.second));
  return listed;
}

std::unique_ptr<FolderNode> FolderTree::MakeFolderNode(const TFolderItem& folder) {
  auto node = MakeNode(NodeKind::Folder, folder.Name, closedIcon_, openIcon_);
  node->item = std::make_unique<TFolderItem>(folder);
  node->item->ImageIndex = closedIcon_;
  node->dummy = FolderNode::Dummy::Unknown;  // looked ahead when the view first asks
  return node;
}

void FolderTree::Insert(FolderNode& parent, size_t index, std::unique_ptr<FolderNode> child) {
  child->parent = &parent;
  FolderNode& added = *child;
  parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(index),
                         std::move(child));
  if (observer_) observer_->NodeAdded(added);
}

bool FolderTree::Contains(const FolderNode& ancestor, const FolderNode* node) const {
  for (; node; node = node->parent)
    if (node == &ancestor) return true;
  return false;
}

void FolderTree::RemoveChild(FolderNode& parent, size_t index) {
  FolderNode& child = *parent.children[index];
  if (Contains(child, selected_)) {
    // What the tree view does too: the selection moves up to the branch that stays.
    selected_ = &parent;
    if (observer_) observer_->NodeSelected(parent);
  }
  if (observer_) observer_->NodeRemoving(child);
  parent.children.erase(parent.children.begin() + static_cast<std::ptrdiff_t>(index));
}

void FolderTree::RemoveChildren(FolderNode& node) {
  if (node.children.empty()) return;
  if (selected_ != &node && Contains(node, selected_)) Select(node);
  // All at once: a branch may hold thousands of folders, and the view drops them in one step.
  if (observer_) observer_->ChildrenRemoving(node);
  node.children.clear();
}

void FolderTree::SetOpenImage(FolderNode& node, bool open) {
  if (node.kind != NodeKind::Folder) return;
  int want = open ? openIcon_ : closedIcon_;
  if (node.image == want) return;
  node.image = want;
  if (observer_) observer_->NodeChanged(node);
}

bool FolderTree::Expand(FolderNode& node) {
  if (node.kind == NodeKind::Desktop || node.kind == NodeKind::Computer) {
    node.expanded = true;
    return true;
  }
  if (node.expanded && node.read) return !node.children.empty();
  UpdateLock lock(observer_);
  const std::wstring path = NodePath(node);
  std::vector<TFolderItem> folders;
  bool ready = path[0] == L'\\' || DriveReady(path[0]);
  if (!ready) {
    boxes_.Show(MessageOwner, NotReadyText(path[0]), MessageCaption, platform::MsgButtons::Ok,
                platform::MsgIcon::Error);
  } else {
    ReadFolders(path, &folders);
  }
  RemoveChildren(node);
  for (const TFolderItem& folder : folders)
    Insert(node, node.children.size(), MakeFolderNode(folder));
  if (node.children.empty()) {
    if (node.kind == NodeKind::Drive) {
      // The drive keeps its button: the user may insert a disc and try again.
      node.read = false;
      node.dummy = FolderNode::Dummy::Yes;
    } else {
      node.read = true;
      node.dummy = FolderNode::Dummy::No;
    }
    node.expanded = false;
    if (observer_) observer_->NodeChanged(node);
    return false;
  }
  node.read = true;
  node.expanded = true;
  SetOpenImage(node, true);
  if (node.kind == NodeKind::Drive && notify_ && observer_) observer_->WatchDrive(node, true);
  return true;
}

void FolderTree::Collapse(FolderNode& node) {
  if (node.Level() <= 1) {
    node.expanded = false;
    return;
  }
  UpdateLock lock(observer_);
  const bool selectionInside = selected_ != &node && Contains(node, selected_);
  node.expanded = false;
  RemoveChildren(node);
  node.read = false;
  node.dummy = FolderNode::Dummy::Yes;
  SetOpenImage(node, false);
  if (observer_) observer_->NodeChanged(node);
  if (node.kind == NodeKind::Drive && observer_) observer_->WatchDrive(node, false);
  if (selectionInside) ChangeHandling();
}

bool FolderTree::HasButton(FolderNode& node) {
  if (node.read) return !node.children.empty();
  if (node.dummy == FolderNode::Dummy::Unknown) {
    bool found = false;
    files_.List(NodePath(node), [&](const platform::DirectoryEntry& entry) {
      found = entry.directory && !entry.name.empty() && entry.name[0] != L'.';
      return !found;
    });
    node.dummy = found ? FolderNode::Dummy::Yes : FolderNode::Dummy::No;
  }
  return node.dummy == FolderNode::Dummy::Yes;
}

void FolderTree::ExpandAndShow(FolderNode& node) {
  if (Expand(node) && observer_) observer_->NodeExpanded(node, true);
}

void FolderTree::Select(FolderNode& node) {
  selected_ = &node;
  if (observer_) observer_->NodeSelected(node);
}

void FolderTree::Navigate(const std::wstring& path) {
  FolderNode* node = Computer();
  if (!node) return;
  UpdateLock lock(observer_);
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring component = util::Trim(path.substr(start, end - start), IsSpace);
    start = end + 1;
    if (component.empty()) break;
    if (component.find(L':') != std::wstring::npos) component += L'\\';
    if (!node->expanded) ExpandAndShow(*node);
    FolderNode* next = nullptr;
    if (node->read)
      for (auto& child : node->children)
        if (util::EqualsNoCase(child->item->Key, component)) {
          next = child.get();
          break;
        }
    if (!next) break;
    node = next;
  }
  Select(*node);
  stored_ = NodePath(*node);
}

void FolderTree::ChangeHandling() {
  if (deferring_ || !selected_) return;
  stored_ = NodePath(*selected_);
  if (OnChange) OnChange(*selected_);
}

void FolderTree::SetDirectory(const std::wstring& value) {
  if (value.empty() || util::EqualsNoCase(value, stored_)) return;
  if (!Computer()) {
    stored_ = value;  // taken when the tree is built
    return;
  }
  // A watcher's report during the navigation asks for one more pass over the changed tree.
  int passes = 0;
  do {
    rescan_ = false;
    assigning_ = true;
    try {
      Navigate(value);
    } catch (...) {
      // The selection and the path stay as they were.
    }
    assigning_ = false;
    ChangeHandling();
  } while (rescan_ && ++passes < 8);
}

void FolderTree::SelectionChanged(FolderNode* node) {
  if (!node) return;
  selected_ = node;
  ChangeHandling();
}

void FolderTree::EndKeyboardDeferral() {
  deferring_ = false;
  ChangeHandling();
}

bool FolderTree::CanEdit(const FolderNode& node) const {
  // Neither a drive root nor the desktop or the computer: only folders have a name to change.
  const std::wstring path = NodePath(node);
  return !ReadOnly && stored_.find(L'?') == std::wstring::npos &&
         path.find(L'?') == std::wstring::npos && path.size() > 3;
}

bool FolderTree::EndEdit(FolderNode& node, const std::wstring* text) {
  bool renamed = false;
  if (!text) {
    if (OnEditCancel) OnEditCancel(node);
  } else if (node.kind == NodeKind::Folder) {
    if (OnEdited) OnEdited(node, *text);
    std::wstring oldPath = NodePath(node);
    oldPath.pop_back();
    const std::wstring newPath = NodePath(*node.parent) + *text;
    renamed = util::IsPlainName(*text) && files_.Rename(oldPath, newPath);
    if (renamed) {
      node.text = node.item->Name = node.item->Key = *text;
      if (observer_) observer_->NodeChanged(node);
      if (Contains(node, selected_)) ChangeHandling();
    }
    if (OnFileRename) OnFileRename(oldPath, newPath, renamed);
  }
  if (OnEndCreating) OnEndCreating(node);
  return renamed;
}

bool FolderTree::NeedsWatcher(const FolderNode& drive) {
  return drive.kind == NodeKind::Drive &&
         (drive.item->DriveType == platform::dtFixed || drive.item->DriveType == platform::dtRamDisk);
}

void FolderTree::SetNotify(bool notify) {
  if (notify_ == notify) return;
  notify_ = notify;
  FolderNode* computer = Computer();
  if (!computer || !observer_) return;
  for (auto& drive : computer->children)
    if (drive->expanded && NeedsWatcher(*drive)) observer_->WatchDrive(*drive, notify);
}

void FolderTree::Refresh(FolderNode& node) {
  if (!node.read) {
    // Not open: its button is looked up afresh.
    if (node.kind == NodeKind::Folder && node.dummy != FolderNode::Dummy::Unknown) {
      node.dummy = FolderNode::Dummy::Unknown;
      if (observer_) observer_->NodeChanged(node);
    }
    return;
  }
  std::vector<TFolderItem> folders;
  ReadFolders(NodePath(node), &folders);
  // Gone folders go; new ones take their sorted place; open survivors are read again.
  for (size_t i = node.children.size(); i-- > 0;) {
    const std::wstring& key = node.children[i]->item->Key;
    bool kept = std::any_of(folders.begin(), folders.end(), [&](const TFolderItem& f) {
      return util::EqualsNoCase(f.Key, key);
    });
    if (!kept) RemoveChild(node, i);
  }
  // What stays is an ordered part of the new listing: walk both together.
  size_t at = 0;
  for (const TFolderItem& folder : folders) {
    if (at < node.children.size() && util::EqualsNoCase(node.children[at]->item->Key, folder.Key))
      Refresh(*node.children[at]);
    else
      Insert(node, at, MakeFolderNode(folder));
    ++at;
  }
  if (node.children.empty()) {
    // A folder that lost its subfolders loses its button; a drive keeps one to try again.
    node.expanded = false;
    node.read = node.kind == NodeKind::Folder;
    node.dummy = node.read ? FolderNode::Dummy::No : FolderNode::Dummy::Yes;
    SetOpenImage(node, false);
    if (observer_) observer_->NodeChanged(node);
  }
}

void FolderTree::DriveChanged(wchar_t letter) {
  FolderNode* drive = DriveNode(letter);
  if (!drive || !drive->expanded) return;
  if (assigning_) {
    rescan_ = true;
    return;
  }
  UpdateLock lock(observer_);
  const std::wstring old = stored_;
  const bool wasExpanded = selected_ && selected_->expanded;
  Refresh(*drive);
  stored_.clear();
  try {
    Navigate(old);
    if (wasExpanded && selected_ && !selected_->expanded) ExpandAndShow(*selected_);
  } catch (...) {
    // Whatever the disk did meanwhile, the tree stays as it is.
  }
  if (!util::EqualsNoCase(stored_, old)) ChangeHandling();
}

}  // namespace controls
