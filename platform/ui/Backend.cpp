// The backend choice: the one place that reads MENVARO_UI.
#include <cstdlib>

#include "ui/Backend.h"

namespace menvaro {

std::string BackendChoice() {
    const char* choice = std::getenv("MENVARO_UI");
    return choice ? choice : "";
}

std::unique_ptr<TBackend> CreateBackendFromEnvironment(std::string& error) {
    const std::string ui = BackendChoice();
    if (ui == "headless") return CreateHeadlessBackend();
    if (ui == "sdl" || ui.empty()) {
        if (ui.empty()) {
            const char* display = std::getenv("DISPLAY");
            const char* wayland = std::getenv("WAYLAND_DISPLAY");
            if ((!display || !*display) && (!wayland || !*wayland)) {
                error =
                    "menvaro: no display to open windows on. Set DISPLAY (or WAYLAND_DISPLAY) for a desktop, "
                    "or MENVARO_UI=headless to run without one.";
                return nullptr;
            }
        }
        try {
            return CreateSdlBackend();
        } catch (const Exception& e) {
            error = std::string("menvaro: the sdl backend cannot start: ") + e.what();
            return nullptr;
        }
    }
    error = "menvaro: MENVARO_UI=" + ui + " names no backend (headless or sdl)";
    return nullptr;
}

}  // namespace menvaro
