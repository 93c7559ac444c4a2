// The TextBuffer: stable pointers, limits, and the spill file.
// Owed: a spill file that cannot grow (disk full) is not simulated.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "document/storage.h"
#include "document/text_buffer.h"
#include "tests/support/temp_folder.h"

using namespace rix;

namespace {

constexpr std::size_t MIB = 1024 * 1024;

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string read_file_at(const std::string& path, std::size_t pos, std::size_t n) {
    std::string out(n, '\0');
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return "<no file>";
    ssize_t got = ::pread(fd, out.data(), n, static_cast<off_t>(pos));
    ::close(fd);
    out.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return out;
}

void write_at(TextBuffer& b, BufferOffset off, const std::string& bytes) {
    std::memcpy(b.pointer(off), bytes.data(), bytes.size());
}

}  // namespace

TEST(TextBuffer, PointersStayWhileTheBufferGrows) {
    TextBuffer b;
    ASSERT_NE(b.pointer(0), nullptr);
    ASSERT_TRUE(b.reserve(10));
    std::uint8_t* first = b.pointer(0);
    write_at(b, 0, "line one");
    for (std::size_t grow = 1; grow <= 64; grow *= 4) {
        b.set_append_position(static_cast<BufferOffset>(grow * MIB));
        ASSERT_TRUE(b.reserve(MIB));
        write_at(b, b.append_position(), "more");
    }
    EXPECT_EQ(b.pointer(0), first);
    EXPECT_EQ(b.pointer(64 * MIB), first + 64 * MIB);
    EXPECT_EQ(std::memcmp(first, "line one", 8), 0);
    // Untouched memory reads as zero bytes.
    EXPECT_EQ(b.pointer(3 * MIB)[5], 0);
    EXPECT_FALSE(b.spilling());
}

TEST(TextBuffer, LimitAndScanSlackAtTheTopOfTheRange) {
    TextBuffer b;
    b.set_append_position(BUFFER_LIMIT - 10);
    EXPECT_TRUE(b.reserve(10));
    EXPECT_FALSE(b.reserve(11));
    // A scan may run MAX_LINE_SCAN bytes past the last reservable byte.
    std::uint8_t* top = b.pointer(BUFFER_LIMIT - 1);
    top[MAX_LINE_SCAN] = 0x42;
    EXPECT_EQ(top[MAX_LINE_SCAN], 0x42);
    b.clear();
    EXPECT_EQ(b.append_position(), 0u);
}

TEST(TextBuffer, SpillFileHoldsTheBytesFromTheThresholdOn) {
    test::TempFolder folder;
    std::string path;
    {
        TextBuffer b(folder.path(), 100);
        EXPECT_LE(b.spill_threshold(), 100u);   // rounded down to a page
        ASSERT_TRUE(b.reserve(1000));
        ASSERT_TRUE(b.spilling());
        path = b.spill_path();
        EXPECT_EQ(path.rfind(folder.path() + "/rix$t$p$." + std::to_string(::getpid()), 0), 0u) << path;
        write_at(b, 100, "spilled text");
        std::size_t at = 100 - b.spill_threshold();
        EXPECT_EQ(read_file_at(path, at, 12), "spilled text");
        // Growing maps more of the file at the same addresses; the old bytes stay.
        std::uint8_t* p100 = b.pointer(100);
        b.set_append_position(static_cast<BufferOffset>(20 * MIB));
        ASSERT_TRUE(b.reserve(MIB));
        write_at(b, static_cast<BufferOffset>(21 * MIB - 4), "tail");
        EXPECT_EQ(b.pointer(100), p100);
        EXPECT_EQ(std::memcmp(p100, "spilled text", 12), 0);
        EXPECT_EQ(read_file_at(path, 21 * MIB - 4 - b.spill_threshold(), 4), "tail");
    }
    EXPECT_FALSE(exists(path));
}

TEST(TextBuffer, BelowTheThresholdTextStaysInMemory) {
    test::TempFolder folder;
    const std::uint64_t threshold = 16 * MIB + 100;
    TextBuffer b(folder.path(), threshold);
    write_at(b, 0, "early");
    ASSERT_TRUE(b.reserve(MIB));
    EXPECT_FALSE(b.spilling());
    // Reaching the threshold (a reader's scan slack included) makes the file.
    std::uint64_t t = b.spill_threshold();
    write_at(b, static_cast<BufferOffset>(t + 8), "page text");   // already in the page below 16 MiB + 100
    b.set_append_position(static_cast<BufferOffset>(t + 20));
    ASSERT_TRUE(b.reserve(4 * MIB));
    ASSERT_TRUE(b.spilling());
    EXPECT_EQ(std::memcmp(b.pointer(static_cast<BufferOffset>(t + 8)), "page text", 9), 0);
    EXPECT_EQ(read_file_at(b.spill_path(), 8, 9), "page text");
    EXPECT_EQ(std::memcmp(b.pointer(0), "early", 5), 0);
    struct stat st;
    ASSERT_EQ(::stat(b.spill_path().c_str(), &st), 0);
    EXPECT_GE(static_cast<std::uint64_t>(st.st_size), 20 + 4 * MIB + MAX_LINE_SCAN);
    EXPECT_LE(b.committed_bytes(), t);
}

TEST(TextBuffer, NoSpillFolderNoFile) {
    test::TempFolder folder;
    TextBuffer b("", 100);
    ASSERT_TRUE(b.reserve(8 * MIB));
    write_at(b, 4 * MIB, "kept in memory");
    EXPECT_FALSE(b.spilling());
    EXPECT_TRUE(b.spill_path().empty());
}

TEST(TextBuffer, EachBufferHasItsOwnSpillFile) {
    test::TempFolder folder;
    TextBuffer a(folder.path(), 0);
    TextBuffer b(folder.path(), 0);
    ASSERT_TRUE(a.reserve(10));
    ASSERT_TRUE(b.reserve(10));
    EXPECT_NE(a.spill_path(), b.spill_path());
    write_at(a, 0, "A");
    write_at(b, 0, "B");
    EXPECT_EQ(a.pointer(0)[0], 'A');
    EXPECT_EQ(read_file_at(b.spill_path(), 0, 1), "B");
}

TEST(TextBuffer, SpillFolderThatCannotHoldTheFileRefusesTheSpace) {
    TextBuffer b("/nonexistent-folder-for-rix-tests", 0);
    EXPECT_FALSE(b.reserve(10));
    EXPECT_FALSE(b.spilling());
}

TEST(TextBuffer, DefaultThresholdNeverBelowTheFloor) {
    EXPECT_GE(default_spill_threshold(), 64 * MIB);
}
