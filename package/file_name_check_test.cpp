#include "package/file_name_check.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(file_name_refusal, allows_names_that_stay_inside_the_folder) {
    const std::string names[] = {
        "setup.exe",
        "data\\payload.bin",
        "data/payload.bin",
        "a\\b/c.txt",
        ".\\setup.exe",
        ".hidden",
        "..data",
        "data..",
        "CONFIG.SYS",
        "console.log",
        "nul_device.txt",
        "COM10",
        "LPT",
        "aux-files\\x",
        "name with spaces.msi",
        "caf\xE9.txt",
    };
    for (const std::string& name : names) {
        EXPECT_EQ(file_name_refusal(name), "") << name;
    }
}

TEST(file_name_refusal, refuses_names_that_could_lead_outside_the_folder) {
    struct refused {
        std::string name;
        std::string reason;
    };
    const refused cases[] = {
        {"", "an empty name"},
        {"\\setup.exe", "a rooted path"},
        {"/setup.exe", "a rooted path"},
        {"\\\\server\\share\\setup.exe", "a rooted path"},
        {"\\\\?\\C:\\setup.exe", "a rooted path"},
        {"//server/share/setup.exe", "a rooted path"},
        {"C:setup.exe", "a drive or stream colon"},
        {"C:\\Windows\\setup.exe", "a drive or stream colon"},
        {"setup.exe:stream", "a drive or stream colon"},
        {"setup.exe::$DATA", "a drive or stream colon"},
        {"..", "a \"..\" component"},
        {"..\\setup.exe", "a \"..\" component"},
        {"../setup.exe", "a \"..\" component"},
        {"data\\..\\..\\setup.exe", "a \"..\" component"},
        {"data/../setup.exe", "a \"..\" component"},
        {"data\\..", "a \"..\" component"},
        {"...\\setup.exe", "a \"..\" component"},
        {".. \\setup.exe", "a \"..\" component"},
        {". .\\setup.exe", "a \"..\" component"},
        {"CON", "a device name"},
        {"con", "a device name"},
        {"NUL.txt", "a device name"},
        {"nul .txt", "a device name"},
        {"AUX", "a device name"},
        {"PRN.log", "a device name"},
        {"COM1", "a device name"},
        {"com9.bin", "a device name"},
        {"LPT0", "a device name"},
        {"data\\LPT1.txt", "a device name"},
        {"CONIN$", "a device name"},
        {"conout$", "a device name"},
        {std::string("COM\xB9"), "a device name"},
    };
    for (const refused& c : cases) {
        EXPECT_EQ(file_name_refusal(c.name), c.reason) << c.name;
    }
}

}  // namespace
