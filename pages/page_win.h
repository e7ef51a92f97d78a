#pragma once
// The Win32 host of a page: one window per page, created once at start and shown modally many
// times with our own modal loop over the disabled owner (the background window). It mirrors the
// page's ControlState into real controls and forwards the user's events to the behaviour; every
// event runs inside the general error box's boundary. See pages/README.md.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/layout_win.h"
#include "pages/list_bindings_win.h"
#include "pages/page.h"
#include "platform/win32/scoped_win.h"
#include "winui/window_win.h"

namespace pages {

// Where the standard controls of a page sit in its 632 x 452 design client area.
namespace design {
constexpr int kFrameLeft = 8, kFrameTop = 8, kFrameWidth = 616, kFrameHeight = 392;
constexpr int kBevelTop = 408;
constexpr int kButtonTop = 418, kButtonWidth = 75, kButtonHeight = 25;
constexpr int kCancelLeft = 544;  // right-most button
constexpr int kNextLeft = 456;    // left of "Отмена"
constexpr int kPriorLeft = 381;   // straight left of "Далее >"
}  // namespace design

class ViewerKeys;

class PageWindow : public PageHost, private winui::MessageHandler {
 public:
  explicit PageWindow(Page& page);
  ~PageWindow() override;
  PageWindow(const PageWindow&) = delete;
  PageWindow& operator=(const PageWindow&) = delete;

  // Creates the hidden window and its controls, once, after the page's FormCreate.
  void Create(HWND owner);
  // Shows the page modally over its disabled owner until it closes; returns the modal result.
  int ShowModal();

  HWND hwnd() const { return window_.Get(); }
  Page& page() const { return page_; }
  // The window's size when shown: the pages' 640 x 480 at the window's dpi; a dialog of other
  // size says its own.
  virtual SIZE WindowSize() const { return SIZE{Scale(kPageWidth), Scale(kPageHeight)}; }
  // The dpi the window is laid out at, and a length of the 96-dpi design at it.
  int Dpi() const { return dpi_; }
  int Scale(int designPixels) const;

  // PageHost
  WindowRef Handle() const override { return window_.Get(); }
  void ProcessMessages() override;
  void StartTimer(int id, unsigned ms) override;
  void StopTimer(int id) override;
  bool QueryCancel() override;

  // The cancel question this page asks (without one, cancelling goes on unasked).
  void SetCancelQuestion(CancelQuestion question) { cancelQuestion_ = std::move(question); }

  // Writes every bound ControlState that changed into its control.
  void Refresh();

 protected:
  // The view lays out its controls here, through the binders below.
  virtual void CreateControls() = 0;
  // Whether the separator line above the bottom row of buttons is drawn, after the view's
  // controls (every page has it; the folder chooser has none).
  virtual bool HasSeparator() const { return true; }
  // Messages the view handles itself (owner-drawn lists, mouse moves); true when handled.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return false;
  }
  // After ShowModal's FormShow and before the page becomes visible (list contents and the
  // like that ControlState does not carry).
  virtual void MirrorExtra() {}
  // After the controls were placed again for a new dpi (their places and fonts are done).
  virtual void DpiChanged() {}
  // The control that has the keyboard when the page appears: the one the page names, else the
  // default button, unless the view is there to have something typed or chosen.
  virtual HWND InitialFocus() const;

  using Handler = std::function<void()>;
  // A push button. `modalResult` (mrNone for none) closes the page after `onClick` ran, through
  // FormClose; `isDefault` makes it the button Enter presses while it is visible and enabled.
  HWND BindButton(ControlState& state, int x, int y, int w, int h, int modalResult,
                  Handler onClick = {}, bool isDefault = false);
  // A button of the bottom row, `left` from the page's left edge (design::k...Left).
  HWND BindRowButton(ControlState& state, int left, int modalResult, Handler onClick = {},
                     bool isDefault = false);
  // One of the standard bottom-row buttons at its design place.
  HWND BindPrior(ControlState& state, Handler onClick = {});
  HWND BindNext(ControlState& state, Handler onClick = {}, bool isDefault = true);
  HWND BindCancel(ControlState& state, Handler onClick = {});
  HWND BindLabel(ControlState& state, int x, int y, int w, int h, DWORD style = 0);
  // `onChange` runs when the user edits the text (state.text is updated first), not when the
  // behaviour's own text is mirrored in.
  HWND BindEdit(ControlState& state, int x, int y, int w, int h, Handler onChange = {},
                DWORD style = 0);
  // Radio buttons: `firstOfGroup` starts a new group. state.checked follows the user's clicks.
  // Tab reaches a group at its checked button only, and the keyboard never rests on an unchecked
  // one (RadioGroupStop): Windows would check it.
  HWND BindRadio(ControlState& state, int x, int y, int w, int h, bool firstOfGroup,
                 Handler onClick = {});
  HWND BindCheckBox(ControlState& state, int x, int y, int w, int h, Handler onClick = {});
  HWND BindProgress(ControlState& state, int x, int y, int w, int h);
  // A read-only text of several lines with a scroll bar (a description, a comment).
  HWND BindMemo(ControlState& state, int x, int y, int w, int h);
  // A read-only viewer lets Tab, Shift+Tab and Esc through to the page and keeps Enter, which
  // there starts nothing.
  void LetKeysPass(HWND viewer);
  HWND BindGroupBox(ControlState& state, int x, int y, int w, int h);
  // A drop-down list; `h` includes the dropped-down list. `onChange` runs when the user picks
  // an item or, `editable`, types into its field.
  HWND BindCombo(ComboState& state, int x, int y, int w, int h, bool editable,
                 Handler onChange = {});
  // A list with a check box per item, filled before each showing: `onClick` runs when the
  // current item changes, `onClickCheck` when a box is toggled.
  HWND BindCheckList(CheckListState& state, int x, int y, int w, int h, Handler onClick,
                     Handler onClickCheck);
  // The frame most pages have.
  HWND AddFrame(const wchar_t* text = L"");
  // Any other control: placed by design coordinates, not mirrored.
  HWND AddControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, int x, int y,
                  int w, int h, int id = 0, DWORD exStyle = 0);
  // Places a control made otherwise (a control of ours) by design coordinates, and again
  // whenever the dpi changes.
  void Place(HWND control, int x, int y, int w, int h);
  // A fresh control id for AddControl.
  int NextControlId() { return nextId_++; }

 private:
  enum class Kind { Button, Label, Edit, Radio, CheckBox, Progress, GroupBox };
  struct Binding {
    ControlState* state;
    HWND hwnd;
    int id;
    Kind kind;
    int modalResult;
    bool isDefault;
    Handler handler;
    ControlState shown;
    bool mirrored;
  };

  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  HWND Bind(ControlState& state, Kind kind, const wchar_t* cls, DWORD style, int x, int y, int w,
            int h, int modalResult, bool isDefault, Handler handler);
  Binding* Find(int id);
  Binding* Find(HWND control);
  const Binding* Find(HWND control) const;
  // Where the keyboard may rest: a visible, enabled control of the page that is no unchecked
  // radio button.
  bool FocusMayRest(HWND control) const;
  // Gives each radio group's tab stop to its checked button (none when none may have it).
  void MoveRadioStops();
  ListBinding* FindList(HWND control);
  ListBinding* FindList(int id);
  void OnCommand(int id, int code, HWND control);
  void ReadChecks();
  HWND AddBevel();
  void Mirror(Binding& b);
  // Tries to close the page with `modalResult`: FormClose decides.
  void TryClose(int modalResult);
  void TryUserClose();
  // After every event: mirror the state, then honour a close the page asked for.
  void AfterEvent();
  int DefaultButtonId() const;
  void PlaceCentred();
  // Lays every control out again for `dpi`: places, then fonts.
  void ApplyDpi(int dpi);
  // The keyboard goes to InitialFocus, or to the first control Tab reaches when that is off.
  void FocusInitial();
  // After a change of the controls: a focus left on nothing (its control turned off, as the
  // archive test does to the buttons) goes back to where a page starts.
  void KeepFocusUsable();

  Page& page_;
  HWND owner_ = nullptr;
  std::vector<std::unique_ptr<Binding>> bindings_;
  std::vector<std::unique_ptr<ListBinding>> lists_;
  std::vector<std::vector<Binding*>> radioGroups_;
  bool lastWasRadio_ = false;  // the control made last was a radio button
  int nextId_ = 100;
  bool modal_ = false;
  bool closing_ = false;
  int modalResult_ = mrNone;
  unsigned showing_ = 0;
  bool activated_ = false;
  bool mirroring_ = false;
  CancelQuestion cancelQuestion_;
  HWND lastFocus_ = nullptr;  // where the keyboard was when another window took it
  int dpi_ = 96;
  struct Placed {
    HWND control;
    RECT design;
  };
  std::vector<Placed> placed_;  // every control, by its design place
  // Moves and sizes the control to its design place at the window's dpi, in the plain font.
  void PutInPlace(const Placed& placed);
  std::vector<std::unique_ptr<ViewerKeys>> viewerKeys_;
  // Last: the window ends before the bindings of its controls.
  winui::BoundWindow window_{*this};
};

}  // namespace pages
