#include "ui/UiScript.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "base/CodePage.h"
#include "base/Files.h"
#include "base/NumberText.h"
#include "base/Strings.h"
#include "gfx/Png.h"
#include "ui/Backend.h"
#include "ui/Forms.h"

namespace menvaro {

namespace {

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
    throw EUiScriptError(file + ":" + std::to_string(line) + ": " + what);
}

struct Arity {
    int min;
    int max;
};

const std::map<std::string, Arity>& Verbs() {
    static const std::map<std::string, Arity> verbs{
        {"click", {1, 1}}, {"dblclick", {1, 1}}, {"type", {1, 2}},       {"press", {1, 1}},
        {"wait", {1, 1}},  {"expect", {3, 3}},   {"screenshot", {2, 2}}, {"close", {1, 1}},
    };
    return verbs;
}

}  // namespace

TUiScript ParseUiScript(const std::string& text, const std::string& fileName) {
    TUiScript script;
    script.fileName = fileName;
    if (!IsValidUtf8(text)) Fail(fileName, 1, "the script is not valid UTF-8");
    std::vector<std::string> lines = SplitString(text, '\n');
    for (std::size_t n = 0; n < lines.size(); ++n) {
        int lineNo = static_cast<int>(n) + 1;
        std::string line = lines[n];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        TUiScriptCommand cmd;
        cmd.line = lineNo;
        std::size_t i = 0;
        std::vector<std::string> words;
        std::vector<bool> quoted;
        while (i < line.size()) {
            char ch = line[i];
            if (ch == ' ' || ch == '\t') {
                ++i;
                continue;
            }
            if (ch == '#') break;
            if (ch == '"') {
                std::string s;
                ++i;
                bool closed = false;
                while (i < line.size()) {
                    char c = line[i++];
                    if (c == '"') {
                        closed = true;
                        break;
                    }
                    if (c == '\\' && i < line.size()) {
                        char e = line[i++];
                        if (e == 'n')
                            s.push_back('\n');
                        else if (e == 't')
                            s.push_back('\t');
                        else if (e == '"' || e == '\\')
                            s.push_back(e);
                        else
                            Fail(fileName, lineNo, std::string("unknown escape \\") + e);
                        continue;
                    }
                    s.push_back(c);
                }
                if (!closed) Fail(fileName, lineNo, "a string without its closing quote");
                words.push_back(s);
                quoted.push_back(true);
                continue;
            }
            std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '"') ++i;
            words.push_back(line.substr(start, i - start));
            quoted.push_back(false);
        }
        if (words.empty()) continue;
        if (quoted[0]) Fail(fileName, lineNo, "a command must begin with a word");
        cmd.verb = LowerCase(words[0]);
        auto it = Verbs().find(cmd.verb);
        if (it == Verbs().end()) Fail(fileName, lineNo, "unknown command '" + words[0] + "'");
        cmd.args.assign(words.begin() + 1, words.end());
        cmd.quoted.assign(quoted.begin() + 1, quoted.end());
        int n2 = static_cast<int>(cmd.args.size());
        if (n2 < it->second.min || n2 > it->second.max)
            Fail(fileName, lineNo, "'" + cmd.verb + "' takes " + std::to_string(it->second.min) +
                                       (it->second.min == it->second.max ? "" : " or " + std::to_string(it->second.max)) +
                                       " argument" + (it->second.max == 1 ? "" : "s"));
        if (cmd.verb == "wait" && cmd.args[0] != "idle") {
            int ms = 0;
            if (!TryStrToInt(cmd.args[0], ms) || ms < 0) Fail(fileName, lineNo, "wait takes 'idle' or milliseconds");
        }
        if (cmd.verb == "expect") {
            std::string what = LowerCase(cmd.args[1]);
            if (what != "text" && what != "enabled" && what != "visible")
                Fail(fileName, lineNo, "expect checks text, enabled or visible, not '" + cmd.args[1] + "'");
            if (what != "text" && cmd.args[2] != "true" && cmd.args[2] != "false")
                Fail(fileName, lineNo, "expect " + what + " takes true or false");
        }
        if (cmd.verb == "type" && !cmd.quoted.back()) Fail(fileName, lineNo, "type takes the text as a \"string\"");
        if (cmd.verb == "screenshot" && !cmd.quoted[1])
            Fail(fileName, lineNo, "screenshot takes the file name as a \"string\"");
        script.commands.push_back(std::move(cmd));
    }
    return script;
}

TComponent* FindScriptComponent(const std::string& name) {
    if (!Screen) return nullptr;
    auto formNamed = [](std::string_view n) -> TCustomForm* {
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* f = Screen->Forms(i);
            if (SameText(f->Name(), n) || SameText(f->ClassName(), n)) return f;
        }
        return nullptr;
    };
    auto dot = name.find('.');
    if (dot != std::string::npos) {
        // Form.Component, and on through what each component owns (an
        // edit's drop-down).
        TComponent* c = formNamed(name.substr(0, dot));
        for (const std::string& part : SplitString(name.substr(dot + 1), '.'))
            if (c) c = c->FindComponent(part);
        return c;
    }
    // The active form first, then the shown windows from the top down (also
    // the dialogs that are not forms), then every form.
    std::vector<TComponent*> order;
    if (Screen->ActiveForm()) order.push_back(Screen->ActiveForm());
    std::vector<HWND> tops = GetTopLevelWindows(true);
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if (TWinControl* w = FindControl(*it); w && w->Visible()) order.push_back(w);
    for (int i = 0; i < Screen->FormCount(); ++i) order.push_back(Screen->Forms(i));
    for (TComponent* f : order)
        if (TComponent* c = f->FindComponent(name)) return c;
    return formNamed(name);
}

namespace {

struct KeyName {
    const char* name;
    int vk;
};

const KeyName kKeys[] = {
    {"enter", VK_RETURN},   {"return", VK_RETURN}, {"esc", VK_ESCAPE},    {"escape", VK_ESCAPE},
    {"tab", VK_TAB},        {"space", VK_SPACE},   {"backspace", VK_BACK}, {"delete", VK_DELETE},
    {"insert", VK_INSERT},  {"home", VK_HOME},     {"end", VK_END},       {"pageup", VK_PRIOR},
    {"pagedown", VK_NEXT},  {"left", VK_LEFT},     {"right", VK_RIGHT},   {"up", VK_UP},
    {"down", VK_DOWN},
};

bool ParseKey(const std::string& spec, int& vk, TShiftState& shift) {
    std::vector<std::string> parts = SplitString(spec, '+');
    shift = {};
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        std::string m = LowerCase(parts[i]);
        if (m == "shift")
            shift += ssShift;
        else if (m == "ctrl" || m == "control")
            shift += ssCtrl;
        else if (m == "alt")
            shift += ssAlt;
        else
            return false;
    }
    std::string k = LowerCase(parts.back());
    for (const KeyName& kn : kKeys)
        if (k == kn.name) {
            vk = kn.vk;
            return true;
        }
    if (k.size() == 1 && ((k[0] >= 'a' && k[0] <= 'z') || (k[0] >= '0' && k[0] <= '9'))) {
        vk = std::toupper(static_cast<unsigned char>(k[0]));
        return true;
    }
    if (k.size() >= 2 && k[0] == 'f') {
        int n = 0;
        if (TryStrToInt(k.substr(1), n) && n >= 1 && n <= 12) {
            vk = VK_F1 + n - 1;
            return true;
        }
    }
    return false;
}

class Runner {
public:
    Runner(TApplication& app, TUiScript script, std::function<void(const std::string&)> onError,
           std::function<void()> onEnd)
        : app_(app), script_(std::move(script)), onError_(std::move(onError)), onEnd_(std::move(onEnd)) {}

    void Idle(bool& done) {
        if (finished_) return;
        if (waitUntil_) {
            if (GetTickCount() < waitUntil_) {
                EnsureWakeUp();
                return;
            }
            waitUntil_ = 0;
        }
        // Each line runs once the program has handled everything before it.
        if (!IsThreadIdle()) {
            done = false;
            return;
        }
        if (next_ >= script_.commands.size()) {
            finished_ = true;
            done = false;
            if (onEnd_) onEnd_();
            if (!app_.Terminated())
                Error(script_.fileName + ": the script ended while the program still runs");
            return;
        }
        const TUiScriptCommand& cmd = script_.commands[next_++];
        // The next line runs at the next idle moment, without waiting.
        done = false;
        try {
            Run(cmd);
        } catch (const EUiScriptError& e) {
            done = false;
            Error(e.what());
        } catch (const std::exception& e) {
            done = false;
            Error(script_.fileName + ":" + std::to_string(cmd.line) + ": " + e.what());
        }
    }

private:
    void Error(const std::string& what) {
        finished_ = true;
        onError_(what);
    }

    [[noreturn]] void Fail(const TUiScriptCommand& cmd, const std::string& what) {
        ::menvaro::Fail(script_.fileName, cmd.line, what);
    }

    TControl* ControlNamed(const TUiScriptCommand& cmd, const std::string& name) {
        TComponent* c = FindScriptComponent(name);
        if (!c) Fail(cmd, "no component named " + name);
        auto* control = dynamic_cast<TControl*>(c);
        if (!control) Fail(cmd, name + " is a " + c->ClassName() + ", not a control");
        return control;
    }

    TPoint Centre(const TUiScriptCommand& cmd, TControl* c) {
        bool shown = c->Visible();
        for (TControl* p = c->Parent(); p && shown; p = p->Parent()) shown = p->Visible();
        if (auto* w = dynamic_cast<TWinControl*>(c)) shown = shown && w->Showing();
        if (!shown) Fail(cmd, c->Name() + " is not on the screen");
        return c->ClientToScreen({c->Width() / 2, c->Height() / 2});
    }

    void EnsureWakeUp() {
        if (!wakeWindow_) wakeWindow_ = AllocateHWnd([](TMessage&) {});
        SetTimer(wakeWindow_, 1, 10);
    }

    // The form, or the top-level window of a dialog that is not one.
    static TWinControl* FormOf(TControl* c) {
        while (c && c->Parent()) c = c->Parent();
        return dynamic_cast<TWinControl*>(c);
    }

    void Run(const TUiScriptCommand& cmd) {
        const std::string& v = cmd.verb;
        if (v == "click" || v == "dblclick") {
            TPoint p = Centre(cmd, ControlNamed(cmd, cmd.args[0]));
            synthetic::Click(p);
            if (v == "dblclick") synthetic::Click(p);
        } else if (v == "type") {
            if (cmd.args.size() == 2) {
                TControl* c = ControlNamed(cmd, cmd.args[0]);
                auto* w = dynamic_cast<TWinControl*>(c);
                if (!w || !w->CanFocus()) Fail(cmd, cmd.args[0] + " cannot take the focus");
                w->SetFocus();
            }
            synthetic::TypeText(cmd.args.back());
        } else if (v == "press") {
            int vk = 0;
            TShiftState shift;
            if (!ParseKey(cmd.args[0], vk, shift)) Fail(cmd, "unknown key '" + cmd.args[0] + "'");
            synthetic::PressKey(vk, shift);
        } else if (v == "wait") {
            if (cmd.args[0] == "idle") return;
            int ms = StrToInt(cmd.args[0]);
            if (Backend().VirtualTime()) {
                synthetic::AdvanceTime(static_cast<unsigned>(ms));
            } else {
                waitUntil_ = GetTickCount() + static_cast<std::uint32_t>(ms);
                EnsureWakeUp();
            }
        } else if (v == "expect") {
            TControl* c = ControlNamed(cmd, cmd.args[0]);
            std::string what = LowerCase(cmd.args[1]);
            std::string want = cmd.args[2];
            std::string got;
            if (what == "text")
                got = c->Text();
            else if (what == "enabled")
                got = c->Enabled() ? "true" : "false";
            else
                got = (dynamic_cast<TCustomForm*>(c) ? c->Visible() : c->Visible() && FormOf(c) && FormOf(c)->Visible())
                          ? "true"
                          : "false";
            if (got != want)
                Fail(cmd, "expected " + cmd.args[0] + " " + what + " \"" + want + "\", found \"" + got + "\"");
        } else if (v == "screenshot") {
            TControl* c = ControlNamed(cmd, cmd.args[0]);
            // A drop-down is a window of its own; anything else shows in its form.
            auto* w = dynamic_cast<TWinControl*>(c);
            if (!w || !w->HandleAllocated() || GetParent(w->WindowHandle()) != 0) w = FormOf(c);
            if (!w || !w->HandleAllocated() || !w->Showing()) Fail(cmd, cmd.args[0] + " has no window on the screen");
            UpdateWindow(w->WindowHandle());
            const TBitmap* surface = GetWindowSurface(w->WindowHandle());
            if (!surface) Fail(cmd, cmd.args[0] + " has no window on the screen");
            SavePNGFile(*surface, cmd.args[1]);
        } else if (v == "close") {
            TWinControl* f = FormOf(ControlNamed(cmd, cmd.args[0]));
            if (!f || !f->HandleAllocated()) Fail(cmd, cmd.args[0] + " has no window");
            synthetic::CloseWindow(f->WindowHandle());
        }
    }

    TApplication& app_;
    TUiScript script_;
    std::function<void(const std::string&)> onError_;
    std::function<void()> onEnd_;
    std::size_t next_ = 0;
    std::uint32_t waitUntil_ = 0;
    bool finished_ = false;
    HWND wakeWindow_ = 0;
};

}  // namespace

void StartUiScript(TApplication& app, TUiScript script, std::function<void(const std::string&)> onError,
                   std::function<void()> onEnd) {
    auto runner = std::make_shared<Runner>(app, std::move(script), std::move(onError), std::move(onEnd));
    app.IdleHook = [runner](bool& done) { runner->Idle(done); };
}

void StartUiScriptFromEnvironment(TApplication& app) {
    const char* path = std::getenv("MENVARO_UI_SCRIPT");
    if (!path || !*path) return;
    auto fail = [](const std::string& what) {
        std::fprintf(stderr, "ui script: %s\n", what.c_str());
        std::fflush(stderr);
        std::_Exit(3);
    };
    try {
        TUiScript script = ParseUiScript(ReadFileBytes(path), path);
        StartUiScript(app, std::move(script), fail);
    } catch (const Exception& e) {
        fail(e.what());
    }
}

}  // namespace menvaro
