#include <cstdio>
#include <exception>
#include <memory>

#include "hid/fake/FakeHid.h"
#include "hid/fake/FakeHidTree.h"

struct fake_hid_tree {
    menvaro::FakeHidTree tree;
};

namespace {

template <typename F>
int Guard(const char* what, F&& f) {
    try {
        f();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fake hid: %s: %s\n", what, e.what());
        return -1;
    }
}

}  // namespace

extern "C" {

fake_hid_tree* fake_hid_create(void) {
    std::unique_ptr<fake_hid_tree> t;
    if (Guard("create", [&] { t = std::make_unique<fake_hid_tree>(); }) != 0) return nullptr;
    return t.release();  // owned by the C caller until fake_hid_destroy
}

void fake_hid_destroy(fake_hid_tree* tree) {
    std::unique_ptr<fake_hid_tree> owned(tree);
}

const char* fake_hid_sys_root(const fake_hid_tree* tree) { return tree->tree.SysRoot().c_str(); }
const char* fake_hid_dev_root(const fake_hid_tree* tree) { return tree->tree.DevRoot().c_str(); }

int fake_hid_add(fake_hid_tree* tree, const char* name, unsigned vendor, unsigned product, unsigned version,
                 unsigned flags) {
    return Guard("add", [&] {
        tree->tree.Add({name, static_cast<std::uint16_t>(vendor), static_cast<std::uint16_t>(product),
                        static_cast<std::uint16_t>(version), flags});
    });
}

int fake_hid_remove_classes(fake_hid_tree* tree) {
    return Guard("remove classes", [&] { tree->tree.RemoveClasses(); });
}

int fake_hid_plug(fake_hid_tree* tree, const char* name) {
    return Guard("plug", [&] { tree->tree.Plug(name); });
}

int fake_hid_unplug(fake_hid_tree* tree, const char* name) {
    return Guard("unplug", [&] { tree->tree.Unplug(name); });
}

int fake_hid_accept(fake_hid_tree* tree, const char* name, int timeout_ms) {
    int fd = -1;
    Guard("accept", [&] { fd = tree->tree.Accept(name, timeout_ms).Release(); });
    return fd;
}

}  // extern "C"
