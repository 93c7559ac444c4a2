// Saving: the files a save leaves (text, extension file, backup), a save
// followed by a load giving the same document, and the faults: a failed
// rename, a load that stopped before the end, a document marked elsewhere,
// temporaries left by saves that never finished.
//
// Tests still owed: a folder without write permission (tests run as root).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "document/extension_writer.h"
#include "document/save.h"
#include "fuzz/fuzz_entries.h"
#include "platform/cipher.h"
#include "../support/notices.h"
#include "platform/files.h"
#include "platform/save_temporaries.h"
#include "tests/support/temp_folder.h"
#include "doc_builder.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

using test::slurp;

using test::sj;

// A tag block as the loader writes it: serial, attributes, text.
std::string tag_block(int serial, int a1, int a2, std::string_view text) {
    std::string s = {'\xFD', static_cast<char>(serial >> 8), static_cast<char>(serial), static_cast<char>(a1),
                     static_cast<char>(a2)};
    return s + std::string(text) + "\xFD";
}

struct Loaded {
    Document doc;
    DocumentState state;
    ExtensionFile ext;
    LoadSession session;
    Notices notices;                     // what opening, loading and saving reported
    test::ScriptedQuestions questions;   // none expected
};

// Opens `path` as the editor does (held, marked) and loads it.
void open_and_load(Loaded& l, const std::string& path, std::size_t chunk = DEFAULT_CHUNK_BYTES, bool all = true) {
    ASSERT_TRUE(open_document_file(&l.state, path, 0, &l.notices));
    l.state.save_name = path;
    ExtensionStatus st = open_extension_file(path, 0, &l.ext, l.questions);
    l.session.extension = st == ExtensionStatus::OK ? &l.ext : nullptr;
    l.session.options.chunk_size = chunk;
    l.doc.rules = test::rules(20, 1);
    start_load(l.doc, l.state, l.session, false, 40, &l.notices);
    if (all) load_all(l.doc, l.state, l.session, &l.notices);
}

class Save : public ::testing::Test {
protected:
    void TearDown() override {
        for (Loaded* l : {&a, &b}) close_document(&l->state, false);
    }
    // A document the editor made new under `name` (held, marked, no old text).
    void start_new(Loaded& l, const std::string& name) {
        std::string path = dir.write(name, "");
        ASSERT_TRUE(open_document_file(&l.state, path, 0, &l.notices));
        l.state.save_name = path;
        l.state.opened_path.clear();
        l.doc.rules = test::rules(20, 1);
    }
    test::TempFolder dir;
    Loaded a, b;
    test::SeenNotices fake{a.notices};
    SaveRun run;
};

TEST_F(Save, OneRecordOfEachKindSavesAndLoadsBackTheSame) {
    start_new(a, "doc.txt");
    test::build(a.doc, {sj("あ") + test::ruby("かんじ", 2) + sj("漢字") + tag_block(0, 10, 20, "memo") + sj("い"),
                        sj("第一章"), ""});
    a.doc.lines.set_marks(1, 5);
    a.doc.formats.set_word(1, 0x00300000);
    a.doc.index.push_back({1, 2, sj("第一章")});
    a.state.modified = MODIFIED_TEXT | MODIFIED_EXTENSION;
    SaveRequest q;
    q.header.title = sj("題名");
    q.header.print_title = sj("印刷題");
    q.header.jumps[2] = sj("跳");
    q.header.screen_format = 2;
    q.restore_flags = 1;
    q.cursor = TextPos(1, 4);
    ASSERT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Saved);
    EXPECT_EQ(a.state.modified, 0);
    EXPECT_TRUE(is_read_only(a.state.save_name));   // the mark is held again

    EXPECT_EQ(slurp(dir.file("doc.txt")), sj("あ漢字い\r\n第一章\r\n") + "\x1A");
    ExtensionFile e;
    e.header.text_extension = "txt";
    e.header.title = sj("題名"), e.header.print_title = sj("印刷題"), e.header.jumps[2] = sj("跳");
    e.header.cursor = TextPos(1, 4), e.header.screen_format = 2;
    e.index.push_back({1, 2, sj("第一章")});
    e.line_records.push_back({1, 5, 0x00300000});
    e.positions.push_back({PositionKind::RUBY, 0, 2, 0x02, 0, 0, sj("かんじ")});
    e.positions.push_back({PositionKind::TAG, 0, 6, 0, 10, 20, "memo"});
    EXPECT_EQ(slurp(dir.file("doc.rix")), encode_extension_file(e));
    EXPECT_FALSE(file_exists(dir.file("doc.bak")));   // a new document has no old text

    close_document(&a.state, false);
    open_and_load(b, dir.file("doc.txt"));
    EXPECT_EQ(b.session.extension, &b.ext);   // same age, same extension: used
    EXPECT_EQ(fuzz::document_image(b.doc, b.state), fuzz::document_image(a.doc, b.state));
    EXPECT_EQ(b.ext.header.title, sj("題名"));
    EXPECT_EQ(b.ext.header.print_title, sj("印刷題"));
    EXPECT_EQ(b.ext.header.jumps[2], sj("跳"));
    EXPECT_EQ(b.ext.header.cursor, TextPos(1, 4));
    EXPECT_TRUE(fake.log.empty()) << fake.utf8(0);
    EXPECT_TRUE(b.notices.empty()) << test::SeenNotices(b.notices).utf8(0);
    EXPECT_TRUE(b.questions.asked.empty());
}

TEST_F(Save, IndexRecordsOfAnEmptyNameAFullNameAndThePageBreakComeBack) {
    start_new(a, "outline.txt");
    test::build(a.doc, {sj("序"), sj("第一章"), sj("一"), ""});
    const std::string full = sj("あいうえおかきくけこさしすせそたちつてと");   // 40 bytes
    a.doc.index = {{0, 0x00, ""}, {1, 0x01, full}, {2, 0x0A, "p"}};        // level 3 with the page-break flag
    a.state.modified = MODIFIED_TEXT | MODIFIED_EXTENSION;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run, &a.notices), SaveResult::Saved);

    // After the 128-byte header, record by record: line, 0x80 | units << 4 | level byte, five zeros, the name.
    std::string records;
    records += std::string("\x00\x00\x90", 3) + std::string(5, '\0') + std::string(8, '\0');   // an empty name: one unit
    records += std::string("\x00\x01\xD1", 3) + std::string(5, '\0') + full;                 // five units, no NUL
    records += std::string("\x00\x02\x9A", 3) + std::string(5, '\0') + "p" + std::string(7, '\0');
    const std::string file = slurp(dir.file("outline.rix"));
    ASSERT_GE(file.size(), 128 + records.size());
    EXPECT_EQ(file.substr(128, records.size()), records);

    close_document(&a.state, false);
    open_and_load(b, dir.file("outline.txt"));
    ASSERT_EQ(b.doc.index.size(), 3u);
    EXPECT_EQ(b.doc.index[0].title, "");
    EXPECT_EQ(b.doc.index[0].level, 0x00);
    EXPECT_EQ(b.doc.index[1].title, full);
    EXPECT_EQ(b.doc.index[1].line, 1u);
    EXPECT_EQ(b.doc.index[2].level, 0x0A);
    EXPECT_EQ(b.doc.index[2].line, 2u);
}

// More entries than the index window registers come back whole, and the
// next save keeps them all.
TEST_F(Save, AnIndexOfMoreThanAThousandEntriesComesBackWhole) {
    start_new(a, "long.txt");
    std::vector<std::string> lines(1201, "x");
    lines.back() = "";
    test::build(a.doc, lines);
    for (std::uint32_t k = 0; k < 1200; ++k) a.doc.index.push_back({k, 0x00, "e" + std::to_string(k)});
    a.state.modified = MODIFIED_TEXT | MODIFIED_EXTENSION;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run, &a.notices), SaveResult::Saved);
    close_document(&a.state, false);

    open_and_load(b, dir.file("long.txt"));
    ASSERT_EQ(b.doc.index.size(), 1200u);
    EXPECT_EQ(b.doc.index[1199].title, "e1199");
    EXPECT_EQ(b.doc.index[1199].line, 1199u);
    b.state.modified = MODIFIED_EXTENSION;
    SaveRun again;
    ASSERT_EQ(save_document(b.doc, b.state, b.session, SaveRequest{}, again, &b.notices), SaveResult::Saved);
    ExtensionFile x;
    ASSERT_EQ(open_extension_file(dir.file("long.txt"), 0, &x, a.questions), ExtensionStatus::OK);
    EXPECT_EQ(x.index.size(), 1200u);
}

TEST_F(Save, NothingToKeepLeavesNoExtensionFile) {
    start_new(a, "plain.text");
    dir.write("plain.rix", "RIX45tex stale");
    test::build(a.doc, {sj("本文"), ""});
    a.state.modified = MODIFIED_TEXT;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run, &a.notices), SaveResult::Saved);
    EXPECT_FALSE(file_exists(dir.file("plain.rix")));
    EXPECT_EQ(slurp(dir.file("plain.text")), sj("本文\r\n") + "\x1A");

    // A ruby in a ".text" document: its extension file is found again.
    test::build(a.doc, {test::ruby("ほん", 1) + sj("本"), ""});
    a.state.modified = MODIFIED_EXTENSION;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run, &a.notices), SaveResult::Saved);
    open_and_load(b, dir.file("plain.text"));
    EXPECT_EQ(count_document(b.doc).rubies, 1u);
}

TEST_F(Save, BackupIsTheTextBeforeTheFirstSaveOfTheRun) {
    std::string path = dir.write("n.txt", "first\r\n");
    open_and_load(a, path);
    SaveRequest q;
    q.mode = SAVE_MODE_MENU;
    for (const char* text : {"second", "third"}) {
        test::build(a.doc, {text, ""});
        a.state.modified = MODIFIED_TEXT;
        ASSERT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Saved);
        EXPECT_EQ(slurp(path), std::string(text) + "\r\n\x1A");
        EXPECT_EQ(slurp(dir.file("n.bak")), "first\r\n");
    }
    EXPECT_FALSE(is_read_only(dir.file("n.bak")));   // the backup does not carry the mark
    // The final save with no_backup removes it and gives the mark up.
    q.mode = SAVE_MODE_SWITCH_OR_END;
    q.no_backup = true;
    a.state.modified = MODIFIED_TEXT;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Saved);
    EXPECT_FALSE(file_exists(dir.file("n.bak")));
    EXPECT_FALSE(is_read_only(path));
    EXPECT_FALSE(a.state.in_use_mark_held);
}

TEST_F(Save, UnchangedDocumentIsNotWritten) {
    std::string path = dir.write("u.txt", "same\r\n\x1A");
    open_and_load(a, path);
    SaveRequest q;
    q.mode = SAVE_MODE_MENU;
    EXPECT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Nothing);
    EXPECT_TRUE(fake.saw("文書は変更されていません"));
    // Only the extension data changed and the save form equals the file: no backup, same text.
    a.state.modified = MODIFIED_EXTENSION;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Saved);
    EXPECT_FALSE(file_exists(dir.file("u.bak")));
    EXPECT_EQ(slurp(path), "same\r\n\x1A");
}

TEST_F(Save, UnchangedDocumentUpdatesOnlyTheHeaderOfItsOwnFile) {
    start_new(a, "h.txt");
    test::build(a.doc, {test::ruby("か", 1) + sj("火"), ""});
    a.state.modified = MODIFIED_EXTENSION;
    SaveRequest q;
    q.header.screen_format = 1;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Saved);
    close_document(&a.state, false);
    std::string before = slurp(dir.file("h.rix"));

    open_and_load(b, dir.file("h.txt"));
    q.mode = SAVE_MODE_SWITCH_OR_END;
    q.restore_flags = 1;
    q.cursor = TextPos(0, 2);
    q.header.screen_format = 3;
    EXPECT_EQ(save_document(b.doc, b.state, b.session, q, run, &b.notices), SaveResult::Nothing);
    std::string after = slurp(dir.file("h.rix"));
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i < 32 || (i > 35 && i != 40)) {
            EXPECT_EQ(after[i], before[i]) << i;
        }
    }
    EXPECT_EQ(after.substr(32, 4), std::string("\0\0\0\x02", 4));
    EXPECT_EQ(after[40], 3);
}

int failing_rename(const char*, const char*) {
    errno = EACCES;
    return -1;
}

TEST_F(Save, FailedRenameKeepsTheOldFileAndReportsFailure) {
    std::string path = dir.write("r.txt", "old\r\n");
    open_and_load(a, path);
    test::build(a.doc, {"new", ""});
    a.state.modified = MODIFIED_TEXT;
    SaveRequest q;
    q.rename = failing_rename;
    EXPECT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Failed);
    EXPECT_EQ(slurp(path), "old\r\n");
    EXPECT_EQ(a.state.modified, MODIFIED_TEXT);
    EXPECT_TRUE(fake.saw("もう一度試行します"));
    // The last message names the temporary file that holds the new text.
    std::string last = fake.utf8(fake.log.size() - 1);
    std::size_t at = last.find(dir.path());
    ASSERT_NE(at, std::string::npos) << last;
    EXPECT_EQ(slurp(last.substr(at)), "new\r\n\x1A");
}

TEST_F(Save, RemovesTemporariesOfEndedSavesAndKeepsAFailedOnesText) {
    std::string path = dir.write("t.txt", "old\r\n");
    pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    std::string stray = dir.write(".rix-save-" + std::to_string(child) + "-t-Ab12Cd", "half");
    test::age(stray);
    open_and_load(a, path);
    test::build(a.doc, {"new", ""});
    a.state.modified = MODIFIED_TEXT;
    SaveRequest q;
    q.mode = SAVE_MODE_MENU;
    q.rename = [](const char*, const char*) { return -1; };
    EXPECT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Failed);
    EXPECT_FALSE(file_exists(stray));
    // The new text kept for the writer under a visible name the next sweep leaves.
    EXPECT_EQ(slurp(dir.file("t.txt.unsaved")), "new\r\n\x1A");
    EXPECT_TRUE(fake.saw(dir.file("t.txt.unsaved")));
    EXPECT_EQ(remove_dead_save_temporaries(dir.path()), 0);
    EXPECT_TRUE(file_exists(dir.file("t.txt.unsaved")));
    EXPECT_EQ(slurp(path), "old\r\n");
}

TEST_F(Save, DocumentWithoutTheMarkIsRefused) {
    std::string path = dir.write("ro.txt", "x");
    ::chmod(path.c_str(), 0444);
    open_and_load(a, path);
    a.state.modified = MODIFIED_TEXT;
    EXPECT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run, &a.notices), SaveResult::Failed);
    EXPECT_TRUE(fake.saw("読取専用ファイルです"));
}

TEST_F(Save, PartlyLoadedDocumentKeepsItsRest) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\r\n";
    std::string path = dir.write("p.txt", text);
    open_and_load(a, path, 64, false);
    ASSERT_FALSE(a.doc.fully_loaded());
    a.state.modified = MODIFIED_TEXT;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run, &a.notices), SaveResult::Saved);
    EXPECT_EQ(slurp(path), text + "\x1A");   // the rest was loaded first

    // A load that stopped (a limit): the rest is copied as it stands, twice over.
    close_document(&a.state, false);
    open_and_load(b, path, 64, false);
    b.session.carry.stopped = true;
    std::uint32_t lines = b.doc.lines.count();
    for (int round = 0; round < 2; ++round) {
        b.state.modified = MODIFIED_TEXT;
        ASSERT_EQ(save_document(b.doc, b.state, b.session, SaveRequest{}, run, &b.notices), SaveResult::Saved);
        EXPECT_EQ(slurp(path), text + "\x1A") << round;
        EXPECT_EQ(b.doc.lines.count(), lines);
    }
}

std::string read_corpus(const char* name) {
    std::string s;
    read_whole_file(std::string(RIX_CORPUS_DIR) + "/" + name, &s);
    return s;
}

TEST_F(Save, CorpusSavesToTheSameBytes) {
    for (const char* novel : {"bocchan.txt", "yume_juya.txt", "rashomon.txt"}) {
        std::string text = read_corpus(novel);
        ASSERT_FALSE(text.empty());
        std::string path = dir.write(novel, text);
        Loaded l;
        open_and_load(l, path, 4096, false);
        std::string out = dir.file(std::string("out_") + novel);
        if (l.state.in_use_mark_held) clear_in_use_mark(path, l.state.saved_mode);
        l.state.save_name = out;
        l.state.saved_mode = 0644;
        SaveRequest q;
        q.mode = SAVE_MODE_NEW_NAME;
        EXPECT_EQ(save_document(l.doc, l.state, l.session, q, run, &l.notices), SaveResult::Saved) << novel;
        EXPECT_EQ(slurp(out), text + "\x1A") << novel;
        EXPECT_FALSE(file_exists(out.substr(0, out.size() - 3) + "rix"));
        close_document(&l.state, false);
    }
}

}  // namespace
}  // namespace rix

namespace rix {
namespace {

// Tags at column 0 whose texts end on either side of the 8-byte units (7, 8,
// 119, 126 bytes: n = 2, 2, 16, 16) and at the longest (1000 bytes), one with
// no size of its own: saved and loaded in small chunks they come back with
// their texts, the default size in place of 0, and serials that never repeat.
TEST_F(Save, TagsRoundTripThroughTheExtensionFileInSmallChunks) {
    start_new(a, "tags.txt");
    const std::size_t lengths[] = {7, 8, 119, 126, 1000};
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < 5; ++i)
        lines.push_back(tag_block(static_cast<int>(i), i == 0 ? 0 : 10, i == 0 ? 0 : 20,
                                  std::string(lengths[i], static_cast<char>('a' + i))) + sj("行"));
    lines.push_back("");
    test::build(a.doc, lines);
    a.state.modified = MODIFIED_TEXT | MODIFIED_EXTENSION;
    SaveRequest q;
    q.tag_default_attr1 = 60, q.tag_default_attr2 = 75;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Saved);

    // The first tag record as laid out: line 0, 0, n = 2, the default sizes,
    // column 0, then its text NUL-padded to 16 bytes.
    const std::string ext = slurp(dir.file("tags.rix"));
    ASSERT_GE(ext.size(), EXT_HEADER_BYTES + 24);
    EXPECT_EQ(ext.substr(EXT_HEADER_BYTES, 24),
              std::string("\x00\x00\x00\x02\x3C\x4B\x00\x00", 8) + "aaaaaaa" + std::string(9, '\0'));

    close_document(&a.state, false);
    open_and_load(b, dir.file("tags.txt"), 512);
    std::vector<int> serials;
    for (std::uint32_t i = 0; i < 5; ++i) {
        const std::uint8_t* p = b.doc.line_pointer(i);
        const std::string expected = std::string(lengths[i], static_cast<char>('a' + i));
        ASSERT_EQ(p[0], 0xFD) << i;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(p + 5), expected.size()), expected) << i;
        EXPECT_EQ(p[5 + expected.size()], 0xFD) << i;
        EXPECT_EQ(p[3], i == 0 ? 60 : 10) << i;
        EXPECT_EQ(p[4], i == 0 ? 75 : 20) << i;
        serials.push_back(p[1] << 8 | p[2]);
    }
    std::sort(serials.begin(), serials.end());
    EXPECT_EQ(std::adjacent_find(serials.begin(), serials.end()), serials.end());
    EXPECT_EQ(b.doc.load.tag_serial, 5u);
}

TEST_F(Save, LineFormatWordsOfEveryFieldComeBack) {
    // Red at 140 % and bold; a hanging indent with an end indentation and
    // blue; bold alone; 70 % alone; a colour index without its switch (not
    // a format: it gets no line record and comes back as the plain line).
    const std::vector<std::uint32_t> words = {0x9800C000, 0xCE120000, 0x00008000, 0x00007000, 0x90000000, 0};
    start_new(a, "fmt.txt");
    test::build(a.doc, {sj("見出し"), sj("引用"), sj("太"), sj("小"), sj("色"), ""}, words);
    a.state.modified = MODIFIED_TEXT | MODIFIED_EXTENSION;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run, &a.notices), SaveResult::Saved);
    const std::string ext = slurp(dir.file("fmt.rix"));
    // The line record of line 1 as the layout table has it: line, marks, 0, word (big-endian).
    EXPECT_NE(ext.find(std::string("\x00\x01\x00\x00\xCE\x12\x00\x00", 8)), std::string::npos);
    close_document(&a.state, false);
    open_and_load(b, dir.file("fmt.txt"));
    for (std::uint32_t l = 0; l < 4; ++l) EXPECT_EQ(b.doc.formats.word(l), words[l]) << l;
    EXPECT_EQ(b.doc.formats.word(4), 0u);
}

}  // namespace
}  // namespace rix

namespace rix {
namespace {

std::string deciphered(std::string bytes, const std::string& key) {
    CipherStream s(derive_cipher_key(key, KeyForm::STRONG));
    s.process(bytes.data(), bytes.size());
    return bytes;
}

// What each rename put into place held at that moment.
std::vector<std::string> renamed_bytes;
int recording_rename(const char* from, const char* to) {
    renamed_bytes.push_back(slurp(from));
    return ::rename(from, to);
}

// Nothing a save of an encrypted document writes beside it is plain: not
// the text's temporary, not the temporary kept after a failed rename, not
// the backup of a plain file it replaces, not the backup under a changed key.
TEST_F(Save, AnEncryptedDocumentLeavesNothingPlainBesideIt) {
    const std::string path = dir.write("e.txt", "old secret\r\n\x1A");
    open_and_load(a, path);
    test::build(a.doc, {"new secret", ""});
    a.state.modified = MODIFIED_TEXT;
    a.state.encrypt = true;
    a.state.key = "k";
    SaveRequest q;
    q.rename = [](const char* from, const char* to) {
        return std::string_view(to).ends_with(".txt") ? -1 : ::rename(from, to);
    };
    EXPECT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Failed);
    const std::string kept = slurp(dir.file("e.txt.unsaved"));
    EXPECT_EQ(kept.find("secret"), std::string::npos);
    EXPECT_EQ(deciphered(kept, "k"), "new secret\r\n\x1A");

    renamed_bytes.clear();
    q.rename = recording_rename;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, q, run, &a.notices), SaveResult::Saved);
    ASSERT_FALSE(renamed_bytes.empty());
    for (const std::string& bytes : renamed_bytes) EXPECT_EQ(bytes.find("secret"), std::string::npos);
    EXPECT_EQ(deciphered(slurp(path), "k"), "new secret\r\n\x1A");
    // The old file was plain: its backup is its text enciphered with the key.
    const std::string bak = slurp(dir.file("e.bak"));
    EXPECT_EQ(bak.find("secret"), std::string::npos);
    EXPECT_EQ(deciphered(bak, "k"), "old secret\r\n\x1A");
    EXPECT_TRUE(a.state.decrypted);
    EXPECT_EQ(a.state.file_key, "k");

    // A changed key: the next run's backup is secret under the new key.
    SaveRun next;
    test::build(a.doc, {"newer secret", ""});
    a.state.modified = MODIFIED_TEXT;
    a.state.key = "k2";
    ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, next, &a.notices), SaveResult::Saved);
    EXPECT_EQ(deciphered(slurp(dir.file("e.bak")), "k2"), "new secret\r\n\x1A");
    EXPECT_EQ(deciphered(slurp(path), "k2"), "newer secret\r\n\x1A");
}

}  // namespace
}  // namespace rix
