#include "pages/license.h"

#include <utility>
#include <vector>

#include "setup/setup.h"
#include "util/codepage.h"
#include "platform/file_io.h"
#include "util/strings.h"

namespace pages {

namespace {
// How far a file is looked at for the NUL bytes that no text holds.
constexpr size_t kSniffedBytes = 64u << 10;
}  // namespace

AgreementText AgreementFromBytes(std::string bytes) {
  AgreementText agreement;
  if (bytes.compare(0, 5, "{\\rtf") == 0) {
    agreement.rich = true;
    agreement.rtf = std::move(bytes);
  } else if (bytes.find('\0') >= kSniffedBytes) {
    agreement.text = util::FromCp1251(bytes);
  }
  return agreement;
}

// The caption begins with a Latin "C"; the rest is Cyrillic.
TfmLicense::TfmLicense(setup::TSetup& model)
    : Page(L"Cоглашение об использовании "), model_(model) {
  rbNot.checked = true;
  btNext.enabled = false;
}

void TfmLicense::FormShow() {
  // A missing or unreadable agreement leaves the viewer empty; the user may still go on.
  std::string bytes;
  platform::ReadResult read =
      platform::ReadWholeFile(model_.Files(), model_.FLicenseFile, kMaxAgreementBytes, &bytes);
  RichEdit1 = read == platform::ReadResult::Ok ? AgreementFromBytes(std::move(bytes))
                                           : AgreementText{};
  // An agreement too large to show cannot be read, so it cannot be accepted either.
  rbYes.enabled = true;
  if (read == platform::ReadResult::TooLarge) {
    RichEdit1.text =
        util::FormatText(L"Файл соглашения %s больше " + std::to_wstring(kMaxAgreementBytes >> 20) +
                             L" МБ: показать его нельзя, поэтому принять соглашение невозможно.",
                         model_.FLicenseFile);
    Unacceptable();
  }
  btNext.enabled = rbYes.checked;
}

const ControlState* TfmLicense::InitialFocus() const {
  const std::vector<const ControlState*> answers = {&rbYes, &rbNot};
  const int stop = RadioGroupStop(answers);
  return stop < 0 ? nullptr : answers[stop];
}

std::wstring TfmLicense::RichEdit1Full() {
  Unacceptable();
  return L"Дальше соглашение не помещается в памяти компьютера: показать его целиком нельзя, "
         L"поэтому принять соглашение невозможно.";
}

void TfmLicense::Unacceptable() {
  rbYes.checked = false;
  rbYes.enabled = false;
  rbNot.checked = true;
  btNext.enabled = false;
}

void TfmLicense::rbYesClick() {
  btNext.enabled = rbYes.checked;
  rbNot.checked = !rbYes.checked;
}

void TfmLicense::rbNotClick() {
  rbYes.checked = !rbNot.checked;
  btNext.enabled = rbYes.checked;
}

}  // namespace pages
