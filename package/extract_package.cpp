#include "package/extract_package.hpp"

#include <algorithm>
#include <limits>
#include <optional>

#include "package/file_name_check.hpp"
#include "package/package_walk.hpp"
#include "platform/win32.hpp"
#include "varnel/fs/system_error_text.hpp"
#include "varnel/handle.hpp"

namespace {

void show_failure(const char* caption, const std::string& path, DWORD error) {
    const std::string text = "File: " + path + "\rError: " + varnel::system_error_text(error);
    MessageBoxA(nullptr, text.c_str(), caption, MB_OK);
}

// Writes content whole, in as few calls as WriteFile's count allows; false,
// with the last error telling why, when a write fails or stops short.
bool write_all(HANDLE file, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const auto count = static_cast<DWORD>(
            std::min<std::size_t>(content.size() - done, std::numeric_limits<DWORD>::max()));
        DWORD written = 0;
        if (!WriteFile(file, content.data() + done, count, &written, nullptr)) {
            return false;
        }
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

// Creates the file at path and writes content into it. Nothing when the file
// holds the whole content; otherwise the error code of the step that failed,
// ERROR_INVALID_NAME for a name that would lead outside the work folder.
std::optional<DWORD> extract_file(const std::string& name, const std::string& path,
                                  const std::string& content) {
    if (!file_name_refusal(name).empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return ERROR_INVALID_NAME;
    }
    varnel::handle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.is_open() || !write_all(file.get(), content) || !file.close()) {
        return GetLastError();
    }
    return std::nullopt;
}

// Values into the map, files into the work folder.
class extraction final : public package_visitor {
  public:
    extraction(const std::string& work_folder, value_map& values)
        : work_folder_(work_folder), values_(values) {}

    void on_value(const std::string& key, const std::string& value) override {
        values_.insert_if_absent(key, value);
    }

    bool on_file(const std::string& key, const std::string& name,
                 const std::string& content) override {
        if (!key.empty()) {
            values_.insert_if_absent(key, name);
        }
        const std::string path = work_folder_ + name;
        const std::optional<DWORD> error = extract_file(name, path, content);
        if (error) {
            show_failure("Failed to extract file!", path, *error);
            return false;
        }
        return true;
    }

  private:
    const std::string& work_folder_;
    value_map& values_;
};

}  // namespace

bool extract_package(const std::string& package_path, const std::string& work_folder,
                     value_map& values) {
    extraction visitor(work_folder, values);
    const walk_result result = walk_package(package_path, visitor);
    switch (result.end) {
        case walk_end::cannot_open:
            show_failure("Failed to open archive!", package_path, result.error);
            return false;
        case walk_end::no_marker:
            show_failure("Failed to initialize archive!", package_path, result.error);
            return false;
        case walk_end::stopped:
            return false;
        case walk_end::stub_reached:
        case walk_end::chunk_unreadable:
        case walk_end::digest_mismatch:
            break;
    }
    return result.valid;
}
