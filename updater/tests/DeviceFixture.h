// Reaches the test device that the updater's rapi module loaded.
#pragma once

#include <dlfcn.h>

#include <stdexcept>

#include "TestDevice.h"
#include "rapi.h"

extern int dlopenCalls;

inline TestDeviceControl& Device() {
    if (!pelgrane::LoadRapi()) throw std::runtime_error("the test device was not loaded");
    // Already loaded by the updater, so this only finds it.
    void* lib = dlopen("librapi.so", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) throw std::runtime_error("librapi.so is not loaded");
    auto control = reinterpret_cast<TestDeviceControl* (*)()>(dlsym(lib, "TestDevice_Control"));
    dlclose(lib);
    return *control();
}
