// stubra-wine-harness: starts a stub as a user would, answers its message
// boxes as a user would, and reports what the user saw.
//
//   stubra-wine-harness.exe [--temp WINPATH] STUB.exe [TAIL...]
//
// --temp sets TMP and TEMP (with a trailing backslash) for the stub. The
// stub's command line is "\"STUB.exe\" " followed by the tail: the arguments
// after the stub joined by single spaces, so a tail given as one argument
// arrives exactly as written.
//
// While the stub runs, every top-level dialog of class "#32770" that belongs
// to it is read (its caption, and the text of its static control 0xFFFF) and
// answered with OK. Afterwards standard output gets, in order, each message
// box in the form the POSIX build's MessageBoxA writes to standard error,
//     "MessageBoxA: caption <N> bytes, text <M> bytes\n" <caption> "\n" <text> "\n"
// and then the stub's full 32-bit exit code (Wine hands a shell only its low
// 8 bits):
//     "exit code: 0x%08X\n"
// The harness's own exit code is 0 when the report is complete, 2 otherwise.
#include <cstdio>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32.hpp"

namespace {

constexpr int message_text_control = 0xFFFF;
constexpr DWORD poll_interval_ms = 20;

struct options {
    std::string temp;
    std::string stub;
    std::string tail;
};

struct message_box {
    std::string caption;
    std::string text;
};

[[noreturn]] void fail(const std::string& call) {
    throw std::runtime_error(call + " failed with error " + std::to_string(GetLastError()));
}

class handle {
  public:
    explicit handle(HANDLE value) : value_(value) {}
    handle(const handle&) = delete;
    handle& operator=(const handle&) = delete;
    ~handle() { CloseHandle(value_); }

    HANDLE get() const { return value_; }

  private:
    HANDLE value_;
};

std::optional<options> parse_arguments(int argc, char** argv) {
    options parsed;
    int next = 1;
    if (next + 1 < argc && std::string(argv[next]) == "--temp") {
        parsed.temp = argv[next + 1];
        next += 2;
    }
    if (next >= argc) {
        return std::nullopt;
    }
    parsed.stub = argv[next++];
    for (int i = next; i < argc; ++i) {
        parsed.tail += (i == next ? "" : " ") + std::string(argv[i]);
    }
    return parsed;
}

void use_temp_folder(std::string folder) {
    if (folder.empty() || folder.back() != '\\') {
        folder += '\\';
    }
    for (const char* name : {"TMP", "TEMP"}) {
        if (!SetEnvironmentVariableA(name, folder.c_str())) {
            fail(std::string("SetEnvironmentVariableA ") + name);
        }
    }
}

// PROCESS_INFORMATION's two handles, closed when done.
struct started_process {
    handle process;
    handle thread;
    DWORD id;
};

started_process start(const options& run) {
    std::string command_line = "\"" + run.stub + "\" " + run.tail;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(run.stub.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        fail("CreateProcessA " + run.stub);
    }
    return {handle(info.hProcess), handle(info.hThread), info.dwProcessId};
}

// A window of another process: WM_GETTEXT is carried across to it, while
// GetWindowTextA would only give a control of another process an empty text.
std::string window_text(HWND window) {
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::string caption_of(HWND box) {
    std::string caption(static_cast<std::size_t>(GetWindowTextLengthA(box)) + 1, '\0');
    const int copied = GetWindowTextA(box, caption.data(), static_cast<int>(caption.size()));
    caption.resize(static_cast<std::size_t>(copied));
    return caption;
}

struct dialog_search {
    DWORD process_id;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_dialog(HWND window, LPARAM search_address) {
    auto& search = *reinterpret_cast<dialog_search*>(search_address);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char class_name[16] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    // A dialog becomes visible once its texts are set.
    if (owner == search.process_id && std::string(class_name) == "#32770" &&
        IsWindowVisible(window)) {
        search.found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> visible_dialogs_of(DWORD process_id) {
    dialog_search search{process_id, {}};
    EnumWindows(collect_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void press_ok(HWND box) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

// Records each message box once, in the order they appear, and answers it.
class message_box_answerer {
  public:
    void answer_all_of(DWORD process_id) {
        forget_closed_boxes();
        for (const HWND box : visible_dialogs_of(process_id)) {
            if (answered_.insert(box).second) {
                seen_.push_back(
                    {caption_of(box), window_text(GetDlgItem(box, message_text_control))});
                press_ok(box);
            }
        }
    }

    const std::vector<message_box>& seen() const { return seen_; }

  private:
    // A box still open was pressed and is closing; a closed one's handle may
    // come back for a new box.
    void forget_closed_boxes() {
        for (auto it = answered_.begin(); it != answered_.end();) {
            it = IsWindow(*it) ? std::next(it) : answered_.erase(it);
        }
    }

    std::set<HWND> answered_;
    std::vector<message_box> seen_;
};

DWORD run_answering_message_boxes(const options& run, message_box_answerer& user) {
    const started_process stub = start(run);
    for (;;) {
        const DWORD waited = WaitForSingleObject(stub.process.get(), poll_interval_ms);
        if (waited == WAIT_FAILED) {
            fail("WaitForSingleObject");
        }
        user.answer_all_of(stub.id);
        if (waited == WAIT_OBJECT_0) {
            break;
        }
    }
    DWORD exit_code = 0;
    if (!GetExitCodeProcess(stub.process.get(), &exit_code)) {
        fail("GetExitCodeProcess");
    }
    return exit_code;
}

std::string report(const std::vector<message_box>& boxes, DWORD exit_code) {
    std::string text;
    for (const message_box& box : boxes) {
        text += "MessageBoxA: caption " + std::to_string(box.caption.size()) + " bytes, text " +
                std::to_string(box.text.size()) + " bytes\n" + box.caption + "\n" + box.text + "\n";
    }
    char line[32];
    std::snprintf(line, sizeof line, "exit code: 0x%08lX\n", static_cast<unsigned long>(exit_code));
    return text + line;
}

// Straight to the handle: the C runtime's text mode would turn "\n" into
// "\r\n" and change the texts.
void write_standard_output(const std::string& text) {
    DWORD written = 0;
    if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
                   &written, nullptr) ||
        written != text.size()) {
        fail("WriteFile");
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<options> run = parse_arguments(argc, argv);
    if (!run) {
        std::fprintf(stderr, "usage: stubra-wine-harness [--temp WINPATH] STUB.exe [TAIL...]\n");
        return 2;
    }
    try {
        if (!run->temp.empty()) {
            use_temp_folder(run->temp);
        }
        message_box_answerer user;
        const DWORD exit_code = run_answering_message_boxes(*run, user);
        write_standard_output(report(user.seen(), exit_code));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "stubra-wine-harness: %s\n", error.what());
        return 2;
    }
}
