/* The fake HID tree for tests written in C: the same tree as FakeHidTree. */
#ifndef MENVARO_FAKE_HID_H
#define MENVARO_FAKE_HID_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct fake_hid_tree fake_hid_tree;

enum {
    FAKE_HID_NO_DEVICE_NAME = 1,
    FAKE_HID_BAD_VERSION = 2,
    FAKE_HID_NUMBERED = 4,
    FAKE_HID_NOT_USB = 8
};

/* NULL when the tree cannot be made (the reason is printed to stderr). */
fake_hid_tree* fake_hid_create(void);
void fake_hid_destroy(fake_hid_tree* tree);
const char* fake_hid_sys_root(const fake_hid_tree* tree);
const char* fake_hid_dev_root(const fake_hid_tree* tree);

/* 0 on success, -1 on failure (printed to stderr). */
int fake_hid_add(fake_hid_tree* tree, const char* name, unsigned vendor, unsigned product,
                 unsigned version, unsigned flags);
int fake_hid_remove_classes(fake_hid_tree* tree);
int fake_hid_plug(fake_hid_tree* tree, const char* name);
int fake_hid_unplug(fake_hid_tree* tree, const char* name);
/* The device's end of the next open of `name` (the caller closes it), or -1. */
int fake_hid_accept(fake_hid_tree* tree, const char* name, int timeout_ms);

#ifdef __cplusplus
}
#endif

#endif
