// Extension files that are damaged or ask for too much, and where a save
// cannot be made: what is read, what the writer is told, what is kept.
//
// Tests still owed: an extension file that exists but may not be read (the
// tests run as root, who may read everything).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <numeric>
#include <string>
#include <vector>

#include "document/convert.h"
#include "document/save.h"
#include "fuzz/fuzz_entries.h"
#include "platform/codec.h"
#include "../support/notices.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// Extension file bytes spelled out after the record format (big-endian).
struct RixBytes {
    std::string b;
    RixBytes& raw(std::initializer_list<int> v) {
        for (int x : v) b += static_cast<char>(x);
        return *this;
    }
    RixBytes& be16(unsigned v) { return raw({static_cast<int>(v >> 8 & 0xFF), static_cast<int>(v & 0xFF)}); }
    RixBytes& field(std::string_view s, std::size_t width) {
        std::string t(s);
        t.resize(width, '\0');
        b += t;
        return *this;
    }
    // The 128-byte header: magic, extension, title, cursor 0, zero, encrypted 0, format 0, zero, print title.
    RixBytes& header(std::string_view ext, std::string_view title) {
        return field("RIX45", 5).field(ext, 3).field(title, 24).field("", 4 + 3 + 1 + 1 + 47).field("", 40);
    }
    // Ruby record: line, n << 4, parameter, 0, 0, column, n units of text.
    RixBytes& ruby(unsigned line, int param, unsigned column, std::string_view text) {
        std::size_t n = (text.size() - 1) / 8 + 1;
        return be16(line).raw({static_cast<int>(n << 4), param, 0, 0}).be16(column).field(text, n * 8);
    }
};

// Gives `path` the modification time of `like`, so that the date question stays away.
void same_time(const std::string& like, const std::string& path) {
    struct stat st {};
    ::stat(like.c_str(), &st);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

struct Opened {
    Document doc;
    DocumentState state;
    ExtensionFile ext;
    LoadSession session;
    ExtensionStatus status = ExtensionStatus::MISSING;
    Notices notices;                   // what opening, loading and saving reported
    test::ScriptedQuestions questions;
    ~Opened() { close_document(&state, false); }
};

// Opens and loads `path` as the editor does: held, marked, a damaged
// extension file used up to its damage and named for the save to keep.
void open_like_the_editor(Opened& o, const std::string& path) {
    ASSERT_TRUE(open_document_file(&o.state, path, 0, &o.notices));
    o.state.save_name = path;
    o.status = open_extension_file(path, 0, &o.ext, o.questions);
    bool usable = o.status == ExtensionStatus::OK || (o.status == ExtensionStatus::CORRUPT && o.ext.header.version);
    o.session.extension = usable ? &o.ext : nullptr;
    if (o.status == ExtensionStatus::CORRUPT || o.status == ExtensionStatus::UNREADABLE) {
        o.state.damaged_extension = extension_path_for(path);
        tell_extension_damage(o.state.damaged_extension, o.status, o.ext, 0, o.notices);
    }
    o.doc.rules.chars_per_column = 20;
    start_load(o.doc, o.state, o.session, false, 40, &o.notices);
    load_all(o.doc, o.state, o.session, &o.notices);
}

const std::string TEXT = "\x8A\xBF\x8E\x9A\x88\xEA\r\n\x8A\xBF\x8E\x9A\x93\xF1\r\n\x8A\xBF\x8E\x9A\x8E\x4F\x1A";  // 漢字一 漢字二 漢字三

// The three rubies of TEXT, one a line; the file cut one byte short of its end.
std::string one_byte_short() {
    RixBytes f;
    f.header("txt", "t").ruby(0, 0x02, 0, sj("かんじ")).ruby(1, 0x02, 0, sj("かんじ")).ruby(2, 0x02, 0, sj("かんじ"));
    return f.b.substr(0, f.b.size() - 1);
}

TEST(DamagedExtension, RecordsBeforeTheDamageAreReadAndTheFileIsKeptBySaving) {
    test::TempFolder dir;
    std::string text = dir.write("doc.txt", TEXT);
    std::string damaged = one_byte_short();
    std::string rix = dir.write("doc.rix", damaged);
    same_time(text, rix);
    {
        Opened a;
        open_like_the_editor(a, text);
        EXPECT_EQ(a.status, ExtensionStatus::CORRUPT);
        EXPECT_EQ(a.ext.damage_offset, 128u + 2 * 16);
        EXPECT_EQ(count_document(a.doc).rubies, 2u);   // not 0: what came before the damage
        test::SeenNotices fake{a.notices};
        ASSERT_EQ(fake.log.size(), 1u);
        EXPECT_EQ(fake.log[0].time_ms, 10000u);
        EXPECT_TRUE(fake.saw("拡張ファイルが壊れています"));
        EXPECT_TRUE(fake.saw("160バイト目から後の15バイトを読めませんでした"));
        EXPECT_TRUE(fake.saw("ルビ・タグ2個"));
        EXPECT_TRUE(fake.saw(rix + ".damaged"));
        EXPECT_EQ(slurp(rix), damaged);   // reading changes nothing

        a.state.modified = MODIFIED_TEXT;
        SaveRun run;
        ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run), SaveResult::Saved);
        EXPECT_EQ(slurp(rix + ".damaged"), damaged);
        EXPECT_TRUE(a.state.damaged_extension.empty());
        ExtensionFile saved;
        ASSERT_EQ(read_extension_bytes(slurp(rix), &saved), ExtensionStatus::OK);
        EXPECT_EQ(saved.positions.size(), 2u);

        // A second save has nothing damaged to keep.
        a.state.modified = MODIFIED_TEXT;
        ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run), SaveResult::Saved);
        EXPECT_FALSE(file_exists(rix + ".damaged-2"));
    }
    // Damaged again: the first kept copy stays, the next name is taken. An
    // unchanged document that stores its cursor does not write into the damaged file.
    dir.write("doc.rix", damaged);
    same_time(text, rix);
    Opened b;
    open_like_the_editor(b, text);
    SaveRequest q;
    q.mode = SAVE_MODE_SWITCH_OR_END;
    q.restore_flags = 1;
    q.cursor = TextPos(1, 2);
    SaveRun run;
    save_document(b.doc, b.state, b.session, q, run);
    EXPECT_EQ(slurp(rix + ".damaged"), damaged);
    EXPECT_EQ(slurp(rix + ".damaged-2"), damaged);
    ExtensionFile saved;
    ASSERT_EQ(read_extension_bytes(slurp(rix), &saved), ExtensionStatus::OK);
    EXPECT_EQ(saved.header.cursor, TextPos(1, 2));
    EXPECT_EQ(saved.positions.size(), 2u);
    EXPECT_EQ(slurp(text), TEXT);
}

TEST(DamagedExtension, NothingReadableIsStillKeptNotDeleted) {
    test::TempFolder dir;
    std::string text = dir.write("doc.txt", TEXT);
    std::string rix = dir.write("doc.rix", "RIX45txt");   // ends inside the header
    same_time(text, rix);
    Opened a;
    open_like_the_editor(a, text);
    EXPECT_EQ(a.status, ExtensionStatus::CORRUPT);
    EXPECT_EQ(a.session.extension, nullptr);
    EXPECT_TRUE(test::SeenNotices(a.notices).saw("何も読込んでいません"));
    a.state.modified = MODIFIED_TEXT;
    SaveRun run;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run), SaveResult::Saved);
    // Nothing to keep in a new extension file, yet the damaged one is not removed.
    EXPECT_FALSE(file_exists(rix));
    EXPECT_EQ(slurp(rix + ".damaged"), "RIX45txt");
}

// Text of a stored line without its blocks.
std::string line_text(const Document& doc, std::uint32_t line) {
    const std::uint8_t* p = doc.line_pointer(line);
    LineScanner scan(p, MAX_LINE_SCAN);
    std::string out;
    for (ScanItem it = scan.next(); it.kind != ItemKind::LINE_END && it.kind != ItemKind::TEXT_END &&
                                    it.kind != ItemKind::CUT;
         it = scan.next())
        if (it.kind != ItemKind::RUBY && it.kind != ItemKind::TAG)
            out.append(reinterpret_cast<const char*>(p) + it.column, it.length);
    return out;
}

std::size_t refused(const ConvertCarry& carry) {
    return std::accumulate(carry.refused_records.begin(), carry.refused_records.end(), std::size_t{0},
                           [](std::size_t sum, const auto& entry) { return sum + entry.second; });
}

// Lines of text and an extension file that asks for more than a line holds.
struct Crowd {
    std::vector<std::string> lines;
    ExtensionFile ext;
    std::size_t records = 0;
};

Crowd crowd_case(int kind) {
    Crowd c;
    auto rubies = [&c](std::uint32_t line, std::uint16_t column, std::size_t count, std::size_t bytes) {
        for (std::size_t k = 0; k < count; ++k)
            c.ext.positions.push_back({PositionKind::RUBY, line, column, 0x01, 0, 0, std::string(bytes, 'r')});
        c.records += count;
    };
    std::string kana;
    switch (kind) {
    case 0:   // 20,000 rubies at one place of a short line
        for (int i = 0; i < 100; ++i) kana += sj("あ");
        c.lines = {kana, sj("次の行")};
        rubies(0, 0, 20000, 48);
        break;
    case 1:   // a line of 60,000 bytes with rubies spread over it
        for (int i = 0; i < 30000; ++i) kana += sj("い");
        c.lines = {kana, ""};
        for (std::uint16_t col = 0; col < 60000; col += 600) rubies(0, col, 20, 6);
        break;
    case 2:   // tabs that become full-width spaces, and tags at the line's end
        kana = "\t" + sj("う") + "\t";
        for (int i = 0; i < 2000; ++i) kana += sj("え");
        c.lines = {kana, "x"};
        rubies(0, 0, 1500, 40);
        for (int k = 0; k < 100; ++k) c.ext.positions.push_back({PositionKind::TAG, 0, 5000, 0, 0, 0, std::string(900, 't')});
        c.records += 100;
        break;
    }
    return c;
}

TEST(CrowdedExtension, RecordsNeverSplitALineAndTheRestIsRefusedWithOneNotice) {
    for (int kind = 0; kind < 3; ++kind) {
        Crowd c = crowd_case(kind);
        std::string raw;
        for (std::size_t k = 0; k < c.lines.size(); ++k) raw += c.lines[k] + (k + 1 < c.lines.size() ? "\r\n" : "");
        std::string image;
        for (std::size_t chunk : {DEFAULT_CHUNK_BYTES, std::size_t{4096}}) {
            Document doc;
            doc.rules.chars_per_column = 40;
            DocumentState state;
            LoadSession session;
            session.extension = &c.ext;
            session.options.chunk_size = chunk;
            Notices notices;
            test::SeenNotices fake{notices};
            fuzz::load_bytes(doc, state, session, raw, false, &notices);
            EXPECT_EQ(fuzz::check_loaded(doc), "") << kind;
            ASSERT_EQ(doc.lines.count(), c.lines.size()) << kind << " chunk " << chunk;
            for (std::uint32_t k = 0; kind != 2 && k < doc.lines.count(); ++k) {
                EXPECT_EQ(line_text(doc, k), c.lines[k]) << kind;
            }
            DocumentCounts counts = count_document(doc);
            EXPECT_GT(counts.rubies, 0u) << kind;   // what fits is kept
            EXPECT_EQ(counts.rubies + counts.tags + refused(session.carry), c.records) << kind;
            EXPECT_GT(refused(session.carry), 0u) << kind;
            // One notice of the refused records; the tabs of case 2 are told apart, as a conversion.
            std::size_t crowd_notices = 0;
            for (std::size_t m = 0; m < fake.log.size(); ++m)
                crowd_notices += fake.utf8(m).find("のルビ・タグが多すぎて") != std::string::npos;
            EXPECT_EQ(crowd_notices, 1u) << kind;
            EXPECT_EQ(fake.log.size(), kind == 2 ? 2u : 1u) << kind;
            EXPECT_TRUE(fake.saw("行1のルビ・タグが多すぎて")) << kind;
            std::string now = fuzz::document_image(doc, state);
            if (!image.empty()) {
                EXPECT_EQ(now, image) << kind << ": chunks of " << chunk;
            }
            image = now;
        }
    }
}

TEST(CrowdedExtension, TabsAreKeptAsTheyLoadWithoutRecords) {
    Crowd c = crowd_case(2);
    std::string raw = c.lines[0] + "\r\n" + c.lines[1];
    std::string plain, crowded;
    for (bool with_records : {false, true}) {
        Document doc;
        doc.rules.chars_per_column = 40;
        DocumentState state;
        LoadSession session;
        session.extension = with_records ? &c.ext : nullptr;
        fuzz::load_bytes(doc, state, session, raw);
        ASSERT_EQ(doc.lines.count(), 2u);
        (with_records ? crowded : plain) = line_text(doc, 0);
    }
    EXPECT_EQ(crowded, plain);
}

TEST(SaveFaults, NoFolderIsToldInThisMachinesWords) {
    test::TempFolder dir;
    std::string path = dir.write("doc.txt", "");
    Opened a;
    test::SeenNotices fake{a.notices};
    ASSERT_TRUE(open_document_file(&a.state, path, 0, &a.notices));
    a.state.save_name = dir.file("gone/doc.txt");
    a.state.opened_path.clear();
    a.state.modified = MODIFIED_TEXT;
    SaveRun run;
    EXPECT_EQ(save_document(a.doc, a.state, a.session, SaveRequest{}, run, &a.notices), SaveResult::Failed);
    ASSERT_EQ(fake.log.size(), 1u);
    EXPECT_TRUE(fake.saw("ファイルが作成出来ません"));
    EXPECT_TRUE(fake.saw(dir.file("gone")));
    EXPECT_TRUE(fake.saw("保存先のフォルダがありません"));
    EXPECT_FALSE(fake.saw("Ｗｉｎｄｏｗｓ"));
    EXPECT_FALSE(fake.saw("C:\\"));
    a.state.save_name = path;   // the mark is given back where it was taken
}

}  // namespace
}  // namespace rix
