#include <cstdio>
#include <stdexcept>

#include "tests/e2e/process.hpp"
#include "tests/e2e/target.hpp"

namespace e2e {

namespace {

// stubra.exe under Wine, run by the Windows harness (stubra-wine-harness.exe),
// which answers the message boxes and prints them to standard output, in
// the POSIX layer's form, followed by the stub's full exit code. Each machine
// has its own prefix under STUBRA_E2E_WINE_PREFIXES: "win32" is a 32-bit
// Windows, "win64" a 64-bit one where the stub runs under WoW64. The runs
// need an X display; scripts/wine-run.sh starts its own Xvfb when there is
// none.
class wine_target : public target {
  public:
    wine_target()
        : stub_(required_environment("STUBRA_E2E_STUB")),
          installer_(required_environment("STUBRA_E2E_INSTALLER")),
          harness_(required_environment("STUBRA_E2E_HARNESS")),
          wine_run_(required_environment("STUBRA_E2E_WINE_RUN")),
          prefixes_(required_environment("STUBRA_E2E_WINE_PREFIXES")) {}

    std::string name() const override { return "wine"; }
    std::string stub() const override { return stub_; }
    std::string installer() const override { return installer_; }

    // Wine's drive Z: is the host's root folder.
    std::string windows_path(const std::string& host_path) const override {
        std::string path = "Z:" + host_path;
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
        return path;
    }

    run_outcome run(const run_request& request) const override {
        process_request process;
        process.arguments = {wine_run_};
        if (request.on == machine::windows_64) {
            process.arguments.insert(process.arguments.end(), {"--arch", "win64"});
        }
        process.arguments.insert(
            process.arguments.end(),
            {prefix_for(request.on), harness_, "--temp", windows_path(request.temp_folder),
             windows_path(request.packed_stub)});
        if (!request.command_line.empty()) {
            process.arguments.push_back(request.command_line);
        }
        process.environment = {
            {"STUBRA_FAKE_INSTALLER_REPORT", windows_path(request.report_file)},
            {"STUBRA_FAKE_INSTALLER_EXIT_CODE", std::to_string(request.installer_exit_code)},
        };
        process.working_folder = request.start_folder;

        const process_result result = run_process(process);
        const std::string output = result.standard_output + result.standard_error;
        if (result.exit_code != 0) {
            throw std::runtime_error("the Wine harness failed with " +
                                     std::to_string(result.exit_code) + ":\n" + output);
        }
        return {reported_exit_code(result.standard_output),
                parse_message_boxes(result.standard_output), output};
    }

  private:
    std::string prefix_for(machine on) const {
        return prefixes_ + (on == machine::windows_64 ? "/win64" : "/win32");
    }

    // The harness's last line: "exit code: 0x%08X".
    static std::uint32_t reported_exit_code(const std::string& output) {
        const std::string label = "exit code: ";
        const std::size_t at = output.rfind("\n" + label);
        const std::size_t start = at == std::string::npos ? 0 : at + 1;
        unsigned long code = 0;
        if (output.compare(start, label.size(), label) != 0 ||
            std::sscanf(output.c_str() + start + label.size(), "0x%lx", &code) != 1) {
            throw std::runtime_error("the Wine harness reported no exit code:\n" + output);
        }
        return static_cast<std::uint32_t>(code);
    }

    std::string stub_;
    std::string installer_;
    std::string harness_;
    std::string wine_run_;
    std::string prefixes_;
};

}  // namespace

std::unique_ptr<target> make_wine_target() {
    return std::make_unique<wine_target>();
}

}  // namespace e2e
