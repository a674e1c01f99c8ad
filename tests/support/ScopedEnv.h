// Sets (or unsets) an environment variable for the life of the object and
// restores the earlier value afterwards.
#pragma once

#include <optional>
#include <string>

class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};
