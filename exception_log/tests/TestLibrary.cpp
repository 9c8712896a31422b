// A library without debug information: its exported functions stand in.
namespace libtest {

struct TShape {
    static int Area(int w, int h);
};

__attribute__((noinline)) int TShape::Area(int w, int h) { return w * h + 1; }

}  // namespace libtest

extern "C" __attribute__((noinline)) int exception_log_test_function(int x) {
    return libtest::TShape::Area(x, x + 2) * 3;
}
