#pragma once
// One installation or removal of the product at a time on a computer (platform::System's
// installation lock): what a second one says before it ends, and its exit code, the one
// deployment tools know as "another installation is in progress, try again later".
namespace setup {

constexpr int kAnotherInstallationExitCode = 1618;
constexpr wchar_t kAnotherInstallationText[] =
    L"Сейчас уже идёт установка или удаление программы. Дождитесь её окончания и запустите "
    L"программу снова.";

}  // namespace setup
