// rix --ftp-put SITE FILE...: the files uploaded into the site folder of FTP
// site SITE (1..3) of the settings, without a window.
#pragma once

#include "app/shell/application.h"

namespace rix {

// The port the FTP sites are reached on: 21, or $RIX_FTP_PORT when it names
// a port (tests point the program at a server of their own).
int ftp_port();
// 0 when every file was uploaded (a line "uploaded NAME" each on standard
// output); 1 at the first failure, with the reason on standard error.
int batch_ftp_put(Application& app);

}  // namespace rix
