// An environment variable set for a scope, for the tests that steer the
// logger by its environment.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace menvaro::test {

// Sets an environment variable for a scope and puts the old value back.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace menvaro::test
