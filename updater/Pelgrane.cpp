// Pelgrane, the handheld data updater: builds the XML data files of the
// waiters' handhelds from the product database and copies them onto a
// connected handheld.
#include <csignal>

#include "base/Heap.h"
#include "uDM.h"
#include "uUpdatePda.h"

using namespace menvaro;
using namespace pelgrane;

int main() {
    // Past a file-size limit a write fails with its error and the build
    // reports it, instead of the program being ended half way through a file.
    std::signal(SIGXFSZ, SIG_IGN);
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
