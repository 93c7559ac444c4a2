// New document names: numbering, the three-character rule, O_EXCL creation.
// Owed: nothing known.
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/documents/new_document.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

using namespace rix;

TEST(NewDocumentName, FirstInEmptyFolder) {
    EXPECT_EQ(next_document_name({}, "原稿_.txt", "/d", ""), "原稿_001.txt");
}

TEST(NewDocumentName, LargestNumberPlusOne) {
    std::vector<std::string> names = {"原稿_001.txt", "原稿_017.txt", "原稿_009.txt", "他.txt", "原稿_003.bak"};
    EXPECT_EQ(next_document_name(names, "原稿_.txt", "/d", ""), "原稿_018.txt");
}

TEST(NewDocumentName, StemMustBeThreeCharactersLonger) {
    // "原稿_12" is only two characters longer than "原稿_": its number does not count.
    EXPECT_EQ(next_document_name({"原稿_12.txt"}, "原稿_.txt", "/d", ""), "原稿_001.txt");
    // Four digits and beyond count and keep their width.
    EXPECT_EQ(next_document_name({"原稿_1200.txt"}, "原稿_.txt", "/d", ""), "原稿_1201.txt");
    // Characters after the digits do not stop the number from counting.
    EXPECT_EQ(next_document_name({"原稿_005改.txt"}, "原稿_.txt", "/d", ""), "原稿_006.txt");
}

TEST(NewDocumentName, SkipsTheCurrentSaveName) {
    EXPECT_EQ(next_document_name({}, "原稿_.txt", "/d", "/d/原稿_001.txt"), "原稿_002.txt");
}

TEST(NewDocumentName, PatternWithoutExtension) {
    EXPECT_EQ(next_document_name({"memo004"}, "memo", "/d", ""), "memo005");
}

TEST(NewDocumentCreate, NeverTruncatesAnExistingFile) {
    rix::test::TempFolder dir;
    // A file that the naming rule does not see (stem too short) but whose name
    // the rule would not pick anyway, and one made to collide.
    dir.write("原稿_001.txt", "既存の文章");
    std::string path;
    int fd = create_new_document(dir.path(), "原稿_.txt", "", &path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(path, dir.file("原稿_002.txt"));
    std::string kept;
    ASSERT_TRUE(read_whole_file(dir.file("原稿_001.txt"), &kept));
    EXPECT_EQ(kept, "既存の文章");
    EXPECT_EQ(file_size(path), 0);
}

TEST(NewDocumentCreate, MissingFolderFails) {
    std::string path;
    EXPECT_LT(create_new_document("/nonexistent-rix-folder", "原稿_.txt", "", &path), 0);
}
