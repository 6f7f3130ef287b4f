#include "tests/e2e/packing.hpp"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tests/e2e/process.hpp"
#include "tools/pack/package_writer.hpp"

namespace e2e {

namespace {

namespace stdfs = std::filesystem;

std::string source_of(const packed_file& file, const target& on, const std::string& folder) {
    if (file.source == content::installer) {
        return on.installer();
    }
    const std::string path = folder + "/readme-source.txt";
    std::ofstream(path, std::ios::binary) << "Read me before installing.\r\n";
    return path;
}

std::string contents_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The records in the packer's order, without the packer's checks.
void write_unchecked(const scenario& row, const target& on, const std::string& folder,
                     const std::string& packed) {
    std::ofstream out(packed, std::ios::binary);
    package_writer writer(out);
    writer.bytes(contents_of(on.stub()));
    writer.stub_record();
    for (const auto& [key, value] : row.values) {
        writer.value_record(key, value);
    }
    for (const auto& file : row.files) {
        writer.file_record(file.key, file.name, contents_of(source_of(file, on, folder)));
    }
    writer.marker();
    if (!out) {
        throw std::runtime_error("cannot write " + packed);
    }
}

void run_packer(const std::vector<std::string>& arguments) {
    process_request request;
    request.arguments = arguments;
    const process_result result = run_process(request);
    if (result.exit_code != 0) {
        throw std::runtime_error("stubra-pack failed: " + result.standard_error);
    }
}

void flip_byte(const std::string& path, std::uintmax_t offset) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekg(static_cast<std::streamoff>(offset));
    const int byte = file.get();
    file.seekp(static_cast<std::streamoff>(offset));
    file.put(static_cast<char>(byte ^ 0x5A));
}

// The last file record's content sits in front of its trailer, its name
// chunk, its key chunk and its tag chunk; the simplest byte to hit is the
// content's first one, found by searching for the readme text.
void corrupt_payload(const std::string& path) {
    const std::string bytes = contents_of(path);
    const std::size_t at = bytes.rfind("Read me before installing.");
    if (at == std::string::npos) {
        throw std::runtime_error("corrupt_payload needs a packed readme");
    }
    flip_byte(path, at);
}

void append_trailing_bytes(const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << std::string(1021, '\0') << "certificate table stand-in";
}

std::vector<std::string> packer_arguments(const scenario& row, const target& on,
                                          const std::string& folder, const std::string& packed) {
    std::vector<std::string> arguments = {
        required_environment("STUBRA_E2E_PACK"), "build", "--stub", on.stub(), "--output", packed};
    for (const auto& [key, value] : row.values) {
        arguments.insert(arguments.end(), {"--value", key + "=" + value});
    }
    for (const auto& file : row.files) {
        arguments.insert(arguments.end(),
                         {"--file", file.key, file.name, source_of(file, on, folder)});
    }
    return arguments;
}

}  // namespace

std::string pack_scenario(const scenario& row, const target& on, const std::string& folder) {
    const std::string packed = folder + "/packed-" + stdfs::path(on.stub()).filename().string();
    if (row.after_packing == mutation::unpacked_stub) {
        stdfs::copy_file(on.stub(), packed, stdfs::copy_options::overwrite_existing);
        return packed;
    }

    if (row.after_packing == mutation::unchecked_names) {
        write_unchecked(row, on, folder, packed);
    } else {
        run_packer(packer_arguments(row, on, folder, packed));
    }

    if (row.after_packing == mutation::corrupt_payload) {
        corrupt_payload(packed);
    } else if (row.after_packing == mutation::trailing_bytes) {
        append_trailing_bytes(packed);
    }
    stdfs::permissions(packed, stdfs::perms::owner_all, stdfs::perm_options::add);
    return packed;
}

}  // namespace e2e
