// The settings store with many values in one key: a read (lock, file,
// parse) and a write (lock, file, parse, one value changed, written and put
// in place), of a file of 10,000 and of 100,000 values. Both grow linearly
// with the values; target: under 0.5 s each at 100,000.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/Files.h"
#include "registry/RegistryStore.h"

using namespace menvaro;

namespace {

// A folder of its own for the run, removed at the end.
class Folder {
public:
    Folder() {
        char name[] = "/tmp/registry_bench.XXXXXX";
        if (!mkdtemp(name)) std::abort();
        path_ = name;
    }
    ~Folder() {
        for (const char* f : {"/registry.reg", "/registry.reg.lock"}) ::unlink((path_ + f).c_str());
        ::rmdir(path_.c_str());
    }
    std::string File() const { return path_ + "/registry.reg"; }

private:
    std::string path_;
};

// Values of every form the programs write: texts, numbers, texts with line breaks.
void MakeFile(const std::string& path, int values) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel]\r\n";
    for (int i = 0; i < values; ++i) {
        const std::string name = "\"Value" + std::to_string(i) + "\"=";
        switch (i % 3) {
            case 0: text += name + "\"/var/lib/menvaro/DataBackup/" + std::to_string(i) + "\"\r\n"; break;
            case 1: text += name + "dword:0000001e\r\n"; break;
            default: text += name + "hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"; break;
        }
    }
    WriteFileAtomic(path, text);
}

void Read(benchmark::State& state) {
    Folder folder;
    MakeFile(folder.File(), static_cast<int>(state.range(0)));
    const TRegistryStore store(folder.File());
    for (auto _ : state) {
        TRegistryData data = store.Load();
        benchmark::DoNotOptimize(data);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Write(benchmark::State& state) {
    Folder folder;
    MakeFile(folder.File(), static_cast<int>(state.range(0)));
    const TRegistryStore store(folder.File());
    std::uint32_t n = 0;
    for (auto _ : state) {
        store.Update([&](TRegistryData& d) {
            TRegValue v;
            v.Name = "SaveBackupDays";
            v.Type = REG_DWORD;
            v.Dword = ++n;
            TRegistryData::SetValue(d.CreateKey("SOFTWARE\\Corvanel"), v);
            return true;
        });
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(Read)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Write)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
