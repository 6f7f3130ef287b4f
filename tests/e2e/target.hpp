// Where a scenario runs: the native stub directly, or stubra.exe under Wine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/message_boxes.hpp"
#include "tests/e2e/scenario.hpp"

namespace e2e {

struct run_request {
    std::string packed_stub;   // host path
    std::string command_line;  // the tail the stub is started with
    std::string temp_folder;   // host path of the folder the stub must use as %TEMP%
    std::string start_folder;  // host path of the folder the stub is started in
    std::string report_file;   // host path the fake installer reports to
    std::uint32_t installer_exit_code = 0;
    machine on = machine::windows_32;
};

struct run_outcome {
    std::uint32_t exit_code = 0;
    std::vector<message_box> message_boxes;
    std::string output;  // everything the run printed, for failure reports
};

class target {
  public:
    virtual ~target() = default;

    virtual std::string name() const = 0;
    virtual std::string stub() const = 0;       // host path of the unpacked stub
    virtual std::string installer() const = 0;  // host path of the fake installer
    // The path as the stub sees it (Windows syntax).
    virtual std::string windows_path(const std::string& host_path) const = 0;
    virtual run_outcome run(const run_request& request) const = 0;
};

// The target named by STUBRA_E2E_TARGET ("native" when unset), configured
// from the environment CTest gives the test.
std::unique_ptr<target> target_from_environment();

// A required environment variable; throws std::runtime_error naming it when unset.
std::string required_environment(const char* name);

std::unique_ptr<target> make_native_target();
std::unique_ptr<target> make_wine_target();

}  // namespace e2e
