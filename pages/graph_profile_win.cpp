#include <windows.h>

#include <commctrl.h>

#include "pages/error_box_win.h"
#include "pages/graph_profile.h"
#include "pages/views_win.h"

namespace pages {

namespace {

std::wstring ItemText(HWND combo, int index) {
  LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n == CB_ERR) return L"";
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(n));
  return text;
}

// One drop-down list and what was last written into it.
struct Combo {
  ComboState* state = nullptr;
  HWND hwnd = nullptr;
  int id = 0;
  bool editable = false;
  ComboState shown;
  bool mirrored = false;
};

class GraphProfileView : public PageView<TfmGraphProfile> {
 public:
  explicit GraphProfileView(TfmGraphProfile& page) : PageView(page) {
    page_.Beep = [] { MessageBeep(MB_OK); };
  }

 protected:
  void CreateControls() override {
    BindPrior(page_.btPrior);
    BindNext(page_.btNext);
    BindCancel(page_.btCancel);
    BindGroupBox(page_.GroupBox1, design::kFrameLeft, design::kFrameTop, design::kFrameWidth,
                 design::kFrameHeight);
    BindLabel(page_.lbCurGraphEditor, 24, 32, 584, 16);
    AddCombo(editor_, page_.cbCurGraphEditor, 24, 52, false);
    BindLabel(page_.lbComment, 24, 96, 584, 32);
    BindLabel(page_.lbCurProfile, 24, 96, 584, 16);
    AddCombo(profile_, page_.cbCurProfile, 24, 116, true);
    BindLabel(page_.lbTemplateProfile, 24, 160, 584, 16);
    AddCombo(template_, page_.cbTemplateProfile, 24, 180, false);
    BindLabel(page_.lbNext, 24, 360, 584, 16);
    AddBevel();
  }

  void MirrorExtra() override { MirrorCombos(); }

  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (msg != WM_COMMAND || mirroring_) return false;
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == editor_.id && code == CBN_SELCHANGE) {
      ReadSelection(editor_);
      Guarded([this] { page_.cbCurGraphEditorChange(); });
    } else if (id == profile_.id && (code == CBN_SELCHANGE || code == CBN_EDITCHANGE)) {
      if (code == CBN_SELCHANGE) {
        ReadSelection(profile_);
      } else {
        profile_.state->control.text = WindowText(profile_.hwnd);
        profile_.state->itemIndex = -1;
        profile_.shown.control.text = profile_.state->control.text;
      }
      Guarded([this] { page_.cbCurProfileChange(); });
    } else if (id == template_.id && code == CBN_SELCHANGE) {
      ReadSelection(template_);
    } else {
      return false;
    }
    MirrorCombos();
    *result = 0;
    return true;
  }

 private:
  void AddCombo(Combo& combo, ComboState& state, int x, int y, bool editable) {
    combo.state = &state;
    combo.editable = editable;
    combo.id = NextControlId();
    DWORD style = WS_TABSTOP | WS_VSCROLL | (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
    // The height includes the dropped-down list.
    combo.hwnd = AddControl(WC_COMBOBOXW, L"", style, x, y, 584, 200, combo.id);
  }

  void ReadSelection(Combo& combo) {
    int index = static_cast<int>(SendMessageW(combo.hwnd, CB_GETCURSEL, 0, 0));
    combo.state->itemIndex = index;
    combo.state->control.text = index >= 0 ? ItemText(combo.hwnd, index) : L"";
    combo.shown.itemIndex = combo.state->itemIndex;
    combo.shown.control.text = combo.state->control.text;
  }

  void MirrorCombos() {
    mirroring_ = true;
    for (Combo* combo : {&editor_, &profile_, &template_}) Mirror(*combo);
    mirroring_ = false;
  }

  void Mirror(Combo& c) {
    const ComboState& s = *c.state;
    const bool all = !c.mirrored;
    if (all || s.items != c.shown.items) {
      SendMessageW(c.hwnd, CB_RESETCONTENT, 0, 0);
      for (const std::wstring& item : s.items)
        SendMessageW(c.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      c.shown.itemIndex = -2;  // forces the selection and text below
    }
    if (s.itemIndex != c.shown.itemIndex) SendMessageW(c.hwnd, CB_SETCURSEL, static_cast<WPARAM>(s.itemIndex), 0);
    if (c.editable && WindowText(c.hwnd) != s.control.text) {
      SetWindowTextW(c.hwnd, s.control.text.c_str());
      // The caret goes to the end, where the user was typing.
      int end = static_cast<int>(s.control.text.size());
      SendMessageW(c.hwnd, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
    }
    if (all || s.control.enabled != c.shown.control.enabled) EnableWindow(c.hwnd, s.control.enabled);
    if (all || s.control.visible != c.shown.control.visible)
      ShowWindow(c.hwnd, s.control.visible ? SW_SHOWNA : SW_HIDE);
    c.shown = s;
    c.mirrored = true;
  }

  Combo editor_;
  Combo profile_;
  Combo template_;
  bool mirroring_ = false;
};

}  // namespace

std::unique_ptr<PageWindow> CreateView(TfmGraphProfile& page) {
  return std::make_unique<GraphProfileView>(page);
}

}  // namespace pages
