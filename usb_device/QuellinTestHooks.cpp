#include "usb_device/QuellinTestHooks.h"

#include <memory>

#include "hid/fake/FakeHidSystem.h"

extern "C" int Quellin_TestUseFakeHid(const char* sysRoot, const char* devRoot) {
    try {
        menvaro::UseHidSystemForTests(std::make_shared<menvaro::FakeHidSystem>(sysRoot, devRoot));
        return 0;
    } catch (...) {
        return -1;
    }
}
