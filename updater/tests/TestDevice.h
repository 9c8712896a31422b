// A handheld for the updater's tests: the remote API over files kept in
// memory, counting every call and failing on request. Built as librapi.so
// (and as a variant that lacks some entry points).
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/Rapi.h"

struct TestDeviceControl {
    menvaro::rapi::HRESULT initResult = menvaro::rapi::S_OK;
    menvaro::rapi::DWORD maxWrite = 0;  // a write takes at most this many bytes (0: all)
    int failWriteAt = -1;               // the n-th write call (0-based) fails
    bool failClose = false;
    bool failMove = false;
    std::string failMoveFrom;           // a move of this device path fails
    bool throwOnWrite = false;          // a write raises, as a broken library might

    int inits = 0, uninits = 0, creates = 0, writes = 0, closes = 0, deletes = 0, moves = 0;
    std::vector<std::string> log;                // "create <path>", "delete <path>", "move <a> <b>", ...
    std::map<std::string, std::string> files;    // device path (UTF-8) -> content

    void Reset() { *this = TestDeviceControl(); }
};

extern "C" TestDeviceControl* TestDevice_Control();
