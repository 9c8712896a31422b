#include "usb_device/DeviceState.h"

namespace menvaro::quellin {

DeviceState& State() {
    static DeviceState state;
    return state;
}

}  // namespace menvaro::quellin
