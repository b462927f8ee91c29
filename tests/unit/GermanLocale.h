#pragma once

#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>

#include "FileTestSupport.h"

namespace kvt::test {

// Switches the process to a German locale (decimal comma) for the lifetime of the object. When
// the machine has none, one is compiled with localedef into a temporary folder; active() is
// false when that is impossible too.
class GermanLocale {
  public:
    GermanLocale() {
        active_ = trySet();
        if (!active_ && std::system("command -v localedef >/dev/null 2>&1") == 0) {
            folder_ = std::make_unique<TempDir>();
            const std::string command =
                "localedef -i de_DE -f UTF-8 '" + folder_->str() + "/de_DE.UTF-8' >/dev/null 2>&1";
            if (std::system(command.c_str()) == 0) {
                ::setenv("LOCPATH", folder_->str().c_str(), 1);
                active_ = trySet();
            }
        }
    }
    ~GermanLocale() {
        std::setlocale(LC_ALL, "C");
        if (folder_) {
            ::unsetenv("LOCPATH");
        }
    }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    bool active() const { return active_; }

  private:
    static bool trySet() {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                return std::string(std::localeconv()->decimal_point) == ",";
            }
        }
        return false;
    }

    std::unique_ptr<TempDir> folder_;
    bool active_ = false;
};

}  // namespace kvt::test
