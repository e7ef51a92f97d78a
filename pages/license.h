#pragma once
// The agreement page: shows the terms of use; next only while "Принимаю" is chosen. The page
// lives for the whole run, so a choice once made is still there when the user comes back.
#include <string>

#include "pages/page.h"
#include "setup/setup_description.h"

namespace setup { class TSetup; }

namespace pages {

// What the agreement viewer shows. A file that begins with "{\rtf" is handed to the viewer as
// rich text, as it is; a file with a NUL byte in its first 64 KiB is no text at all (an
// executable, a picture) and shows nothing; anything else is shown as plain Windows-1251 text.
struct AgreementText {
  bool rich = false;
  std::string rtf;     // the file's bytes, when rich
  std::wstring text;   // the file's text, when plain
};

AgreementText AgreementFromBytes(std::string bytes);

// The largest agreement the page shows (kept with the model, where the medium checker finds it).
using setup::kMaxAgreementBytes;

class TfmLicense : public Page {
 public:
  explicit TfmLicense(setup::TSetup& model);

  AgreementText RichEdit1;  // reloaded on every showing; empty when the file cannot be read
  ControlState Label1{L"Принимаете ли Вы соглашение?"};
  ControlState rbYes{L"Принимаю"};
  ControlState rbNot{L"Не принимаю"};
  ControlState btNext{L"Далее >"};
  ControlState btCancel{L"Отмена"};

  void FormShow() override;
  // The page is there to be answered: the keyboard starts on the answer chosen, "Не принимаю"
  // until the user accepts.
  const ControlState* InitialFocus() const override;
  // The radio buttons' state holds the user's click when these run.
  void rbYesClick();
  void rbNotClick();
  // The viewer has no room for the rest of a long agreement: what cannot be read cannot be
  // accepted either. Returns the line the viewer ends with instead.
  std::wstring RichEdit1Full();

 private:
  // "Не принимаю", and no way to choose otherwise.
  void Unacceptable();

  setup::TSetup& model_;
};

}  // namespace pages
