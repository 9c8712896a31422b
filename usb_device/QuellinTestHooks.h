/* Built only into the tests' copy of the library: makes it work on a fake
 * sysfs tree and fake device nodes instead of the machine's. */
#ifndef QUELLIN_TEST_HOOKS_H
#define QUELLIN_TEST_HOOKS_H

#include "usb_device/Quellin.h"

#ifdef __cplusplus
extern "C" {
#endif

/* 0 when installed. */
QUELLIN_API int Quellin_TestUseFakeHid(const char* sysRoot, const char* devRoot);

#ifdef __cplusplus
}
#endif

#endif
