#pragma once
// The behaviour every page shares, over plain state: the caption with the product name, the
// modal results of the buttons and their mapping to the page chain's answer, the cancel question
// before a page closes, and the hooks a page's own rules fill in (show, once-per-showing
// activation, timers). The Win32 view (page_win.h) mirrors the state into real controls and
// forwards the user's events here; see pages/README.md.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pages {

// Modal results the pages' buttons carry.
constexpr int mrNone = 0;
constexpr int mrNext = 1;    // "Далее >" (on the finish page "Готово")
constexpr int mrCancel = 2;  // "Отмена", and every other way of closing a page
constexpr int mrBack = 6;    // "< Назад"

// The answer of one page to the chain.
enum PageResult { prNext = 0, prBack = 1, prCancel = 2 };

// 2 -> cancel, 6 -> back, anything else -> next.
PageResult PageResultOf(int modalResult);
// The copy page closes itself with 2 when it is done: only 6 means back, everything else next.
PageResult CopyPageResultOf(int modalResult);

// The design size of a page's client area and the size every page is given when shown.
constexpr int kDesignClientWidth = 632;
constexpr int kDesignClientHeight = 452;
constexpr int kPageWidth = 640;
constexpr int kPageHeight = 480;

struct Point { int left; int top; };
// left = (screen width - 640) / 2, top = (screen height - 480) / 2, truncating toward zero.
Point CentredPageOrigin(int screenWidth, int screenHeight);
// The same for a window of any size (the folder chooser).
Point CentredOrigin(int screenWidth, int screenHeight, int width, int height);

// Colour of a control's text as 0x00BBGGRR; kDefaultColor leaves the system's.
constexpr uint32_t kDefaultColor = 0xFFFFFFFFu;
constexpr uint32_t kRed = 0x000000FFu;
constexpr uint32_t kMaroon = 0x00000080u;

// What a view shows of one control. The behaviour writes it; the view mirrors it after every
// event, and writes back what the user changed (an edit's text, a radio button's check).
struct ControlState {
  std::wstring text;
  bool visible = true;
  bool enabled = true;
  bool checked = false;          // radio buttons and check boxes
  bool bold = false;             // added to the control's font
  uint32_t color = kDefaultColor;
  int min = 0, max = 100, position = 0;  // progress bars
};

// Automatic radio buttons check themselves when they get the keyboard (Windows does so; Wine
// does not): in a group of them the keyboard may rest on the checked one only, and Tab enters the
// group there. The index in `group` of that member, or -1 when none may have the keyboard (none
// is checked, or the checked one is hidden or turned off): the keyboard then passes the group by.
int RadioGroupStop(const std::vector<const ControlState*>& group);

// A drop-down list: its items, the selected one and the text it shows (for an editable list the
// text of its edit field, which the user may type freely).
struct ComboState {
  ControlState control;
  std::vector<std::wstring> items;
  int itemIndex = -1;  // -1 for none

  // New items, nothing selected, no text.
  void Fill(const std::vector<std::wstring>& newItems);
  // Selects item `index` and shows its text; nothing (and no text) when out of range.
  void Select(int index);
};

// A list with a check box per item.
struct CheckListState {
  struct Item {
    std::wstring text;
    bool checked = false;
  };
  std::vector<Item> items;
  int itemIndex = -1;  // the current item; -1 for none
};

// An opaque window handle (HWND on Windows) for the owners of message boxes.
using WindowRef = void*;

// What the behaviour asks of the window that shows it.
class PageHost {
 public:
  virtual ~PageHost() = default;
  // The page's own window: the owner of the message boxes it asks.
  virtual WindowRef Handle() const = 0;
  // Mirrors the state into the controls and lets pending window messages run, so the windows
  // stay painted during a long pass on this thread.
  virtual void ProcessMessages() = 0;
  // A timer of the page: Page::Timer(id) every `ms` until stopped.
  virtual void StartTimer(int id, unsigned ms) = 0;
  virtual void StopTimer(int id) = 0;
  // The question asked before the page is cancelled ("Прекратить установку программы?"), with
  // the page's window as owner; true for Yes.
  virtual bool QueryCancel() = 0;
};

// How a host asks the cancel question: the application asks the model's QueryCancel.
using CancelQuestion = std::function<bool(WindowRef owner)>;

class Page {
 public:
  explicit Page(std::wstring designCaption);
  virtual ~Page() = default;
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  // The design caption as the page was drawn ("Размещение "), and the caption it shows.
  const std::wstring& DesignCaption() const { return designCaption_; }
  const std::wstring& Caption() const { return caption_; }

  // Once, at start, after the setup description was read: caption := design caption +
  // product name. Pages that need more call this first.
  virtual void FormCreate(const std::wstring& nameApplication);
  // Every showing, before the page becomes visible.
  virtual void FormShow() {}
  // Once per showing, right after the page became visible (never on re-activation by a
  // message box or Alt-Tab).
  virtual void FormActivate() {}
  // Asked before the page closes with `modalResult`; false keeps the page open as it was.
  // The default asks the cancel question for 2 and lets every other result through.
  virtual bool FormClose(int modalResult);
  // A timer the page started through its host.
  virtual void Timer(int id) {}

  // The control that has the keyboard when the page appears, where the page is there to be
  // answered with one of its bound controls; nullptr leaves it to the view (the default button,
  // or a list or field of its own).
  virtual const ControlState* InitialFocus() const { return nullptr; }

  // True while a pass runs: closing by Esc, Alt+F4 or the system menu is ignored then.
  bool Busy() const { return busy_; }

  // The page asks to close itself (the copy page when it is done). The host closes it after
  // the current event, through FormClose like any other close.
  void RequestClose(int modalResult) { pendingClose_ = modalResult; }
  // The host takes a pending request (mrNone when there is none).
  int TakeCloseRequest() {
    int r = pendingClose_;
    pendingClose_ = mrNone;
    return r;
  }

  void AttachHost(PageHost* host) { host_ = host; }
  PageHost* Host() const { return host_; }

 protected:
  void SetBusy(bool busy) { busy_ = busy; }
  // The host's cancel question; without a host nobody can be asked and cancelling goes on.
  bool QueryCancel() const;
  // Lets pending window messages run (no-op without a host).
  void ProcessMessages() const;

 private:
  std::wstring designCaption_;
  std::wstring caption_;
  bool busy_ = false;
  int pendingClose_ = mrNone;
  PageHost* host_ = nullptr;
};

}  // namespace pages
