// UI scripts: a small line-based language of user actions, run by the
// application whenever it is idle (also inside modal loops), so that a
// script can drive a program end to end. MENVARO_UI_SCRIPT=FILE starts one
// with Application->Initialize; the language is described in the README.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Exceptions.h"

namespace menvaro {

class TApplication;
class TComponent;

MENVARO_EXCEPTION(EUiScriptError, Exception)

struct TUiScriptCommand {
    int line = 0;
    std::string verb;               // click, dblclick, type, press, wait, expect, screenshot, close
    std::vector<std::string> args;  // names, words, and strings without their quotes
    std::vector<bool> quoted;       // which args were strings
};

struct TUiScript {
    std::string fileName;
    std::vector<TUiScriptCommand> commands;
};

// Raises EUiScriptError "<file>:<line>: <what>" for a line it cannot read.
TUiScript ParseUiScript(const std::string& text, const std::string& fileName);

// Runs the script from the application's idle time. `onError` gets the
// message of a failed line ("<file>:<line>: <what>"); `onEnd` runs when the
// script is done. A script that ends while the program still runs is an
// error (nobody would close it).
void StartUiScript(TApplication& app, TUiScript script, std::function<void(const std::string&)> onError,
                   std::function<void()> onEnd = nullptr);

// The component a script name stands for: "Form.Component", a component of
// the active form or of another shown form, or a form by name or class.
// nullptr when there is none.
TComponent* FindScriptComponent(const std::string& name);

}  // namespace menvaro
