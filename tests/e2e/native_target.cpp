#include <stdexcept>

#include "tests/e2e/process.hpp"
#include "tests/e2e/target.hpp"

namespace e2e {

namespace {

// The stub built for this machine against the POSIX layer. Message boxes come
// on standard error, the full exit code through the layer's channel.
class native_target : public target {
  public:
    native_target()
        : stub_(required_environment("STUBRA_E2E_STUB")),
          installer_(required_environment("STUBRA_E2E_INSTALLER")) {}

    std::string name() const override { return "native"; }
    std::string stub() const override { return stub_; }
    std::string installer() const override { return installer_; }

    std::string windows_path(const std::string& host_path) const override {
        std::string path = host_path;
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
        return path;
    }

    run_outcome run(const run_request& request) const override {
        process_request process;
        process.arguments = {request.packed_stub};
        if (!request.command_line.empty()) {
            process.arguments.push_back(request.command_line);
        }
        process.environment = {
            {"TMPDIR", request.temp_folder},
            {"STUBRA_FAKE_INSTALLER_REPORT", request.report_file},
            {"STUBRA_FAKE_INSTALLER_EXIT_CODE", std::to_string(request.installer_exit_code)},
        };
        if (request.on == machine::windows_64) {
            process.environment["WIN32_POSIX_WOW64"] = "1";
        } else {
            process.unset.push_back("WIN32_POSIX_WOW64");
        }
        process.working_folder = request.start_folder;
        process.full_exit_code = true;

        const process_result result = run_process(process);
        return {result.exit_code, parse_message_boxes(result.standard_error),
                result.standard_output + result.standard_error};
    }

  private:
    std::string stub_;
    std::string installer_;
};

}  // namespace

std::unique_ptr<target> make_native_target() {
    return std::make_unique<native_target>();
}

}  // namespace e2e
