// Loads the DLL named on its command line by bare name, as a program that does not restrict its
// DLL search would: the planting test's proof that Wine takes a planted DLL at all.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR args, int show) {
  (void)instance; (void)previous; (void)show;
  LoadLibraryW(args);
  return 0;
}
