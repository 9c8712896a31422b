// Counts the program's calls of dlopen (and forwards them), so that a test
// can tell how often the remote API library was loaded.
#include <dlfcn.h>

int dlopenCalls = 0;

extern "C" void* dlopen(const char* file, int mode) {
    using Real = void* (*)(const char*, int);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "dlopen"));
    ++dlopenCalls;
    return real(file, mode);
}
