// Address lookups per second on Pelgrane's own "OLDATA" container, next to
// "addr2line -f -e Pelgrane" on the same addresses, in one run; and how
// often the two agree on file and line.
//
//   lookup_bench [PROGRAM] [ADDRESSES]
//
// LOOKUP_BENCH_SHOW=1 lists each address where the two differ, and makes
// one pass only.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "EDebugData.h"
#include "ETypes.h"
#include "base/Files.h"
#include "base/NumberText.h"
#include "rtl/ElfFile.h"
#include "rtl/SymbolNames.h"

using namespace menvaro;
using Clock = std::chrono::steady_clock;

namespace {

// The code ranges of the units: addresses are drawn from them.
std::vector<std::pair<std::int64_t, std::int64_t>> UnitRanges(std::string_view data, std::uint16_t version) {
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    std::size_t at = 0;
    auto int32 = [&] {
        std::int32_t v;
        std::memcpy(&v, data.data() + at, 4);
        at += 4;
        return v;
    };
    if (version > kSymbolBlockAfterVersion) {
        const std::int32_t symbols = int32();
        at += static_cast<std::size_t>(symbols);
    }
    const std::int32_t units = int32();
    for (std::int32_t i = 0; i < units; ++i) {
        at += 1 + static_cast<std::uint8_t>(data[at]);
        int32();
        const std::int32_t start = int32(), size = int32(), records = int32();
        at += static_cast<std::size_t>(records);
        if (size > 0) ranges.push_back({start, size});
    }
    return ranges;
}

// addr2line's answers, one pair of lines (function, file:line) per address.
std::vector<std::string> Addr2Line(const std::string& program, const std::vector<std::uint64_t>& addresses,
                                   double& seconds) {
    char name[] = "/tmp/lookup_bench_XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) return {};
    std::string list;
    for (std::uint64_t a : addresses) list += "0x" + IntToHex(a, 1) + "\n";
    if (::write(fd, list.data(), list.size()) != static_cast<ssize_t>(list.size())) return {};
    ::close(fd);
    const std::string command = "addr2line -f -e '" + program + "' < " + name;
    const auto start = Clock::now();
    FILE* out = ::popen(command.c_str(), "r");
    std::vector<std::string> lines;
    if (out) {
        char buf[8192];
        while (std::fgets(buf, sizeof buf, out)) {
            std::string l(buf);
            if (!l.empty() && l.back() == '\n') l.pop_back();
            lines.push_back(l);
        }
        ::pclose(out);
    }
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ::unlink(name);
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = argc > 1 ? argv[1] : PELGRANE;
    const std::size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 2000;
    const TElfFile file(program);
    TOstrelData data;
    std::string damage, debugData;
    TOwned<TOstrelModuleOptions> options(Create<TOstrelModuleOptions>(program, false));
    if (!ReadOstrelContainer(file, data, damage) || !SplitOstrelPayload(data, *options, debugData, damage)) {
        std::fprintf(stderr, "%s: no debug information: %s\n", program.c_str(), damage.c_str());
        return 1;
    }
    const std::uint64_t codeStart = file.LowestLoadAddress() + kCodeStartOffset;
    const auto ranges = UnitRanges(debugData, data.Version);
    std::mt19937_64 random(120);
    std::vector<std::uint64_t> addresses;
    for (std::size_t i = 0; i < count && !ranges.empty(); ++i) {
        const auto& r = ranges[random() % ranges.size()];
        addresses.push_back(codeStart +
                            static_cast<std::uint64_t>(r.first + static_cast<std::int64_t>(random() % r.second)));
    }

    // Ours: repeated until a second has passed.
    const TUnitIndex index = IndexUnits(debugData, data.Version);
    std::vector<TLineInfo> found(addresses.size());
    std::size_t lookups = 0;
    const auto start = Clock::now();
    double ours = 0;
    do {
        for (std::size_t i = 0; i < addresses.size(); ++i)
            FindLineInfo(debugData, data.Version, static_cast<std::int64_t>(addresses[i] - codeStart), found[i],
                         &index);
        lookups += addresses.size();
        ours = std::chrono::duration<double>(Clock::now() - start).count();
    } while (ours < 1.0 && !std::getenv("LOOKUP_BENCH_SHOW"));

    double peer = 0;
    const std::vector<std::string> answers = Addr2Line(program, addresses, peer);
    std::size_t agree = 0, sameFunction = 0;
    for (std::size_t i = 0; i < addresses.size() && 2 * i + 1 < answers.size(); ++i) {
        std::string where = answers[2 * i + 1];
        where = where.substr(0, where.find(" ("));  // "(discriminator N)"
        const std::size_t colon = where.rfind(':');
        const std::string path = where.substr(0, colon);
        const std::string fileName = found[i].Unit.find('/') != std::string::npos && path.size() >= found[i].Unit.size()
                                         ? path.substr(path.size() - found[i].Unit.size())
                                         : ExtractFileName(path);
        const std::string line = colon == std::string::npos ? "" : where.substr(colon + 1);
        const std::string procedure = found[i].Class.empty() ? found[i].Procedure
                                                             : found[i].Class + "::" + found[i].Procedure;
        if (FunctionName(answers[2 * i]) == procedure) ++sameFunction;
        if (fileName == found[i].Unit && line == std::to_string(found[i].Line)) ++agree;
        if ((fileName != found[i].Unit || FunctionName(answers[2 * i]) != procedure) &&
            std::getenv("LOOKUP_BENCH_SHOW"))
            std::printf("%llx: ours %s:%d %s.%s | addr2line %s %s\n", (unsigned long long)addresses[i],
                        found[i].Unit.c_str(), found[i].Line, found[i].Class.c_str(), found[i].Procedure.c_str(),
                        answers[2 * i].c_str(), answers[2 * i + 1].c_str());
    }
    std::printf("program: %s (%zu units, %zu bytes of debug data)\n", program.c_str(), ranges.size(), debugData.size());
    std::printf("addresses: %zu\n", addresses.size());
    std::printf("OLDATA lookups: %.0f per second (%zu in %.2f s)\n", static_cast<double>(lookups) / ours, lookups,
                ours);
    if (answers.size() < 2 * addresses.size()) {
        std::printf("addr2line: no answers (is binutils installed?)\n");
        return 0;
    }
    std::printf("addr2line -f: %.0f per second (%zu in %.2f s, one process)\n",
                static_cast<double>(addresses.size()) / peer, addresses.size(), peer);
    std::printf("ratio: %.2f\n",
                (static_cast<double>(lookups) / ours) / (static_cast<double>(addresses.size()) / peer));
    std::printf("same file and line as addr2line: %zu of %zu\n", agree, addresses.size());
    std::printf("same function as addr2line: %zu of %zu\n", sameFunction, addresses.size());
    return 0;
}
