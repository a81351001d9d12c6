#include "support/env.h"

#include <stdlib.h>

#include <utility>

namespace testenv {

EnvVar::EnvVar(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
    if (const char* old = ::getenv(name_.c_str())) old_ = old;
    set(value);
}

EnvVar::EnvVar(std::string name, const char* value)
    : EnvVar(std::move(name), value ? std::optional<std::string>(value) : std::nullopt) {}

EnvVar::~EnvVar() { set(old_); }

void EnvVar::set(const std::optional<std::string>& value) {
    if (value) ::setenv(name_.c_str(), value->c_str(), 1);
    else ::unsetenv(name_.c_str());
}

}  // namespace testenv
