// QPHOST's host commands for the folders of a logged-in host session.
#include "host/qphost/host_script.h"

namespace qphost {

const HostCommandTable kFolderCommandTable = {nullptr, 0};

}  // namespace qphost
