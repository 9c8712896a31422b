// A small program on the test form, as the tools start: for the tests of the
// backend choice and of UI scripts given by MENVARO_UI_SCRIPT.
#include "testsupport/TestControls.h"

using namespace menvaro;

TTestForm* ProbeForm = nullptr;

int main() {
    Application->Initialize();
    Application->SetTitle("探针");
    Application->CreateForm(ProbeForm);
    Application->Run();
    return Application->ExitCode;
}
