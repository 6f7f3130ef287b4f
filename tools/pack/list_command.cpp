#include "tools/pack/list_command.hpp"

#include <cstdio>

#include "package/file_name_check.hpp"
#include "package/package_walk.hpp"
#include "tools/pack/pack_error.hpp"
#include "varnel/fs/system_error_text.hpp"

namespace {

// The bytes in double quotes; quotes, backslashes and bytes outside printable
// ASCII escaped.
std::string quoted(const std::string& bytes) {
    std::string text = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned int>(byte));
            text += escape;
        }
    }
    return text + "\"";
}

std::string byte_count(std::size_t size) {
    return std::to_string(size) + " bytes";
}

const char* role_name(chunk_role role) {
    switch (role) {
        case chunk_role::tag:
            return "tag";
        case chunk_role::key:
            return "key";
        case chunk_role::value:
            return "value";
        case chunk_role::file_name:
            return "file name";
        case chunk_role::content:
            return "content";
    }
    return "";
}

// One line per record; every chunk handed over has been verified.
class listing final : public package_visitor {
  public:
    explicit listing(std::ostream& out) : out_(out) {}

    void on_marker() override { out_ << "marker, md5 ok\n"; }

    void on_value(const std::string& key, const std::string& value) override {
        out_ << "value key " << quoted(key) << ", value " << quoted(value) << " ("
             << byte_count(value.size()) << "), md5 ok\n";
    }

    bool on_file(const std::string& key, const std::string& name,
                 const std::string& content) override {
        out_ << "file key " << quoted(key) << ", name " << quoted(name) << ", content "
             << byte_count(content.size()) << ", md5 ok\n";
        refusal_ = file_name_refusal(name);
        if (!refusal_.empty()) {
            refused_name_ = name;
            return false;
        }
        return true;
    }

    void on_other_record(const std::string& tag, const std::string& key) override {
        out_ << "other tag " << quoted(tag) << ", key " << quoted(key) << ", skipped, md5 ok\n";
    }

    void on_stub(const std::string& chunk) override {
        out_ << "stub, chunk " << byte_count(chunk.size()) << ", md5 ok\n";
    }

    // The reason a file record was refused, with its name.
    std::string refusal() const {
        return "file name " + quoted(refused_name_) + " is refused: " + std::string(refusal_);
    }

  private:
    std::ostream& out_;
    std::string refused_name_;
    std::string_view refusal_;
};

std::string chunk_text(const walk_result& result) {
    return std::string("the ") + role_name(result.role) + " chunk ending at offset " +
           std::to_string(result.chunk_end);
}

// "valid" or "invalid: " and why, as the stub would see the package.
std::string verdict(const walk_result& result, const listing& records) {
    switch (result.end) {
        case walk_end::cannot_open:
            return "invalid: the file cannot be opened";
        case walk_end::no_marker:
            return "invalid: no marker found";
        case walk_end::stopped:
            return "invalid: " + records.refusal();
        case walk_end::digest_mismatch:
            return "invalid: md5 mismatch in " + chunk_text(result);
        case walk_end::chunk_unreadable:
            return result.valid ? "valid, but no stub record: the walk ended at " +
                                      chunk_text(result) + ", which cannot be read"
                                : "invalid: " + chunk_text(result) + " cannot be read";
        case walk_end::stub_reached:
            return result.valid ? "valid" : "invalid: no verified marker chunk";
    }
    return "invalid";
}

}  // namespace

bool list_package(const std::string& path, std::ostream& out) {
    listing records(out);
    const walk_result result = walk_package(path, records);
    if (result.end == walk_end::cannot_open) {
        throw pack_error("cannot open '" + path + "': " + varnel::system_error_text(result.error));
    }
    out << verdict(result, records) << '\n';
    return result.valid && result.end != walk_end::stopped;
}
