#include "tests/e2e/target.hpp"

#include <cstdlib>
#include <stdexcept>

namespace e2e {

std::string required_environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        throw std::runtime_error(std::string("the environment variable ") + name +
                                 " must name the file to use");
    }
    return value;
}

std::unique_ptr<target> target_from_environment() {
    const char* chosen = std::getenv("STUBRA_E2E_TARGET");
    const std::string name = chosen == nullptr ? "native" : chosen;
    if (name == "native") {
        return make_native_target();
    }
    if (name == "wine") {
        return make_wine_target();
    }
    throw std::runtime_error("STUBRA_E2E_TARGET names no known target: " + name);
}

}  // namespace e2e
