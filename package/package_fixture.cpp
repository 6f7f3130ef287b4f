#include "package/package_fixture.hpp"

#include <algorithm>
#include <cctype>
#include <random>
#include <sstream>

#include "platform/win32.hpp"
#include "varnel/fs/remove_folder.hpp"
#include "varnel/fs/temp_path.hpp"

std::string fake_image() {
    return "MZ" + std::string(62, 'x') + std::string(448, '\0');
}

void package_fixture::SetUp() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0; }, '-');
    // A random suffix keeps runs of the same test at the same time apart.
    std::random_device random;
    scratch_ =
        varnel::fs::temp_path() + "stubra-package-" + name + "-" + std::to_string(random()) + "\\";
    ASSERT_TRUE(CreateDirectoryA(scratch_.c_str(), nullptr))
        << scratch_ << ": error " << GetLastError();
    work_ = scratch_ + "work\\";
    ASSERT_TRUE(CreateDirectoryA(work_.c_str(), nullptr)) << work_;
    package_ = scratch_ + "packed.exe";
}

void package_fixture::TearDown() {
    varnel::fs::remove_folder(scratch_);
}

void package_fixture::write_package(const std::function<void(package_writer&)>& build) {
    std::ostringstream bytes;
    package_writer writer(bytes);
    build(writer);
    write_file(package_, bytes.str());
}

void package_fixture::write_records(const std::function<void(package_writer&)>& records) {
    write_package([&](package_writer& writer) {
        writer.bytes(fake_image());
        writer.stub_record();
        records(writer);
        writer.marker();
    });
}
