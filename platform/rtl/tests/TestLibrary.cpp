// Functions of known names and sizes, for the tests of the modules list and
// the ELF reader.
namespace rtltest {

struct TShape {
    static int Area(int w, int h);
};

int TShape::Area(int w, int h) { return w * h; }

}  // namespace rtltest

extern "C" __attribute__((noinline)) int rtl_test_function(int x) { return rtltest::TShape::Area(x, x + 1) + 7; }
