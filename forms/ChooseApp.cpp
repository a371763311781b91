#include "forms/ChooseApp.h"
const char* const TFormChooseApp::Description = "object FormChooseApp: TFormChooseApp\nend\n";
void TFormChooseApp::ShowApps() { }
