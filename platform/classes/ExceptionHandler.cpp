#include "classes/ExceptionHandler.h"

#include <mutex>

namespace menvaro {

namespace {

struct State {
    std::mutex lock;
    TExceptionHandler handler;
};

State& TheState() {
    static auto* s = new State;  // outlives every static
    return *s;
}

}  // namespace

void SetExceptionHandler(TExceptionHandler handler) {
    std::lock_guard<std::mutex> g(TheState().lock);
    TheState().handler = std::move(handler);
}

bool HasExceptionHandler() {
    std::lock_guard<std::mutex> g(TheState().lock);
    return static_cast<bool>(TheState().handler);
}

void HandleCurrentException(TObject* sender) {
    TExceptionHandler h;
    {
        std::lock_guard<std::mutex> g(TheState().lock);
        h = TheState().handler;
    }
    if (!h) throw;
    h(sender);
}

void CallEventHandled(const TNotifyEvent& event, TObject* sender) {
    if (!event) return;
    try {
        event(sender);
    } catch (...) {
        HandleCurrentException(sender);
    }
}

}  // namespace menvaro
