// A program built like Pelgrane that carries the logger from its start-up,
// with the report shown: its button raises an exception nobody handles, so
// the exception dialog and the request dialog come from the report thread.
// A UI script (MENVARO_UI_SCRIPT) drives it; its log goes to HOOK_LOG_DIR.
// With the argument "hidden" the report is not shown (only the request
// dialog asks).
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "EConsts.h"
#include "ExceptionLog.h"
#include "HookFunctions.h"
#include "classes/ClassBuilder.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"

using namespace menvaro;

namespace menvaro {

class TMainForm : public TForm {
    MENVARO_CLASS(TMainForm, TForm)
public:
    explicit TMainForm(TComponent* owner) : TForm(owner) { SetCreateNew(); }
};

MENVARO_CLASS_INFO(TMainForm) {}

}  // namespace menvaro

int main(int argc, char** argv) {
    if (!LoggerActivated()) {
        std::puts("not activated");
        return 3;
    }
    TOstrelModuleOptions& options = *OstrelModulesList()->FindModuleInfo(LoggerModuleHandle())->Options;
    if (const char* dir = std::getenv("HOOK_LOG_DIR")) options.SetLogPath(dir);
    options.SetShowReport(!(argc > 1 && std::string_view(argv[1]) == "hidden"));
    options.SetSaveLog(true);
    options.SetSendMode(0);
    options.SetDialogFlags(options.DialogFlags() | kDialogAskReproduceSteps);
    Application->Initialize();
    TMainForm* main = nullptr;
    Application->CreateForm(main);
    main->SetName("Main");
    main->SetCaption("Pelgrane");
    main->SetClientSize(240, 80);
    auto* boom = Create<TButton>(main);
    boom->SetName("Boom");
    boom->SetParent(main);
    boom->SetBounds(70, 24, 100, 25);
    boom->SetCaption("Build");
    boom->OnClick = [](TObject*) { hookfn::ThrowConvertError(9); };
    Application->Run();
    return Application->ExitCode;
}
