// Uploading from the command line.
#include "app/publish/ftp_batch.h"

#include <cstdio>
#include <cstdlib>

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/ftp_client.h"
#include "publish/ftp_listing.h"

namespace rix {

int ftp_port() {
    const char* text = std::getenv("RIX_FTP_PORT");
    if (!text || !*text) return 21;
    char* end = nullptr;
    const long port = std::strtol(text, &end, 10);
    return *end == '\0' && port > 0 && port < 65536 ? static_cast<int>(port) : 21;
}

int batch_ftp_put(Application& app) {
    const int s = app.line.ftp_site - 1;
    if (s < 0 || s > 2 || app.line.ftp_files.empty()) {
        std::fprintf(stderr, "rix: --ftp-put takes a site number 1..3 and the files to upload\n");
        return 1;
    }
    const SettingsRecord& r = app.settings.rec;
    const FtpSite site{std::string(read_field(r.ftp_site_name[s], sizeof r.ftp_site_name[s])),
                       std::string(read_field(r.ftp_host[s], sizeof r.ftp_host[s])),
                       std::string(read_field(r.ftp_user[s], sizeof r.ftp_user[s])),
                       std::string(read_field(r.ftp_password[s], sizeof r.ftp_password[s])),
                       std::string(read_field(r.ftp_site_folder[s], sizeof r.ftp_site_folder[s])),
                       {}};
    const FtpSiteFault fault = ftp_site_fault(site);
    if (fault != FtpSiteFault::NONE) {
        std::fprintf(stderr, "rix: site %d: %s\n", s + 1, sjis_to_utf8(ftp_site_fault_text(fault)).c_str());
        return 1;
    }
    for (const std::string& file : app.line.ftp_files) {
        if (path_kind(file) != PathKind::REGULAR || !ftp_name_safe(name_of(file))) {
            std::fprintf(stderr, "rix: not a file to upload: %s\n", file.c_str());
            return 1;
        }
    }
    FtpClient client;
    FtpLogin login;
    login.host = sjis_to_utf8(site.host);
    login.port = ftp_port();
    login.user = sjis_to_utf8(site.user);
    login.password = sjis_to_utf8(site.password);
    FtpResult result = client.connect(login);
    if (!result.ok()) {
        std::fprintf(stderr, "rix: cannot log in to %s: %s\n", login.host.c_str(), result.detail.c_str());
        return 1;
    }
    const std::string folder =
        ftp_resolve(client.entry_path(), ftp_server_name(sjis_to_utf8(site.site_folder), client.utf8()));
    for (const std::string& file : app.line.ftp_files) {
        const std::string name = name_of(file);
        result = client.upload(file, ftp_join(folder, ftp_server_name(name, client.utf8())));
        if (!result.ok()) {
            std::fprintf(stderr, "rix: upload of %s failed: %s\n", file.c_str(), result.detail.c_str());
            return 1;
        }
        std::printf("uploaded %s\n", name.c_str());
    }
    return 0;
}

}  // namespace rix
