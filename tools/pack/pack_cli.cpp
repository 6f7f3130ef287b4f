#include "tools/pack/pack_cli.hpp"

#include <exception>

#include "tools/pack/build_command.hpp"
#include "tools/pack/list_command.hpp"
#include "tools/pack/pack_error.hpp"

namespace {

constexpr const char* help_text =
    R"(Usage: stubra-pack build --stub STUB --output OUT [--value KEY=VALUE | --file KEY NAME SOURCE]...
       stubra-pack list PACKED
       stubra-pack --help

Appends an installation package to a copy of the stub executable, or lists
the package of a packed executable as the stub reads it.

build
  --stub STUB             the stub executable the package is appended to
  --output OUT            the packed executable to write, with the stub's
                          permissions; it is written as OUT.tmp-XXXXXX beside
                          OUT and renamed when complete
  --value KEY=VALUE       a value record: KEY is the text up to the first '=',
                          VALUE the rest; either may be empty
  --file KEY NAME SOURCE  a file record: the content of the file SOURCE,
                          extracted as NAME into the stub's work folder; KEY
                          names the file among the values (empty: not named)

  Records are stored in the order given. The stub reads them last to first
  and keeps the first value it reads for a key, so of two records with the
  same KEY the one given later wins ("source" and "commandline" are the
  stub's own and never replaced); of two files with the same NAME the one
  given earlier is extracted last and ends up on disk.
  NAME has to stay inside the work folder: not empty, not rooted, no drive,
  no ':', no ".." component, no device name such as CON or NUL. A folder part
  is allowed, but the stub creates no folders.
  Each payload holds at most 2147483644 bytes; the packed file stays below
  4 GiB.

  Example:
    stubra-pack build --stub stubra.exe --output setup.exe \
      --file executable32 installer.exe build/installer.exe \
      --value parameters=/quiet

list
  Prints one line per record in the order the stub reads them, nearest the
  end of the file first, then "valid" or "invalid: REASON".

Exit status: 0 success (list: a valid package), 1 failure, 2 wrong usage.
)";

// A command line that stubra-pack does not understand.
class usage_error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Hands out the arguments one by one.
class argument_reader {
  public:
    explicit argument_reader(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    bool done() const { return next_ == arguments_.size(); }

    std::string take() { return arguments_.at(next_++); }

    // The argument after option; a usage error when there is none.
    std::string take_for(const std::string& option, const char* what) {
        if (done()) {
            throw usage_error(option + " needs " + what);
        }
        return take();
    }

  private:
    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
};

record_request value_record(const std::string& argument) {
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos) {
        throw usage_error("--value needs KEY=VALUE, not '" + argument + "'");
    }
    return {
        record_request::kind::value, argument.substr(0, equals), argument.substr(equals + 1), {}};
}

void set_once(std::string& option_value, const std::string& option, argument_reader& reader,
              const char* what) {
    if (!option_value.empty()) {
        throw usage_error(option + " given twice");
    }
    option_value = reader.take_for(option, what);
    if (option_value.empty()) {
        throw usage_error(option + " needs a non-empty " + what);
    }
}

build_request parse_build(argument_reader& reader) {
    build_request request;
    while (!reader.done()) {
        const std::string option = reader.take();
        if (option == "--stub") {
            set_once(request.stub, option, reader, "STUB");
        } else if (option == "--output") {
            set_once(request.output, option, reader, "OUT");
        } else if (option == "--value") {
            request.records.push_back(value_record(reader.take_for(option, "KEY=VALUE")));
        } else if (option == "--file") {
            record_request file{record_request::kind::file, {}, {}, {}};
            file.key = reader.take_for(option, "KEY NAME SOURCE");
            file.text = reader.take_for(option, "KEY NAME SOURCE");
            file.source = reader.take_for(option, "KEY NAME SOURCE");
            request.records.push_back(file);
        } else {
            throw usage_error("build: unknown argument '" + option + "'");
        }
    }
    if (request.stub.empty()) {
        throw usage_error("build needs --stub STUB");
    }
    if (request.output.empty()) {
        throw usage_error("build needs --output OUT");
    }
    return request;
}

std::string parse_list(argument_reader& reader) {
    if (reader.done()) {
        throw usage_error("list needs the packed file");
    }
    const std::string path = reader.take();
    if (!reader.done()) {
        throw usage_error("list takes one file, not also '" + reader.take() + "'");
    }
    return path;
}

bool is_help(const std::string& argument) {
    return argument == "--help" || argument == "-h";
}

// "--help" alone or right after the command.
bool wants_help(const std::vector<std::string>& arguments) {
    return (!arguments.empty() && is_help(arguments[0])) ||
           (arguments.size() > 1 && is_help(arguments[1]));
}

int run(const std::vector<std::string>& arguments, std::ostream& out) {
    argument_reader reader(arguments);
    if (reader.done()) {
        throw usage_error("missing command: build or list");
    }
    const std::string command = reader.take();
    if (command == "build") {
        build_package(parse_build(reader));
        return pack_success;
    }
    if (command == "list") {
        return list_package(parse_list(reader), out) ? pack_success : pack_failure;
    }
    throw usage_error("unknown command '" + command + "'");
}

}  // namespace

int pack_main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (wants_help(arguments)) {
        out << help_text;
        return pack_success;
    }
    try {
        return run(arguments, out);
    } catch (const usage_error& error) {
        err << "stubra-pack: " << error.what() << "\nTry 'stubra-pack --help'.\n";
        return pack_usage_error;
    } catch (const std::exception& error) {
        err << "stubra-pack: " << error.what() << '\n';
        return pack_failure;
    }
}
