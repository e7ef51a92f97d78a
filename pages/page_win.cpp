#include "pages/page_win.h"

#include <commctrl.h>

#include <cwchar>

#include "winui/dpi_win.h"
#include "winui/error_box_win.h"

namespace pages {

namespace {
constexpr wchar_t kPageClass[] = L"SketrionSetupPage";
// Posted to the page itself when it is shown; wParam is the showing's serial number.
constexpr UINT kActivateMessage = WM_APP + 1;

bool CanTakeFocus(HWND page, HWND control) {
  return control && IsChild(page, control) && IsWindowVisible(control) && IsWindowEnabled(control);
}

}  // namespace

// A multi-line edit asks the dialog manager for every key, so Tab never leaves it, and passes
// Enter on to the default button. Read-only, it keeps the keys that move through its text, lets
// Tab and Esc through to the page, and takes Enter to do nothing with it.
class ViewerKeys : private winui::MessageHandler {
 public:
  explicit ViewerKeys(HWND viewer) { window_.Subclass(viewer); }
  ~ViewerKeys() { window_.Unbind(); }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    const bool enter = (msg == WM_KEYDOWN && wParam == VK_RETURN) || (msg == WM_CHAR && wParam == L'\r');
    if (enter) return 0;
    LRESULT result = window_.Default(msg, wParam, lParam);
    if (msg != WM_GETDLGCODE) return result;
    result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_WANTTAB);
    const auto* key = reinterpret_cast<const MSG*>(lParam);
    if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) result |= DLGC_WANTMESSAGE;
    return result;
  }

  winui::BoundWindow window_{*this};
};

PageWindow::PageWindow(Page& page) : page_(page) {}

PageWindow::~PageWindow() {
  page_.AttachHost(nullptr);
  // No message of the window's end reaches this half-destroyed object.
  window_.Unbind();
}

void PageWindow::Create(HWND owner) {
  owner_ = owner;
  winui::WindowClass cls;
  cls.name = kPageClass;
  cls.background = GetSysColorBrush(COLOR_BTNFACE);
  // A dialog frame without title-bar buttons; the size is set each time the page is shown.
  if (!window_.Create(cls, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, page_.Caption().c_str(),
                      WS_POPUP | WS_CAPTION, 0, 0, kPageWidth, kPageHeight, owner))
    return;
  dpi_ = winui::WindowDpi(hwnd());
  page_.AttachHost(this);
  CreateControls();
  if (HasSeparator()) AddBevel();
  Refresh();
}

void PageWindow::PlaceCentred() {
  const SIZE size = WindowSize();
  Point origin = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               size.cx, size.cy);
  SetWindowPos(hwnd(), nullptr, origin.left, origin.top, size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

int PageWindow::ShowModal() {
  if (!hwnd()) return mrCancel;
  SetWindowTextW(hwnd(), page_.Caption().c_str());
  winui::Guarded([&] { page_.FormShow(); });
  Refresh();
  for (auto& list : lists_) list->MirrorAll();
  MirrorExtra();
  PlaceCentred();

  const bool ownerWasEnabled = owner_ && IsWindowEnabled(owner_);
  if (owner_) EnableWindow(owner_, FALSE);
  closing_ = false;
  modalResult_ = mrNone;
  modal_ = true;
  activated_ = false;
  ++showing_;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  lastFocus_ = nullptr;
  FocusInitial();
  PostMessageW(hwnd(), kActivateMessage, showing_, 0);

  while (!closing_) {
    MSG msg;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The application is ending: leave the loop and let the outer loop see the quit.
      PostQuitMessage(static_cast<int>(msg.wParam));
      modalResult_ = mrCancel;
      break;
    }
    if (!IsDialogMessageW(hwnd(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  modal_ = false;
  // The owner is enabled before the page hides, so Windows activates it and not another program.
  if (owner_ && ownerWasEnabled) EnableWindow(owner_, TRUE);
  ShowWindow(hwnd(), SW_HIDE);
  return modalResult_;
}

void PageWindow::ProcessMessages() {
  Refresh();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!IsDialogMessageW(hwnd(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

int PageWindow::Scale(int designPixels) const { return winui::ScaleToDpi(designPixels, dpi_); }

void PageWindow::ApplyDpi(int dpi) {
  dpi_ = dpi;
  for (const Placed& placed : placed_) PutInPlace(placed);
  // The bound controls get their own weight of font again, and everything is drawn anew.
  for (auto& b : bindings_) b->mirrored = false;
  Refresh();
  DpiChanged();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

HWND PageWindow::InitialFocus() const {
  if (const ControlState* named = page_.InitialFocus()) {
    for (const auto& b : bindings_)
      if (b->state == named) return b->hwnd;
  }
  const int def = DefaultButtonId();
  return def ? GetDlgItem(hwnd(), def) : nullptr;
}

void PageWindow::FocusInitial() {
  HWND target = InitialFocus();
  if (!FocusMayRest(target)) target = GetNextDlgTabItem(hwnd(), nullptr, FALSE);
  if (!FocusMayRest(target)) {
    // With every control off, the page itself keeps the keyboard (Esc still reaches it).
    SetFocus(hwnd());
    return;
  }
  SetFocus(target);
  // As in a dialog, a field's text is selected: what the user types replaces it.
  if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
}

void PageWindow::KeepFocusUsable() {
  if (!modal_ || GetActiveWindow() != hwnd()) return;
  HWND focus = GetFocus();
  if (FocusMayRest(focus)) return;
  // A child of a control (a drop-down's field) counts as the control.
  if (focus && IsChild(hwnd(), focus) && CanTakeFocus(hwnd(), GetParent(focus))) return;
  FocusInitial();
}

void PageWindow::LetKeysPass(HWND viewer) {
  if (viewer) viewerKeys_.push_back(std::make_unique<ViewerKeys>(viewer));
}

void PageWindow::StartTimer(int id, unsigned ms) { SetTimer(hwnd(), static_cast<UINT_PTR>(id), ms, nullptr); }
bool PageWindow::QueryCancel() { return cancelQuestion_ ? cancelQuestion_(hwnd()) : true; }

void PageWindow::StopTimer(int id) { KillTimer(hwnd(), static_cast<UINT_PTR>(id)); }

void PageWindow::TryClose(int modalResult) {
  if (!modal_ || closing_) return;
  bool allowed = false;
  winui::Guarded([&] { allowed = page_.FormClose(modalResult); });
  Refresh();
  if (allowed) {
    modalResult_ = modalResult;
    closing_ = true;
  }
}

void PageWindow::TryUserClose() {
  // Esc, Alt+F4 and the system menu mean cancel, except while a pass runs.
  if (page_.Busy()) return;
  TryClose(mrCancel);
}

void PageWindow::AfterEvent() {
  Refresh();
  int requested = page_.TakeCloseRequest();
  if (requested != mrNone) TryClose(requested);
}

// ---- binding controls to state ----

HWND PageWindow::Bind(ControlState& state, Kind kind, const wchar_t* cls, DWORD style, int x,
                      int y, int w, int h, int modalResult, bool isDefault, Handler handler) {
  int id = nextId_++;
  HWND control = AddControl(cls, state.text.c_str(), style, x, y, w, h, id);
  auto b = std::make_unique<Binding>();
  b->state = &state;
  b->hwnd = control;
  b->id = id;
  b->kind = kind;
  b->modalResult = modalResult;
  b->isDefault = isDefault;
  b->handler = std::move(handler);
  b->mirrored = false;
  bindings_.push_back(std::move(b));
  return control;
}

HWND PageWindow::BindButton(ControlState& state, int x, int y, int w, int h, int modalResult,
                            Handler onClick, bool isDefault) {
  DWORD style = WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  return Bind(state, Kind::Button, L"BUTTON", style, x, y, w, h, modalResult, isDefault,
              std::move(onClick));
}

HWND PageWindow::BindRowButton(ControlState& state, int left, int modalResult, Handler onClick,
                               bool isDefault) {
  return BindButton(state, left, design::kButtonTop, design::kButtonWidth, design::kButtonHeight,
                    modalResult, std::move(onClick), isDefault);
}

HWND PageWindow::BindPrior(ControlState& state, Handler onClick) {
  return BindRowButton(state, design::kPriorLeft, mrBack, std::move(onClick));
}

HWND PageWindow::BindNext(ControlState& state, Handler onClick, bool isDefault) {
  return BindRowButton(state, design::kNextLeft, mrNext, std::move(onClick), isDefault);
}

HWND PageWindow::BindCancel(ControlState& state, Handler onClick) {
  return BindRowButton(state, design::kCancelLeft, mrCancel, std::move(onClick));
}

HWND PageWindow::BindLabel(ControlState& state, int x, int y, int w, int h, DWORD style) {
  return Bind(state, Kind::Label, L"STATIC", SS_NOPREFIX | style, x, y, w, h, mrNone, false, {});
}

HWND PageWindow::BindEdit(ControlState& state, int x, int y, int w, int h, Handler onChange,
                          DWORD style) {
  HWND edit = Bind(state, Kind::Edit, L"EDIT", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | style,
                   x, y, w, h, mrNone, false, std::move(onChange));
  SetWindowLongPtrW(edit, GWL_EXSTYLE, GetWindowLongPtrW(edit, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  return edit;
}

HWND PageWindow::BindRadio(ControlState& state, int x, int y, int w, int h, bool firstOfGroup,
                           Handler onClick) {
  DWORD style = BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP : 0);
  HWND radio =
      Bind(state, Kind::Radio, L"BUTTON", style, x, y, w, h, mrNone, false, std::move(onClick));
  if (firstOfGroup || radioGroups_.empty()) radioGroups_.emplace_back();
  radioGroups_.back().push_back(bindings_.back().get());
  return radio;
}

HWND PageWindow::BindCheckBox(ControlState& state, int x, int y, int w, int h, Handler onClick) {
  return Bind(state, Kind::CheckBox, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, x, y, w, h, mrNone,
              false, std::move(onClick));
}

HWND PageWindow::BindMemo(ControlState& state, int x, int y, int w, int h) {
  HWND memo = Bind(state, Kind::Label, L"EDIT",
                   WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, x, y, w,
                   h, mrNone, false, {});
  SetWindowLongPtrW(memo, GWL_EXSTYLE, GetWindowLongPtrW(memo, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(memo, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  LetKeysPass(memo);
  return memo;
}

HWND PageWindow::BindProgress(ControlState& state, int x, int y, int w, int h) {
  return Bind(state, Kind::Progress, PROGRESS_CLASSW, 0, x, y, w, h, mrNone, false, {});
}

HWND PageWindow::BindGroupBox(ControlState& state, int x, int y, int w, int h) {
  return Bind(state, Kind::GroupBox, L"BUTTON", BS_GROUPBOX, x, y, w, h, mrNone, false, {});
}

HWND PageWindow::BindCombo(ComboState& state, int x, int y, int w, int h, bool editable,
                           Handler onChange) {
  const int id = nextId_++;
  DWORD style =
      WS_TABSTOP | WS_VSCROLL | (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
  HWND combo = AddControl(WC_COMBOBOXW, L"", style, x, y, w, h, id);
  lists_.push_back(
      std::make_unique<ComboBinding>(combo, id, state, editable, std::move(onChange)));
  return combo;
}

HWND PageWindow::BindCheckList(CheckListState& state, int x, int y, int w, int h,
                               Handler onClick, Handler onClickCheck) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  const int id = nextId_++;
  HWND list = AddControl(WC_LISTVIEWW, L"",
                         WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                             LVS_SHOWSELALWAYS,
                         x, y, w, h, id, WS_EX_CLIENTEDGE);
  lists_.push_back(std::make_unique<CheckListBinding>(list, id, state, std::move(onClick),
                                                      std::move(onClickCheck)));
  return list;
}

HWND PageWindow::AddFrame(const wchar_t* text) {
  return AddControl(L"BUTTON", text, BS_GROUPBOX, design::kFrameLeft, design::kFrameTop,
                    design::kFrameWidth, design::kFrameHeight);
}

HWND PageWindow::AddBevel() {
  return AddControl(L"STATIC", L"", SS_ETCHEDHORZ, design::kFrameLeft, design::kBevelTop,
                    design::kFrameWidth, 2);
}

HWND PageWindow::AddControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, int x,
                            int y, int w, int h, int id, DWORD exStyle) {
  // The arrow keys move within a radio group up to the next control that starts a group.
  const bool radio =
      wcscmp(windowClass, L"BUTTON") == 0 && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
  if (lastWasRadio_ && !(radio && !(style & WS_GROUP))) style |= WS_GROUP;
  lastWasRadio_ = radio;
  HWND control = Layout(hwnd(), winui::kDesignDpi, dpi_).Add(windowClass, text, style, x, y, w, h, id, exStyle);
  if (control) placed_.push_back({control, RECT{x, y, x + w, y + h}});
  return control;
}

void PageWindow::Place(HWND control, int x, int y, int w, int h) {
  if (!control) return;
  placed_.push_back({control, RECT{x, y, x + w, y + h}});
  PutInPlace(placed_.back());
}

void PageWindow::PutInPlace(const Placed& placed) {
  const RECT& r = placed.design;
  SetWindowPos(placed.control, nullptr, Scale(r.left), Scale(r.top), Scale(r.right - r.left),
               Scale(r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont(false, dpi_)), FALSE);
}

PageWindow::Binding* PageWindow::Find(int id) {
  for (auto& b : bindings_)
    if (b->id == id) return b.get();
  return nullptr;
}

PageWindow::Binding* PageWindow::Find(HWND control) {
  return const_cast<Binding*>(static_cast<const PageWindow*>(this)->Find(control));
}

const PageWindow::Binding* PageWindow::Find(HWND control) const {
  for (const auto& b : bindings_)
    if (b->hwnd == control) return b.get();
  return nullptr;
}

ListBinding* PageWindow::FindList(HWND control) {
  for (auto& list : lists_)
    if (list->hwnd() == control) return list.get();
  return nullptr;
}

ListBinding* PageWindow::FindList(int id) {
  for (auto& list : lists_)
    if (list->id() == id) return list.get();
  return nullptr;
}

// ---- mirroring ----

void PageWindow::Refresh() {
  if (!hwnd()) return;
  mirroring_ = true;
  for (auto& b : bindings_) Mirror(*b);
  for (auto& list : lists_) list->Mirror();
  MoveRadioStops();
  mirroring_ = false;
  KeepFocusUsable();
}

void PageWindow::Mirror(Binding& b) {
  const ControlState& s = *b.state;
  ControlState& was = b.shown;
  const bool all = !b.mirrored;
  if (all || s.text != was.text) {
    if (b.kind != Kind::Progress && WindowText(b.hwnd) != s.text)
      SetWindowTextW(b.hwnd, s.text.c_str());
  }
  if (all || s.enabled != was.enabled) EnableWindow(b.hwnd, s.enabled);
  if (all || s.visible != was.visible) ShowWindow(b.hwnd, s.visible ? SW_SHOWNA : SW_HIDE);
  if ((b.kind == Kind::Radio || b.kind == Kind::CheckBox) && (all || s.checked != was.checked))
    SendMessageW(b.hwnd, BM_SETCHECK, s.checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (all || s.bold != was.bold)
    SendMessageW(b.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont(s.bold, dpi_)), TRUE);
  if (all || s.color != was.color) InvalidateRect(b.hwnd, nullptr, TRUE);
  if (b.kind == Kind::Progress) {
    if (all || s.min != was.min || s.max != was.max)
      SendMessageW(b.hwnd, PBM_SETRANGE32, static_cast<WPARAM>(s.min), static_cast<LPARAM>(s.max));
    if (all || s.position != was.position)
      SendMessageW(b.hwnd, PBM_SETPOS, static_cast<WPARAM>(s.position), 0);
  }
  was = s;
  b.mirrored = true;
}

void PageWindow::ReadChecks() {
  // Auto radio buttons uncheck their neighbours themselves: read them all back.
  for (auto& b : bindings_) {
    if (b->kind != Kind::Radio && b->kind != Kind::CheckBox) continue;
    bool checked = SendMessageW(b->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    b->state->checked = checked;
    b->shown.checked = checked;
  }
}

void PageWindow::MoveRadioStops() {
  for (const auto& group : radioGroups_) {
    std::vector<const ControlState*> states;
    for (const Binding* b : group) states.push_back(b->state);
    const int stop = RadioGroupStop(states);
    for (size_t i = 0; i < group.size(); ++i) {
      const LONG_PTR style = GetWindowLongPtrW(group[i]->hwnd, GWL_STYLE);
      const LONG_PTR wanted =
          static_cast<int>(i) == stop ? style | WS_TABSTOP : style & ~WS_TABSTOP;
      if (wanted != style) SetWindowLongPtrW(group[i]->hwnd, GWL_STYLE, wanted);
    }
  }
}

bool PageWindow::FocusMayRest(HWND control) const {
  if (!CanTakeFocus(hwnd(), control)) return false;
  const Binding* b = Find(control);
  return !(b && b->kind == Kind::Radio && !b->state->checked);
}

int PageWindow::DefaultButtonId() const {
  for (const auto& b : bindings_)
    if (b->isDefault && b->state->visible && b->state->enabled) return b->id;
  return 0;
}

// ---- events ----

void PageWindow::OnCommand(int id, int code, HWND control) {
  if (id == IDCANCEL && !control) {  // Esc
    TryUserClose();
    return;
  }
  if (mirroring_) return;
  if (ListBinding* list = control ? FindList(control) : nullptr) {
    list->OnCommand(code);
    return;
  }
  Binding* b = control ? Find(control) : Find(id);
  if (!b) return;
  switch (b->kind) {
    case Kind::Button:
      if (code != BN_CLICKED) return;
      // A hidden or disabled button is not there for the user (Enter can still name it).
      if (!b->state->visible || !b->state->enabled) return;
      if (b->handler) winui::Guarded(b->handler);
      if (b->modalResult != mrNone) TryClose(b->modalResult);
      break;
    case Kind::Radio:
    case Kind::CheckBox:
      if (code != BN_CLICKED) return;
      ReadChecks();
      if (b->handler) winui::Guarded(b->handler);
      break;
    case Kind::Edit:
      if (code != EN_CHANGE) return;
      b->state->text = WindowText(b->hwnd);
      b->shown.text = b->state->text;
      if (b->handler) winui::Guarded(b->handler);
      break;
    default:
      break;
  }
}

LRESULT PageWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT own = 0;
  if (OnMessage(msg, wParam, lParam, &own)) {
    AfterEvent();
    return own;
  }
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      AfterEvent();
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      ListBinding* list = FindList(header->hwndFrom);
      if (!list) break;
      list->OnNotify(*header);
      AfterEvent();
      return 0;
    }
    case kListBindingMessage:
      if (ListBinding* list = FindList(static_cast<int>(wParam))) list->OnPosted();
      AfterEvent();
      return 0;
    case DM_GETDEFID: {
      int def = DefaultButtonId();
      return def ? MAKELRESULT(def, DC_HASDEFID) : 0;
    }
    case WM_ACTIVATE:
      // A page is no dialog: Windows would give the keyboard to the page window itself. Where
      // it was goes back to it after a message box or another program.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd(), focus)) lastFocus_ = focus;
        return 0;
      }
      if (HIWORD(wParam)) break;  // minimised
      if (FocusMayRest(lastFocus_)) SetFocus(lastFocus_);
      else FocusInitial();
      return 0;
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale (or the scale changed): laid out again for it, at
      // the place Windows suggests.
      ApplyDpi(HIWORD(wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      TryUserClose();
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        TryUserClose();
        return 0;
      }
      break;
    case WM_TIMER:
      winui::Guarded([&] { page_.Timer(static_cast<int>(wParam)); });
      AfterEvent();
      return 0;
    case kActivateMessage:
      // Once per showing: message boxes and Alt-Tab re-activate the page, this does not repeat.
      if (modal_ && wParam == showing_ && !activated_) {
        activated_ = true;
        winui::Guarded([&] { page_.FormActivate(); });
        AfterEvent();
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // Labels, frames and buttons stand on the page's own face colour, in their own text colour.
      HDC dc = reinterpret_cast<HDC>(wParam);
      Binding* b = Find(reinterpret_cast<HWND>(lParam));
      if (b && b->state->color != kDefaultColor)
        SetTextColor(dc, static_cast<COLORREF>(b->state->color));
      else
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_PRINTCLIENT: {
      // Themed frames ask the page to draw its background behind them.
      RECT client;
      GetClientRect(hwnd(), &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 0;
    }
    default:
      break;
  }
  return window_.Default(msg, wParam, lParam);
}

}  // namespace pages
