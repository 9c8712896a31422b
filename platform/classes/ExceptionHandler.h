// Where an exception raised inside an event handler goes when the code that
// called the handler must carry on (a message handler, OnCreate): the
// application installs its HandleException here; without one the exception
// propagates.
#pragma once

#include <functional>

#include "classes/Events.h"

namespace menvaro {

class TObject;

// Called inside a catch block; std::current_exception() is the exception.
using TExceptionHandler = std::function<void(TObject* sender)>;
void SetExceptionHandler(TExceptionHandler handler);
bool HasExceptionHandler();
// Inside a catch block: hands the current exception to the handler, or
// rethrows it when there is none.
void HandleCurrentException(TObject* sender);
// Calls `event` (when assigned) for `sender`; what it raises goes to
// HandleCurrentException, so that the caller carries on.
void CallEventHandled(const TNotifyEvent& event, TObject* sender);

}  // namespace menvaro
