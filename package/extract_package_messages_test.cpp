// The message boxes of the extraction, as the POSIX layer writes them to
// standard error:
//   "MessageBoxA: caption <N> bytes, text <M> bytes\n" <caption> "\n" <text> "\n"
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "package/extract_package.hpp"
#include "package/md5.hpp"
#include "package/package_fixture.hpp"

namespace {

struct message_box {
    std::string caption;
    std::string text;

    bool operator==(const message_box& other) const {
        return caption == other.caption && text == other.text;
    }
};

void PrintTo(const message_box& box, std::ostream* out) {
    *out << "{" << testing::PrintToString(box.caption) << ", " << testing::PrintToString(box.text)
         << "}";
}

using message_boxes = std::vector<message_box>;

// Reads what follows "expected" at position in text; false when text does not
// continue with it.
bool skip(const std::string& text, std::size_t& position, const std::string& expected) {
    if (text.compare(position, expected.size(), expected) != 0) {
        return false;
    }
    position += expected.size();
    return true;
}

bool take_count(const std::string& text, std::size_t& position, std::size_t& count) {
    const std::size_t digits = text.find_first_not_of("0123456789", position);
    if (digits == position || digits == std::string::npos) {
        return false;
    }
    count = std::stoul(text.substr(position, digits - position));
    position = digits;
    return true;
}

bool take_bytes(const std::string& text, std::size_t& position, std::size_t count,
                std::string& bytes) {
    if (text.size() - position < count + 1 || text[position + count] != '\n') {
        return false;
    }
    bytes = text.substr(position, count);
    position += count + 1;
    return true;
}

message_boxes parse_message_boxes(const std::string& text) {
    message_boxes boxes;
    std::size_t position = 0;
    while (position < text.size()) {
        message_box box;
        std::size_t caption_size = 0;
        std::size_t text_size = 0;
        if (!skip(text, position, "MessageBoxA: caption ") ||
            !take_count(text, position, caption_size) || !skip(text, position, " bytes, text ") ||
            !take_count(text, position, text_size) || !skip(text, position, " bytes\n") ||
            !take_bytes(text, position, caption_size, box.caption) ||
            !take_bytes(text, position, text_size, box.text)) {
            ADD_FAILURE() << "not a message box at byte " << position << " of:\n" << text;
            break;
        }
        boxes.push_back(box);
    }
    return boxes;
}

class extract_package_messages_test : public package_fixture {
  protected:
    // The message boxes shown while the package is extracted into the work
    // folder given.
    message_boxes boxes_of_extraction(const std::string& package, const std::string& work) {
        testing::internal::CaptureStderr();
        result_ = extract_package(package, work, values_);
        return parse_message_boxes(testing::internal::GetCapturedStderr());
    }

    message_boxes boxes_of_extraction() { return boxes_of_extraction(package_, work_); }

    bool result_ = true;
};

TEST_F(extract_package_messages_test, a_missing_package_file_cannot_be_opened) {
    const std::string missing = scratch_ + "missing.exe";

    EXPECT_EQ(boxes_of_extraction(missing, work_),
              (message_boxes{
                  {"Failed to open archive!",
                   "File: " + missing + "\rError: The system cannot find the file specified."}}));
    EXPECT_FALSE(result_);
}

TEST_F(extract_package_messages_test, a_file_too_short_to_scan_cannot_be_initialised) {
    write_package([](package_writer& writer) { writer.bytes("MZ short"); });

    EXPECT_EQ(boxes_of_extraction(),
              (message_boxes{{"Failed to initialize archive!",
                              "File: " + package_ +
                                  "\rError: An attempt was made to move the file pointer before "
                                  "the beginning of the file."}}));
    EXPECT_FALSE(result_);
}

TEST_F(extract_package_messages_test, a_file_without_a_marker_cannot_be_initialised) {
    write_package([](package_writer& writer) { writer.bytes(fake_image()); });

    const message_boxes boxes = boxes_of_extraction();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Failed to initialize archive!");
    const std::string text_start = "File: " + package_ + "\rError: ";
    EXPECT_EQ(boxes[0].text.substr(0, text_start.size()), text_start);
    EXPECT_FALSE(result_);
}

TEST_F(extract_package_messages_test, names_the_file_that_cannot_be_extracted_and_why) {
    struct failing_file {
        std::string name;
        std::string error;
    };
    const failing_file cases[] = {
        {"missing\\setup.exe", "The system cannot find the path specified."},
        {"..\\escaped.txt", "The filename, directory name, or volume label syntax is incorrect."},
        {"", "The filename, directory name, or volume label syntax is incorrect."},
    };
    for (const failing_file& c : cases) {
        SCOPED_TRACE(c.name);
        write_records([&](package_writer& writer) { writer.file_record("key", c.name, "x"); });

        EXPECT_EQ(boxes_of_extraction(),
                  (message_boxes{{"Failed to extract file!",
                                  "File: " + work_ + c.name + "\rError: " + c.error}}));
        EXPECT_FALSE(result_);
    }
}

TEST_F(extract_package_messages_test, content_that_cannot_be_written_fails_the_extraction) {
    write_records([](package_writer& writer) { writer.file_record("", "full", "content"); });

    EXPECT_EQ(
        boxes_of_extraction(package_, "\\dev\\"),
        (message_boxes{{"Failed to extract file!",
                        "File: \\dev\\full\rError: There is not enough space on the disk."}}));
    EXPECT_FALSE(result_);
}

TEST_F(extract_package_messages_test, valid_and_broken_packages_show_no_message) {
    const std::function<void(package_writer&)> packages[] = {
        [](package_writer& writer) {
            writer.bytes(fake_image());
            writer.stub_record();
            writer.file_record("executable32", "setup.exe", "MZ");
            writer.marker();
        },
        [](package_writer& writer) {
            writer.bytes(fake_image());
            writer.stub_record();
            writer.chunk_with_digest("chunked-installer-tail", std::string(16, '\0'));
        },
        [](package_writer& writer) {
            writer.bytes(fake_image());
            writer.value_record("parameters", "/qn");
            writer.marker();
        },
        [](package_writer& writer) {
            writer.bytes(fake_image() + "chunked-installer-tail" + std::string(64, 'x'));
        },
    };
    for (const auto& package : packages) {
        write_package(package);

        EXPECT_EQ(boxes_of_extraction(), message_boxes{});
    }
}

}  // namespace
