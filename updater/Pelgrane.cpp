// Pelgrane, the handheld data updater: builds the XML data files of the
// waiters' handhelds from the product database and copies them onto a
// connected handheld.
#include "base/Heap.h"
#include "uDM.h"
#include "uUpdatePda.h"

using namespace menvaro;
using namespace pelgrane;

int main() {
    // The exporters build and free large documents one after the other.
    KeepFreedHeapMemory();
    Application->Initialize();
    Application->SetTitle("MenvaroPDA资料更新工具");
    // The window's creation handler reads the settings before the data module exists.
    Application->CreateForm(UpdateForm);
    Application->CreateForm(DM);
    Application->Run();
    return Application->ExitCode;
}
