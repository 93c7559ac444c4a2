// The kind check of document files, and holding a document open.
// Owed: nothing known.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "document/document_state.h"
#include "../support/notices.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"
#include "rix_build_paths.h"

using namespace rix;

TEST(DocumentKind, ByteOrderMarkBeforeTheFirstNul) {
    EXPECT_EQ(classify_document_bytes(std::string("\xFF\xFE" "a\0b\0", 6)), DocumentKind::UNICODE_TEXT);
    // The mark anywhere before the first NUL counts.
    EXPECT_EQ(classify_document_bytes(std::string("abc\xFF\xFE" "d\0", 7)), DocumentKind::UNICODE_TEXT);
    // After the first NUL it does not: that is just a binary file.
    EXPECT_EQ(classify_document_bytes(std::string("a\0\x01\x02\x03\x04\x05\x06\xFF\xFE", 10)),
              DocumentKind::NOT_TEXT);
}

TEST(DocumentKind, Utf16WithoutMark) {
    std::string text;
    for (char c : std::string("This is plain English text in UTF-16 without a mark."))
        text += std::string(1, c) + '\0';
    EXPECT_EQ(classify_document_bytes(text), DocumentKind::UNICODE_TEXT);
}

TEST(DocumentKind, NulMakesItNoDocument) {
    EXPECT_EQ(classify_document_bytes(std::string("\x82\xa0\x82\xa2\0", 5)), DocumentKind::NOT_TEXT);
}

TEST(DocumentKind, DenseShiftJisPasses) {
    // Every double-byte code point from 0x8140 on, marker-free: no NUL, no BOM.
    std::string dense;
    for (int lead = 0x81; lead <= 0x9F; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            if (trail != 0x7F) dense += {static_cast<char>(lead), static_cast<char>(trail)};
    dense += "\r\n\x1A";
    EXPECT_EQ(classify_document_bytes(dense), DocumentKind::TEXT);
    EXPECT_EQ(classify_document_bytes(""), DocumentKind::TEXT);
}

TEST(DocumentKind, CorpusNovelsAreText) {
    for (const char* name : {"bocchan.txt", "rashomon.txt", "yume_juya.txt"})
        EXPECT_EQ(check_document_kind(std::string(RIX_CORPUS_DIR) + "/" + name), DocumentKind::TEXT) << name;
    EXPECT_EQ(check_document_kind("/nonexistent/rix/file.txt"), DocumentKind::UNREADABLE);
}

TEST(DocumentKind, FilesAreJudgedLikeTheirFirstBytes) {
    // The file is read in pieces: marks and NULs at piece boundaries, beyond
    // the UTF-16 sample and beyond the 2 MiB that are judged.
    rix::test::TempFolder dir;
    const std::string text(16 * 1024 - 1, 'a');
    struct Case {
        std::string bytes;
        DocumentKind kind;
    } cases[] = {
        {text + "\xFF\xFE" + "b", DocumentKind::UNICODE_TEXT},          // the mark across a boundary
        {text + "\xFF" + std::string("\0\xFE", 2), DocumentKind::NOT_TEXT},   // a NUL between its bytes
        {text + "a" + std::string("\0", 1), DocumentKind::NOT_TEXT},      // the NUL opens the second piece
        {std::string("\xFE\xFF") + text + std::string("\0", 1), DocumentKind::UNICODE_TEXT},
        {std::string(KIND_CHECK_BYTES, 'a') + std::string("\0", 1), DocumentKind::TEXT},
        {std::string(KIND_CHECK_BYTES - 1, 'a') + std::string("\0", 1), DocumentKind::NOT_TEXT},
        {std::string(KIND_CHECK_BYTES - 1, 'a') + "\xFF\xFE", DocumentKind::TEXT},   // the mark's end is beyond
    };
    // UTF-16 without a mark: judged on its first piece, the rest left unread.
    std::string utf16;
    for (int i = 0; i < 40000; ++i) utf16 += std::string("x\0", 2);
    int k = 0;
    for (const Case& c : cases) {
        const std::string path = dir.write("case" + std::to_string(k++), c.bytes);
        EXPECT_EQ(check_document_kind(path), c.kind) << "case " << k - 1;
        EXPECT_EQ(classify_document_bytes(c.bytes.substr(0, KIND_CHECK_BYTES)), c.kind) << "case " << k - 1;
    }
    EXPECT_EQ(check_document_kind(dir.write("utf16", utf16)), DocumentKind::UNICODE_TEXT);
    EXPECT_EQ(check_document_kind(dir.path()), DocumentKind::UNREADABLE);   // a folder is no document
}

TEST(DocumentKind, RefusalNotices) {
    Notices notices;
    test::SeenNotices messages{notices};
    EXPECT_TRUE(accept_document_kind(DocumentKind::TEXT, 0, &notices));
    EXPECT_TRUE(accept_document_kind(DocumentKind::ENCRYPTED, 0, &notices));
    EXPECT_TRUE(notices.empty());
    EXPECT_FALSE(accept_document_kind(DocumentKind::UNICODE_TEXT, 0, &notices));
    EXPECT_FALSE(accept_document_kind(DocumentKind::NOT_TEXT, 7, &notices));
    EXPECT_FALSE(accept_document_kind(DocumentKind::UNREADABLE, 0, &notices));
    EXPECT_FALSE(accept_document_kind(DocumentKind::NOT_TEXT, 0));   // no one to tell: refused all the same
    ASSERT_EQ(messages.log.size(), 3u);
    EXPECT_EQ(messages.utf8(0), "この文書はＵＮＩＣＯＤＥファイルです｡\nUNICODE版『ミルトア』をご使用ください。");
    EXPECT_EQ(messages.log[0].time_ms, 5000u);
    EXPECT_EQ(messages.utf8(1), "非文書ファイルです｡");
    EXPECT_EQ(messages.log[1].time_ms, 2000u);
    EXPECT_EQ(messages.log[1].owner, 7u);
    EXPECT_EQ(messages.utf8(2), "文書ファイルを読めません｡");
    EXPECT_EQ(messages.log[2].time_ms, 3000u);
}

TEST(DocumentOpen, MarkHeldAndGivenBack) {
    rix::test::TempFolder dir;
    Notices notices;
    std::string path = dir.write("a.txt", "abc");
    ::chmod(path.c_str(), 0604);
    DocumentState doc;
    ASSERT_TRUE(open_document_file(&doc, path, 0, &notices));
    EXPECT_TRUE(notices.empty());
    doc.save_name = path;
    EXPECT_TRUE(doc.in_use_mark_held);
    EXPECT_TRUE(is_read_only(path));
    EXPECT_EQ(doc.file_length, 3);

    // A second opener sees the mark and edits without it.
    DocumentState other;
    ASSERT_TRUE(open_document_file(&other, path, 0, &notices));
    EXPECT_FALSE(other.in_use_mark_held);
    ASSERT_EQ(notices.items.size(), 1u);
    EXPECT_EQ(notices.items[0].utf8.rfind("この文書は読取専用ファイルか\n", 0), 0u);
    EXPECT_EQ(notices.items[0].time_ms, 8000u);
    close_document(&other, true);
    EXPECT_TRUE(is_read_only(path));   // the second one gives nothing back

    close_document(&doc, true);
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_TRUE(file_exists(path));    // not created new: never deleted
    EXPECT_EQ(doc.text_fd, -1);
}

TEST(DocumentOpen, MissingFileReported) {
    Notices notices;
    DocumentState doc;
    EXPECT_FALSE(open_document_file(&doc, "/nonexistent/rix/a.txt", 0, &notices));
    ASSERT_EQ(notices.items.size(), 1u);
    EXPECT_EQ(notices.items[0].utf8, "文書ファイルを開けません｡\n/nonexistent/rix/a.txt\nファイルがありません｡");
    EXPECT_EQ(doc.text_fd, -1);
}
