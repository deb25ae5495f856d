// Doziviz: the program entry. Application titled "Doziviz"; the main window first (so it is the
// main window), then the data module; the message loop; at its end the application frees the
// data module (whose destroy event saves the table) and the windows.
#include <windows.h>

#include "app/dMain.h"
#include "app/fMain.h"
#include "framework/application.h"

using namespace framework;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Application->Initialize();
  Application->Title = "Doziviz";
  Application->SetIcon(LoadIconA(instance, "MAINICON"));
  Application->CreateForm(frmMain);
  Application->CreateForm(dModule);
  frmMain->BindDataSource(&dModule->cdsDataSource());
  Application->Run();
  return 0;
}
