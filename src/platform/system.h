// Process-level services of the operating system.
#pragma once

#include <string>

namespace platform {

class System {
public:
    virtual ~System() = default;
    // The running executable and its folder (with a trailing "/").
    virtual std::string ExecutablePath() = 0;
    virtual std::string ExecutableDir() = 0;
    // The per-user configuration folder ($XDG_CONFIG_HOME, else ~/.config)
    // with a trailing "/", or empty when there is none.
    virtual std::string AppDataDir() = 0;
    // The per-user data folder ($XDG_DATA_HOME, else ~/.local/share) with a
    // trailing "/", or empty when there is none.
    virtual std::string DataHomeDir() = 0;
    // The program's installed, read-only data folder (<prefix>/share/orvelin/)
    // with a trailing "/", or empty when there is none.
    virtual std::string InstalledDataDir() = 0;
    // The locale the user reads messages in ("ru_RU.UTF-8"), empty when unset.
    virtual std::string MessagesLocale() = 0;
    // The user's temporary folder, with a trailing "/".
    virtual std::string TempDir() = 0;
    // Where per-session runtime files live ($XDG_RUNTIME_DIR, else TempDir()).
    virtual std::string RuntimeDir() = 0;
    // Version text of a file: our own executable carries the stamped version;
    // other files have none (empty).
    virtual std::string FileVersionText(const std::string& path) = 0;
    // The "CompanyName" of a file's version information, empty when none.
    virtual std::string CompanyName(const std::string& path) = 0;
    // Returns freed heap pages to the system.
    virtual void TrimWorkingSet() = 0;
    // The legacy 8-bit code page that fits the user's locale (1251 for
    // Russian and other Cyrillic locales, else 1252).
    virtual int LegacyCodePage() = 0;
};

// Held for the life of the process: a second instance cannot acquire it.
class SingleInstance {
public:
    virtual ~SingleInstance() = default;
    // True when this process is now the only instance.
    virtual bool Acquire(const std::string& name) = 0;
};

}  // namespace platform
