#include "tools/pack/build_command.hpp"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "package/file_name_check.hpp"
#include "package/package_format.hpp"
#include "tools/pack/pack_error.hpp"
#include "tools/pack/package_writer.hpp"

namespace {

namespace stdfs = std::filesystem;

std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

std::string last_system_error() {
    return std::generic_category().message(errno);
}

std::uint64_t readable_size(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = stdfs::file_size(path, error);
    if (error) {
        throw pack_error("cannot read " + quoted(path) + ": " + error.message());
    }
    return size;
}

std::string read_whole(const std::string& path, std::uint64_t size) {
    std::ifstream in(path, std::ios::binary);
    std::string content(static_cast<std::size_t>(size), '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    if (!in) {
        throw pack_error("cannot read " + quoted(path) + ": " + last_system_error());
    }
    if (in.peek() != std::ifstream::traits_type::eof()) {
        throw pack_error("cannot read " + quoted(path) + ": it grew while being read");
    }
    return content;
}

// Runs a size check of the writer, naming what it was about.
template <typename check>
void check_size(check size_check, std::uint64_t size, const std::string& what) {
    try {
        size_check(size);
    } catch (const package_size_error& error) {
        throw pack_error(what + ": " + error.what());
    }
}

// Throws for a payload or a packed file beyond the format's limits.
void check_sizes(const build_request& request, std::uint64_t stub_size,
                 const std::vector<std::uint64_t>& source_sizes) {
    std::uint64_t total = stub_size;
    total += chunk_size(0) + chunk_size(package_format::stub_tag.size());
    for (std::size_t i = 0; i < request.records.size(); ++i) {
        const record_request& record = request.records[i];
        check_size(check_payload_size, record.key.size(), "key " + quoted(record.key));
        total += chunk_size(record.key.size());
        if (record.type == record_request::kind::value) {
            check_size(check_payload_size, record.text.size(), "value of " + quoted(record.key));
            total += chunk_size(record.text.size()) + chunk_size(package_format::value_tag.size());
        } else {
            check_size(check_payload_size, record.text.size(), "file name " + quoted(record.text));
            check_size(check_payload_size, source_sizes[i], quoted(record.source));
            total += chunk_size(record.text.size()) + chunk_size(source_sizes[i]) +
                     chunk_size(package_format::file_tag.size());
        }
    }
    total += chunk_size(package_format::marker_tag.size());
    check_size(check_packed_size, total, quoted(request.output));
}

// The sizes of the file records' sources (0 for value records), after their
// names have passed the stub's own check.
std::vector<std::uint64_t> checked_sources(const build_request& request) {
    std::vector<std::uint64_t> sizes;
    for (const record_request& record : request.records) {
        if (record.type == record_request::kind::value) {
            sizes.push_back(0);
            continue;
        }
        const std::string_view refusal = file_name_refusal(record.text);
        if (!refusal.empty()) {
            throw pack_error("refused file name " + quoted(record.text) + ": " +
                             std::string(refusal) + "; the stub would not extract it");
        }
        sizes.push_back(readable_size(record.source));
    }
    return sizes;
}

// A new file beside the output, removed again unless it is renamed to the
// output.
class temporary_output {
  public:
    explicit temporary_output(const std::string& output) : path_(create_beside(output)) {}
    temporary_output(const temporary_output&) = delete;
    temporary_output& operator=(const temporary_output&) = delete;
    ~temporary_output() {
        if (!path_.empty()) {
            std::error_code ignored;  // nothing more to do about a file that cannot be removed
            stdfs::remove(path_, ignored);
        }
    }

    const std::string& path() const { return path_; }

    void rename_to(const std::string& output) {
        std::error_code error;
        stdfs::rename(path_, output, error);
        if (error) {
            throw pack_error("cannot write " + quoted(output) + ": " + error.message());
        }
        path_.clear();
    }

  private:
    // Creates output.tmp-XXXXXX, with a suffix no other file has.
    static std::string create_beside(const std::string& output) {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, ".tmp-%06x", random() & 0xFFFFFFu);
            const std::string path = output + suffix;
            // "x": fails when the file already exists.
            if (std::FILE* file = std::fopen(path.c_str(), "wbx")) {
                std::fclose(file);
                return path;
            }
            if (errno != EEXIST) {
                throw pack_error("cannot write " + quoted(path) + ": " + last_system_error());
            }
        }
        throw pack_error("cannot write " + quoted(output) + ": no free temporary name beside it");
    }

    std::string path_;
};

void write_package(const build_request& request, std::uint64_t stub_size,
                   const std::vector<std::uint64_t>& source_sizes, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    package_writer writer(out);
    writer.bytes(read_whole(request.stub, stub_size));
    writer.stub_record();
    for (std::size_t i = 0; i < request.records.size(); ++i) {
        const record_request& record = request.records[i];
        if (record.type == record_request::kind::value) {
            writer.value_record(record.key, record.text);
        } else {
            writer.file_record(record.key, record.text, read_whole(record.source, source_sizes[i]));
        }
    }
    writer.marker();
    out.close();
    if (!out) {
        throw pack_error("cannot write " + quoted(path) + ": " + last_system_error());
    }
}

void copy_permissions(const std::string& from, const std::string& to) {
    std::error_code error;
    const stdfs::file_status status = stdfs::status(from, error);
    if (!error) {
        stdfs::permissions(to, status.permissions(), error);
    }
    if (error) {
        throw pack_error("cannot set the permissions of " + quoted(to) + ": " + error.message());
    }
}

}  // namespace

void build_package(const build_request& request) {
    const std::uint64_t stub_size = readable_size(request.stub);
    const std::vector<std::uint64_t> source_sizes = checked_sources(request);
    check_sizes(request, stub_size, source_sizes);
    temporary_output temporary(request.output);
    write_package(request, stub_size, source_sizes, temporary.path());
    copy_permissions(request.stub, temporary.path());
    temporary.rename_to(request.output);
}
