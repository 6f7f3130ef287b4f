// Packs a real stub with the real packer for every row of the scenario table,
// runs it on the target the environment names and checks what a user sees:
// the exit code, the message boxes in order, the installer's command line,
// working folder and neighbours, and that the work folder is gone.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "tests/e2e/installer_report.hpp"
#include "tests/e2e/packing.hpp"
#include "tests/e2e/scenario.hpp"
#include "tests/e2e/target.hpp"
#include "tests/e2e/text_pattern.hpp"

namespace e2e {

namespace {

namespace stdfs = std::filesystem;

std::vector<std::string> work_folders_in(const stdfs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : stdfs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("ORVNT", 0) == 0) {
            found.push_back(name);
        }
    }
    return found;
}

constexpr const char* planted_file = "version.dll";

// Work folders under the names of the coming seconds, as someone who wants
// the elevated installer to load their files would leave them.
std::vector<stdfs::path> plant_work_folders(const stdfs::path& temp) {
    std::vector<stdfs::path> planted;
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    for (std::int64_t second = now - 1; second <= now + 60; ++second) {
        const stdfs::path folder =
            temp / ("ORVNT" + std::to_string(static_cast<std::int32_t>(second)));
        stdfs::create_directory(folder);
        std::ofstream(folder / planted_file) << "planted";
        planted.push_back(folder / planted_file);
    }
    return planted;
}

std::string file_name_of(const std::string& windows_path) {
    return windows_path.substr(windows_path.find_last_of('\\') + 1);
}

}  // namespace

// Test names already say which row runs; print just its name.
void PrintTo(const scenario& row, std::ostream* out) {
    *out << row.name;
}

namespace {

class scenario_run : public testing::TestWithParam<scenario> {
  protected:
    void SetUp() override {
        on_ = target_from_environment();
        root_ =
            stdfs::temp_directory_path() / ("stubra-e2e-" + on_->name() + "-" + GetParam().name);
        stdfs::remove_all(root_);
        for (const char* folder : {"pack", "temp", "start"}) {
            stdfs::create_directories(root_ / folder);
        }
    }
    void TearDown() override {
        if (!HasFailure()) {
            stdfs::remove_all(root_);
        }
    }

    std::unique_ptr<target> on_;
    stdfs::path root_;
};

TEST_P(scenario_run, shows_the_user_what_the_table_expects) {
    const scenario& row = GetParam();
    const expectation& expected = row.expected;
    const bool on_windows = on_->name() != "native";
    if (row.temp_path_too_long && !on_windows) {
        GTEST_SKIP() << "the POSIX layer has no drive C: to fall back to";
    }
    std::vector<message_box> expected_boxes = expected.message_boxes;
    if (on_windows) {
        expected_boxes.insert(expected_boxes.begin(), expected.shell_message_boxes.begin(),
                              expected.shell_message_boxes.end());
    }

    run_request request;
    request.packed_stub = pack_scenario(row, *on_, (root_ / "pack").string());
    request.command_line = row.command_line;
    request.temp_folder = (root_ / "temp").string();
    if (row.temp_path_too_long) {
        request.temp_folder += "/" + std::string(300, 't');
    }
    request.start_folder = (root_ / "start").string();
    request.report_file = (root_ / "report.txt").string();
    request.installer_exit_code = row.installer_exit_code;
    request.on = row.on;
    const std::vector<stdfs::path> planted =
        row.planted_work_folders ? plant_work_folders(root_ / "temp") : std::vector<stdfs::path>{};
    const run_outcome outcome = on_->run(request);
    SCOPED_TRACE("the run printed:\n" + outcome.output);

    const run_paths paths{on_->windows_path(request.temp_folder),
                          on_->windows_path(request.packed_stub)};
    EXPECT_EQ(outcome.exit_code, expected.exit_code);

    ASSERT_EQ(outcome.message_boxes.size(), expected_boxes.size());
    for (std::size_t i = 0; i < expected_boxes.size(); ++i) {
        SCOPED_TRACE("message box " + std::to_string(i));
        EXPECT_EQ(outcome.message_boxes[i].caption, expected_boxes[i].caption);
        EXPECT_PRED3(matches, expected_boxes[i].text, outcome.message_boxes[i].text, paths);
    }

    const std::optional<installer_report> report = read_installer_report(request.report_file);
    ASSERT_EQ(report.has_value(), expected.installer_command_line.has_value());
    if (report) {
        EXPECT_PRED3(matches, *expected.installer_command_line, report->command_line, paths);
        EXPECT_PRED3(matches, expected.working_folder, report->working_folder, paths);
        EXPECT_EQ(report->files, expected.installer_folder);
        EXPECT_EQ(file_name_of(report->program), expected.started);
    }

    if (expected.work_folder_removed) {
        EXPECT_EQ(work_folders_in(root_ / "temp"), std::vector<std::string>{});
    }
    for (const stdfs::path& file : planted) {
        EXPECT_TRUE(stdfs::exists(file)) << file;
    }
    for (const std::string& name : expected.absent_from_temp) {
        EXPECT_FALSE(stdfs::exists(root_ / "temp" / name)) << name;
        EXPECT_FALSE(stdfs::exists(root_ / name)) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(table, scenario_run, testing::ValuesIn(all_scenarios()),
                         [](const testing::TestParamInfo<scenario>& row) {
                             return row.param.name;
                         });

}  // namespace

}  // namespace e2e
