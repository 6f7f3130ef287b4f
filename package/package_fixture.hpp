// Scratch files for the package tests, reached through the platform layer
// only, so the same tests run against the real Win32 API.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "package/extract_package.hpp"
#include "package/value_map.hpp"
#include "platform/test_scratch_folder.hpp"
#include "tools/pack/package_writer.hpp"

// The bytes of a small executable image: a header and a zero-filled end, as
// the last section of a real image has.
std::string fake_image();

// A folder of the test's own under the temporary folder, with an empty work
// folder in it and a path for the package file; removed after the test.
class package_fixture : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the package file from whatever the writer is told.
    void write_package(const std::function<void(package_writer&)>& build);

    // Writes the package file: the image, the stub record, the records the
    // function writes and the marker chunk.
    void write_records(const std::function<void(package_writer&)>& records);

    bool extract() { return extract_package(package_, work_, values_); }

    std::string scratch_;  // ends with a backslash
    std::string work_;     // inside scratch_, ends with a backslash
    std::string package_;  // inside scratch_
    value_map values_;
};
