// Dialogs. There is no screen here: MessageBoxA writes the box to standard
// error, in one form that tests parse exactly,
//
//     "MessageBoxA: caption <N> bytes, text <M> bytes\n" <caption> "\n" <text> "\n"
//
// where N and M are the decimal byte counts of caption and text, which follow
// raw, their line feeds and carriage returns kept. A null caption is "Error",
// as on Windows; a null text is empty. The box is flushed at once, and the
// user is taken to have pressed OK: the result is always IDOK.
#include <cstdio>
#include <string>

#include "platform/posix/win32_api.hpp"

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    static_cast<void>(hWnd);   // no windows to own it
    static_cast<void>(uType);  // no buttons to choose from
    const std::string caption = lpCaption == nullptr ? "Error" : lpCaption;
    const std::string text = lpText == nullptr ? "" : lpText;
    const std::string box = "MessageBoxA: caption " + std::to_string(caption.size()) +
                            " bytes, text " + std::to_string(text.size()) + " bytes\n" + caption +
                            "\n" + text + "\n";
    // A box that cannot be written has nobody to tell; the program goes on as
    // it would after the user's OK.
    std::fwrite(box.data(), 1, box.size(), stderr);
    std::fflush(stderr);
    return IDOK;
}
