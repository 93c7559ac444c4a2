// A user locale whose decimal separator is a comma, for the tests of
// writers that must not let it into their files: an installed one, or one
// made with localedef into a temporary folder (LOCPATH). While alive the
// process runs under it (LC_ALL); end() or the destructor go back to "C".
#pragma once

#include <clocale>
#include <cstdlib>
#include <string>

#include "tests/support/temp_folder.h"

namespace rix::test {

class CommaLocale {
public:
    CommaLocale() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
            if (try_locale(name)) return;
        // Made once a process: localedef takes a few seconds.
        static TempFolder folder;
        static const bool made = !folder.path().empty() &&
            std::system(("localedef -i de_DE -f UTF-8 '" + folder.file("de_DE.UTF-8") + "' >/dev/null 2>&1").c_str()) == 0;
        if (!made) return;
        ::setenv("LOCPATH", folder.path().c_str(), 1);
        if (!try_locale("de_DE.UTF-8")) ::unsetenv("LOCPATH");
    }
    ~CommaLocale() { end(); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool active() const { return active_; }
    void end() {
        if (!active_) return;
        std::setlocale(LC_ALL, "C");
        ::unsetenv("LOCPATH");
        active_ = false;
    }

private:
    bool try_locale(const char* name) {
        if (!std::setlocale(LC_ALL, name)) return false;
        const std::lconv* lc = std::localeconv();
        active_ = lc && lc->decimal_point && lc->decimal_point[0] == ',';
        if (!active_) std::setlocale(LC_ALL, "C");
        return active_;
    }

    bool active_ = false;
};

}  // namespace rix::test
