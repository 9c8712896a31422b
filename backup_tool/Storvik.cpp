// Storvik, the database backup tool: backs the product database up into
// dated files, deletes the older ones and restores a chosen backup.
#include <exception>

#include "untDataTools.h"
#include "untRegistry.h"

using namespace menvaro;
using namespace storvik;

int main() {
    Application->Initialize();
    Application->SetTitle("Menvaro数据库备份工具");
    // The settings are opened here rather than before the program starts, so
    // that a damaged file is shown with its name and line and the program
    // ends with an error status before any window of its own exists.
    try {
        OpenRegIni();
    } catch (const std::exception& e) {
        Application->MessageBox(e.what(), "错误", MB_ICONERROR | MB_OK);
        return 1;
    }
    // The window's creation handler does the whole start-up.
    Application->CreateForm(frmDataTools);
    Application->Run();
    // Finalisation: the server objects, then the settings.
    FinalizeProgram();
    return Application->ExitCode;
}
