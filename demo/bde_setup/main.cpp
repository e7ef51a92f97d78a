// Stands in for the BDE installer on the demo medium: the additional software page starts it.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"Здесь на носителе поставщика запускается установка BDE.",
              L"Демонстрационный носитель", MB_OK | MB_ICONINFORMATION);
  return 0;
}
