// The thread-creation entry: pthread_create is defined in the program and
// forwards to the system's. Before forwarding it calls the function in
// ThreadCreateSlot, when one is set, which may start the thread through a
// wrapper of its own (it is handed the system's pthread_create for that).
// std::thread's own start routine is told apart from others, so that a
// wrapper can run the thread's state itself.
#pragma once

#include <pthread.h>

#include <atomic>

namespace menvaro {

using TThreadStart = void* (*)(void*);
using TRealThreadCreate = int (*)(pthread_t*, const pthread_attr_t*, TThreadStart, void*);
using TThreadCreateHook = int (*)(pthread_t*, const pthread_attr_t*, TThreadStart, void*, TRealThreadCreate real);
extern std::atomic<TThreadCreateHook> ThreadCreateSlot;

// The system's pthread_create.
TRealThreadCreate RealThreadCreate();

// The start routine that std::thread hands to pthread_create, found once by
// starting a thread that does nothing (call it before any hook is set);
// nullptr when it could not be found.
TThreadStart StdThreadStartRoutine();
// What that routine does with its argument: runs the thread's state and
// frees it, letting whatever the state's function raises out. Only for
// an argument that was handed to StdThreadStartRoutine().
void RunStdThreadState(void* state);

}  // namespace menvaro
