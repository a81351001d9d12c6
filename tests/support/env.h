// An environment variable set for one test and put back afterwards.
#pragma once

#include <optional>
#include <string>

namespace testenv {

class EnvVar {
public:
    // Sets `name` to `value` while it lives; nullopt removes it meanwhile.
    EnvVar(std::string name, const std::optional<std::string>& value);
    // The same for tables of cases, where nullptr removes it.
    EnvVar(std::string name, const char* value);
    ~EnvVar();
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;
    void set(const std::optional<std::string>& value);

private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace testenv
