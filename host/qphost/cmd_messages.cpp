// QPHOST's host commands for the messages of a logged-in host session.
#include "host/qphost/host_script.h"

namespace qphost {

const HostCommandTable kMessageCommandTable = {nullptr, 0};

}  // namespace qphost
