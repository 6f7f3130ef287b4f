#include "tests/e2e/process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace e2e {

namespace {

[[noreturn]] void fail(const std::string& call) {
    throw std::runtime_error(call + " failed: " + std::strerror(errno));
}

class file_descriptor {
  public:
    explicit file_descriptor(int fd = -1) : fd_(fd) {}
    file_descriptor(const file_descriptor&) = delete;
    file_descriptor& operator=(const file_descriptor&) = delete;
    ~file_descriptor() { reset(); }

    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = -1;
    }

  private:
    int fd_;
};

// A temporary file that receives one of the child's output streams.
class capture_file {
  public:
    capture_file() : path_("/tmp/stubra-e2e-capture-XXXXXX"), fd_(mkstemp(path_.data())) {
        if (fd_.get() < 0) {
            fail("mkstemp");
        }
    }
    capture_file(const capture_file&) = delete;
    capture_file& operator=(const capture_file&) = delete;
    ~capture_file() { unlink(path_.c_str()); }

    int fd() const { return fd_.get(); }
    std::string contents() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    std::string path_;
    file_descriptor fd_;
};

std::vector<std::string> environment_for(const process_request& request,
                                         const std::string& exit_code_fd) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        merged[text.substr(0, equals)] = equals == std::string::npos ? "" : text.substr(equals + 1);
    }
    for (const auto& name : request.unset) {
        merged.erase(name);
    }
    for (const auto& [name, value] : request.environment) {
        merged[name] = value;
    }
    if (!exit_code_fd.empty()) {
        merged["WIN32_EXIT_CODE_FD"] = exit_code_fd;
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : merged) {
        result.push_back(name + "=" + value);
    }
    return result;
}

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

class spawn_actions {
  public:
    spawn_actions() { posix_spawn_file_actions_init(&actions_); }
    spawn_actions(const spawn_actions&) = delete;
    spawn_actions& operator=(const spawn_actions&) = delete;
    ~spawn_actions() { posix_spawn_file_actions_destroy(&actions_); }
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

std::uint32_t exit_code_of(int status, int channel) {
    std::uint32_t full = 0;
    if (channel >= 0 && read(channel, &full, sizeof full) == sizeof full) {
        return full;
    }
    if (WIFEXITED(status)) {
        return static_cast<std::uint32_t>(WEXITSTATUS(status));
    }
    throw std::runtime_error("the program died of signal " + std::to_string(WTERMSIG(status)));
}

}  // namespace

process_result run_process(const process_request& request) {
    capture_file output;
    capture_file errors;
    int channel_ends[2] = {-1, -1};
    if (request.full_exit_code && pipe2(channel_ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        fail("pipe2");
    }
    file_descriptor channel_read(channel_ends[0]);
    file_descriptor channel_write(channel_ends[1]);

    spawn_actions actions;
    posix_spawn_file_actions_adddup2(actions.get(), output.fd(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), errors.fd(), STDERR_FILENO);
    if (channel_write.get() >= 0) {
        // dup2 onto itself clears close-on-exec in the child only.
        posix_spawn_file_actions_adddup2(actions.get(), channel_write.get(), channel_write.get());
    }
    if (!request.working_folder.empty()) {
        posix_spawn_file_actions_addchdir_np(actions.get(), request.working_folder.c_str());
    }

    std::vector<std::string> arguments = request.arguments;
    std::vector<std::string> environment = environment_for(
        request, channel_write.get() >= 0 ? std::to_string(channel_write.get()) : "");
    const std::vector<char*> argv = pointers_to(arguments);
    const std::vector<char*> envp = pointers_to(environment);

    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, argv[0], actions.get(), nullptr, argv.data(), envp.data());
    if (spawned != 0) {
        errno = spawned;
        fail("posix_spawn of " + request.arguments.front());
    }
    channel_write.reset();
    int status = 0;
    if (waitpid(child, &status, 0) != child) {
        fail("waitpid");
    }

    process_result result;
    result.exit_code = exit_code_of(status, channel_read.get());
    result.standard_output = output.contents();
    result.standard_error = errors.contents();
    return result;
}

}  // namespace e2e
