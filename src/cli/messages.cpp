#include "cli/messages.h"

namespace quelm::cli {

void FillBoxTable(LanguageTables& tables) {
    auto& b = tables.box;
    b[1] = "no programming box found";
    b[2] = "looking for the programming box";
    b[3] = "programming box found";
    b[6] = "stopped";
    b[12] = "no frame yet";
    b[15] = "parameter group 1 read";
    b[16] = "parameter group 2 read";
    b[17] = "parameters read";
    b[21] = "no valid answer to the read of parameter group 3 in ten frames";
    b[22] = "no valid answer to the read of parameter group 2 in ten frames";
    b[23] = "no valid answer to the read of parameter group 1 in ten frames";
    b[24] = " wrong frame(s), reading parameter group 1 again";
    b[25] = " wrong frame(s), reading parameter group 2 again";
    b[26] = " wrong frame(s), reading parameter group 3 again";
    b[39] = "test number sent";
    b[40] = "not sent: the number has no frame form";
    b[50] = "several programming boxes attached: unplug all but one";
}

} // namespace quelm::cli
