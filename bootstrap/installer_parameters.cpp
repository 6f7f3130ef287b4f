#include "bootstrap/installer_parameters.hpp"

#include <exception>
#include <utility>

#include "bootstrap/work_folder.hpp"
#include "package/expand_values.hpp"
#include "platform/win32.hpp"

namespace {

// Puts option_text into the /V option of parameters, making one when there is
// none.
void put_into_v_option(std::string& parameters, const std::string& option_text) {
    if (parameters.find("/V") == std::string::npos) {
        parameters += "/V\"" + option_text + "\"";
        return;
    }
    const std::size_t quoted = parameters.find("/V\"");
    if (quoted != std::string::npos) {
        parameters.insert(quoted + 3, option_text + " ");
    } else {
        // Index 2 is inside the text, since the text holds "/V".
        parameters.insert(2, "\"" + option_text + "\"");
    }
}

std::string msi_log_path(const std::string& work_folder) {
    return parent_folder(work_folder) + "\\Plenta_msi.log.txt";
}

}  // namespace

void merge_forwarded_text(value_map& values, const std::string& forwarded) noexcept {
    try {
        std::string& stored = values.subscript("parameters");
        std::string parameters = stored;
        put_into_v_option(parameters, forwarded);
        stored = values.subscript("commandline") + " " + parameters;
    } catch (const std::exception&) {
        // Out of memory: "parameters" keeps the package's value, as nothing
        // was stored yet.
    }
}

void add_msi_log_option(value_map& values, const std::string& work_folder) noexcept {
    try {
        if (values.subscript("msilog") != "ON") {
            return;
        }
        const std::string path = msi_log_path(work_folder);
        // A log of an earlier run may be read-only; a missing file is no
        // failure, as the installer creates it.
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::string& stored = values.subscript("parameters");
        std::string parameters = stored;
        put_into_v_option(parameters, "/l*v \\\"" + path + "\\\"");
        stored = std::move(parameters);
    } catch (const std::exception&) {
        // Out of memory: "parameters" stays as it was, as nothing was stored
        // yet.
    }
}

std::string installer_parameters(value_map& values) {
    return expand_values(values.subscript("parameters"), values);
}

std::string executable_value(value_map& values, bool wow64) {
    return expand_values(values.subscript(wow64 ? "executable64" : "executable32"), values);
}
