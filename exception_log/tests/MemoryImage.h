// Memory made up by a test: regions of bytes at addresses of its choosing,
// read the way the stack scan and the report read the process, with every
// read kept so a test can tell what was read.
#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ExceptionLog.h"

namespace menvaro::test {

class TMemoryImage final : public IOstrelMemory {
public:
    // Bytes at `address`, over what was there.
    void Put(std::uintptr_t address, std::string bytes) {
        for (auto it = regions_.begin(); it != regions_.end(); ++it) {
            if (address >= it->first && address + bytes.size() <= it->first + it->second.size()) {
                it->second.replace(address - it->first, bytes.size(), bytes);
                return;
            }
        }
        regions_[address] = std::move(bytes);
    }
    // A region of `size` bytes of `fill`.
    void Fill(std::uintptr_t address, std::size_t size, char fill) { Put(address, std::string(size, fill)); }
    void PutValue(std::uintptr_t address, std::uint64_t value) { Put(address, Bytes(value)); }

    bool Read(std::uintptr_t address, void* buffer, std::size_t size) const override {
        reads.emplace_back(address, size);
        auto it = regions_.upper_bound(address);
        if (it == regions_.begin()) return false;
        --it;
        if (address + size > it->first + it->second.size()) return false;
        std::memcpy(buffer, it->second.data() + (address - it->first), size);
        return true;
    }

    static std::string Bytes(std::uint64_t value) {
        std::string b(8, '\0');
        std::memcpy(b.data(), &value, 8);
        return b;
    }

    mutable std::vector<std::pair<std::uintptr_t, std::size_t>> reads;

private:
    std::map<std::uintptr_t, std::string> regions_;
};

// Bytes from a list of byte values.
inline std::string Code(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

}  // namespace menvaro::test
