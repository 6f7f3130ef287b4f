// The end-to-end scenario table, shared by every target.
#include "tests/e2e/scenario.hpp"

namespace e2e {

namespace {

const std::string invalid_archive_text =
    "We are sorry, but your installation / update did not complete due to unexpected download "
    "errors.\r\nPlease download full version of the program";

const message_box invalid_archive{"Invalid Archive!", invalid_archive_text};
const message_box spawn_failed{"ShellExecuteEx failed", "Unable to spawn process"};

const packed_file setup{"", "setup.exe", content::installer};
const packed_file readme{"readme", "readme.txt", content::readme};

scenario installer_run(std::string name) {
    scenario row;
    row.name = std::move(name);
    row.values = {{"executable32", "setup.exe"}, {"parameters", "/S"}};
    row.files = {setup, readme};
    row.expected.installer_command_line = " /S/V\"\"";
    row.expected.installer_folder = {"readme.txt", "setup.exe"};
    return row;
}

std::vector<scenario> make_scenarios() {
    std::vector<scenario> rows;

    {
        scenario row = installer_run("installer_exit_code_is_returned");
        row.installer_exit_code = 7;
        row.expected.exit_code = 7;
        rows.push_back(row);
    }
    {
        scenario row = installer_run("exit_code_above_255_is_returned_whole");
        row.installer_exit_code = 256;
        row.expected.exit_code = 256;
        rows.push_back(row);
    }
    {
        scenario row = installer_run("exit_code_with_the_top_bit_set_is_returned_whole");
        row.installer_exit_code = 0x80000005;
        row.expected.exit_code = 0x80000005;
        rows.push_back(row);
    }
    {
        scenario row = installer_run("signature_bytes_behind_the_package_are_stepped_over");
        row.after_packing = mutation::trailing_bytes;
        rows.push_back(row);
    }
    {
        scenario row;
        row.name = "executable64_is_started_on_64_bit_windows";
        row.values = {{"executable32", "setup32.exe"}, {"executable64", "setup64.exe"}};
        row.files = {{"", "setup32.exe", content::installer},
                     {"", "setup64.exe", content::installer}};
        row.on = machine::windows_64;
        row.expected.installer_command_line = " /V\"\"";
        row.expected.installer_folder = {"setup32.exe", "setup64.exe"};
        row.expected.started = "setup64.exe";
        rows.push_back(row);

        row.name = "executable32_is_started_on_32_bit_windows";
        row.on = machine::windows_32;
        row.expected.started = "setup32.exe";
        rows.push_back(row);
    }
    {
        scenario row;
        row.name = "a_stub_without_package_refuses";
        row.after_packing = mutation::unpacked_stub;
        row.expected.exit_code = 1;
        row.expected.message_boxes = {invalid_archive};
        rows.push_back(row);
    }
    {
        scenario row = installer_run("a_corrupt_payload_refuses_and_runs_nothing");
        row.after_packing = mutation::corrupt_payload;
        row.expected.exit_code = 1;
        row.expected.message_boxes = {invalid_archive};
        row.expected.installer_command_line.reset();
        rows.push_back(row);
    }
    {
        scenario row = installer_run("a_package_without_the_executable_value_starts_nothing");
        row.values = {{"parameters", "/S"}};
        row.expected.exit_code = 1;
        row.expected.message_boxes = {spawn_failed};
        row.expected.installer_command_line.reset();
        rows.push_back(row);
    }
    {
        scenario row = installer_run("a_file_name_leaving_the_work_folder_is_refused");
        row.after_packing = mutation::unchecked_names;
        row.files = {setup, {"", "..\\escaped.txt", content::readme}};
        row.expected.exit_code = 1;
        row.expected.message_boxes = {
            {"Failed to extract file!", "File: {work}\\..\\escaped.txt\rError: {any}"},
            invalid_archive};
        row.expected.installer_command_line.reset();
        row.expected.absent_from_temp = {"escaped.txt"};
        rows.push_back(row);
    }
    {
        scenario row = installer_run("command_line_and_msi_log_are_merged_into_the_parameters");
        row.values = {
            {"executable32", "setup.exe"}, {"parameters", "/s /V\"/qn\""}, {"msilog", "ON"}};
        row.command_line = "/V\"A=1\"";
        row.expected.installer_command_line =
            " /s /V\"/l*v \\\"{temp}\\Plenta_msi.log.txt\\\" A=1 /qn\"";
        rows.push_back(row);
    }
    {
        scenario row = installer_run("a_quoted_forwarded_value_keeps_its_escaped_quotes");
        row.values = {{"executable32", "setup.exe"}, {"parameters", "/V\"/qn\""}};
        row.command_line = "/S /V\"A=\\\"b c\\\" D=1\" /qn";
        row.expected.installer_command_line = "/S  /qn /V\"A=\\\"b c\\\" D=1 /qn\"";
        rows.push_back(row);
    }
    {
        scenario row = installer_run("the_partner_identity_is_taken_out_of_the_forwarded_value");
        row.values = {{"executable32", "setup.exe"}, {"parameters", "/V\"/qn\""}};
        row.command_line = "/V\"USER_PARTNER_IDENTITY=abc X=1\"";
        row.expected.installer_command_line = " /V\" X=1 /qn\"";
        rows.push_back(row);

        row.name = "a_virgin_package_keeps_the_partner_identity";
        row.values = {{"executable32", "setup.exe"}, {"parameters", "VIRGIN=1 /V\"/qn\""}};
        row.expected.installer_command_line = " VIRGIN=1 /V\"USER_PARTNER_IDENTITY=abc X=1 /qn\"";
        rows.push_back(row);
    }
    {
        scenario row = installer_run("references_in_the_parameters_are_expanded");
        row.values = {{"executable32", "%installer%"}, {"parameters", "/D=%source% /R=%readme%"}};
        row.files = {{"installer", "setup.exe", content::installer}, readme};
        row.expected.installer_command_line = " /D={work} /R=readme.txt/V\"\"";
        rows.push_back(row);
    }
    {
        scenario row =
            installer_run("an_executable_value_naming_the_source_is_put_behind_the_work_folder");
        row.values = {{"executable32", "%source%"}};
        row.expected.exit_code = 1;
        row.expected.shell_message_boxes = {{"Error", "{any}"}};  // as Wine's shell shows it
        row.expected.message_boxes = {spawn_failed};
        row.expected.installer_command_line.reset();
        rows.push_back(row);
    }
    {
        scenario row = installer_run("a_planted_work_folder_is_never_used");
        row.planted_work_folders = true;
        row.expected.exit_code = 1;
        row.expected.message_boxes = {
            {"SetCurrentDirectory failed", "Unable to set Working Directory"}};
        row.expected.installer_command_line.reset();
        row.expected.work_folder_removed = false;
        rows.push_back(row);
    }
    {
        scenario row = installer_run("without_a_temporary_folder_the_run_falls_back_to_c_temp");
        row.temp_path_too_long = true;
        row.expected.message_boxes = {{"GetTempPath failed", "Unable to get Temporary Directory"}};
        row.expected.working_folder = "C:\\Temp";
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

const std::vector<scenario>& all_scenarios() {
    static const std::vector<scenario> rows = make_scenarios();
    return rows;
}

}  // namespace e2e
