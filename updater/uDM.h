// The updater's data module: the product database connection, the DOM
// document and the exporters that write the handheld's XML data files.
#pragma once

#include <string>

namespace pelgrane {

// The PC's IPv4 address in dotted form, as the handheld should reach the
// server: every address the host name resolves to, in turn, the last one
// winning; where those are all loopback addresses, the machine's
// non-loopback IPv4 interface addresses instead. Empty when none is found.
void GetLocalIPAddress(std::string& Address);

}  // namespace pelgrane
