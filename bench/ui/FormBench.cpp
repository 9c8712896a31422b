// Creating a form of 50 controls from its embedded form file, streaming it
// and painting it the first time, under the headless backend (target:
// under 20 ms an iteration).
#include <benchmark/benchmark.h>

#include "classes/ClassBuilder.h"
#include "testsupport/TestControls.h"
#include "ui/Backend.h"

namespace menvaro {

class TBenchForm : public TForm {
    MENVARO_CLASS(TBenchForm, TForm)
public:
    using TForm::TForm;
};
MENVARO_CLASS_INFO(TBenchForm) {}

namespace {

void CreateStreamAndPaint(benchmark::State& state) {
    SetBackend(CreateHeadlessBackend());
    int controls = 0;
    for (auto _ : state) {
        TBenchForm* f = Create<TBenchForm>(Application);
        f->Show();
        Application->ProcessMessages();
        controls = f->ComponentCount();
        f->Free();
        Application->ProcessMessages();
    }
    state.counters["controls"] = controls;
}
BENCHMARK(CreateStreamAndPaint)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace menvaro

BENCHMARK_MAIN();
