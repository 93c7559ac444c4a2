// Tests of reading and writing the environment file.
//
// Owed: a record read while another instance replaces the file (needs two
// processes); the conversion of files between 1025 and 4095 bytes is covered
// only through the 1024-byte case.
#include "app/settings/settings_record.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "app/settings/default_settings.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

// The 16 colours as the print colour dialog lists them (RGB), turned into COLORREF.
constexpr std::uint32_t PALETTE_RGB[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                           0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                                           0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
std::uint32_t palette_ref(int i) {
    std::uint32_t v = PALETTE_RGB[i];
    return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
}

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/rix_settings_XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string raw(const SettingsRecord& rec) { return {reinterpret_cast<const char*>(&rec), sizeof rec}; }

SettingsRecord defaults() {
    SettingsRecord rec;
    build_default_settings(&rec);
    return rec;
}

int le16(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// ---- round trip, writing rules, failures ----

TEST(SettingsFile, RandomRecordRoundTripsExceptSignature) {
    TempDir dir;
    std::mt19937 rng(4096);
    SettingsState out;
    auto* bytes = reinterpret_cast<std::uint8_t*>(&out.rec);
    for (std::size_t i = 0; i < sizeof out.rec; ++i) bytes[i] = static_cast<std::uint8_t>(rng());
    // Keep clear of what reading normalises.
    out.rec.window_x = 100;
    out.rec.window_y = 200;
    out.rec.current_screen_format = 4;
    out.rec.current_print_format = 7;
    mark_settings_changed(&out);

    const std::string path = dir.file("rix.env");
    ASSERT_EQ(write_settings(path, 1, &out), SETTINGS_WRITTEN);
    EXPECT_FALSE(out.changed);
    std::string file = read_bytes(path);
    ASSERT_EQ(file.size(), 4096u);
    EXPECT_EQ(file.substr(0, 16), std::string("RIX-WIN v7.11\0\0\0", 16));
    EXPECT_EQ(file.substr(16), raw(out.rec).substr(16));

    SettingsState in;
    in.changed = true;
    EXPECT_EQ(read_settings(path, &in), 4096u);
    EXPECT_FALSE(in.changed);
    EXPECT_EQ(raw(in.rec), file);
    EXPECT_EQ(settings_version_text(in.rec), "7.11");
}

TEST(SettingsFile, LongerFileUsesFirst4096Bytes) {
    TempDir dir;
    SettingsRecord rec = defaults();
    write_bytes(dir.file("rix.env"), raw(rec) + std::string(100, '\x55'));
    SettingsState in;
    EXPECT_EQ(read_settings(dir.file("rix.env"), &in), 4096u);
    EXPECT_EQ(raw(in.rec), raw(rec));
}

TEST(SettingsFile, WritesOnlyWhenChangedAndInstanceOne) {
    TempDir dir;
    const std::string path = dir.file("rix.env");
    SettingsState s;
    s.rec = defaults();
    EXPECT_EQ(write_settings(path, 1, &s), SETTINGS_NOT_WRITTEN);   // unchanged
    EXPECT_FALSE(std::filesystem::exists(path));

    write_bytes(path, "old contents");
    mark_settings_changed(&s);
    EXPECT_EQ(write_settings(path, 2, &s), SETTINGS_NOT_WRITTEN);   // instance 2 never writes
    EXPECT_EQ(read_bytes(path), "old contents");
    EXPECT_TRUE(s.changed);

    EXPECT_EQ(write_settings(path, 1, &s), SETTINGS_WRITTEN);
    EXPECT_EQ(read_bytes(path), raw(s.rec));
    EXPECT_EQ(write_settings(path, 1, &s), SETTINGS_NOT_WRITTEN);   // written once
}

// The record holds the FTP passwords: whatever mode the old file had (or the
// umask gives a new one), the written file is readable by its owner only.
TEST(SettingsFile, IsWrittenForItsOwnerOnly) {
    TempDir dir;
    const std::string path = dir.file("rix.env");
    SettingsState s;
    s.rec = defaults();
    store_field(s.rec.ftp_password[0], sizeof s.rec.ftp_password[0], "secret");
    mark_settings_changed(&s);
    const mode_t old_mask = ::umask(0);
    EXPECT_EQ(write_settings(path, 1, &s), SETTINGS_WRITTEN);
    ::umask(old_mask);
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::permissions(path, std::filesystem::perms::all);
    mark_settings_changed(&s);
    EXPECT_EQ(write_settings(path, 1, &s), SETTINGS_WRITTEN);
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(SettingsFile, FailedWriteReportsAndKeepsOldFile) {
    TempDir dir;
    SettingsState s;
    s.rec = defaults();
    mark_settings_changed(&s);

    EXPECT_EQ(write_settings(dir.file("missing/rix.env"), 1, &s), SETTINGS_WRITE_FAILED);
    EXPECT_TRUE(s.changed);
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_EQ(write_settings(dir.file("folder"), 1, &s), SETTINGS_WRITE_FAILED);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder")));

    // A write that fails half-way (file size limit) leaves the old file whole.
    const std::string path = dir.file("rix.env");
    const std::string old(3000, '\x33');
    write_bytes(path, old);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    SettingsWriteResult result = write_settings(path, 1, &s);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(result, SETTINGS_WRITE_FAILED);
    EXPECT_EQ(read_bytes(path), old);
    EXPECT_TRUE(s.changed);
}

TEST(SettingsFile, MissingEmptyOrFolderIsNoFile) {
    TempDir dir;
    FakeMessages messages;
    SettingsState s;
    s.rec = defaults();
    const std::string before = raw(s.rec);
    EXPECT_EQ(read_settings(dir.file("none.env"), &s), 0u);
    write_bytes(dir.file("empty.env"), "");
    EXPECT_EQ(read_settings(dir.file("empty.env"), &s), 0u);
    std::filesystem::create_directory(dir.file("sub"));
    EXPECT_EQ(read_settings(dir.file("sub"), &s), 0u);
    EXPECT_TRUE(messages.log.empty());   // an empty file is not offered for conversion
    EXPECT_EQ(raw(s.rec), before);
}

// ---- normalisation and colours ----

TEST(SettingsFile, NormalisesFormatsAndWindowPlace) {
    TempDir dir;
    SettingsRecord rec = defaults();
    rec.current_screen_format = 7;
    rec.current_print_format = 2;
    rec.window_x = static_cast<std::int16_t>(0xFFF0);
    rec.window_y = static_cast<std::int16_t>(0x8000);
    rec.window_width = 0x7FFF;
    write_bytes(dir.file("rix.env"), raw(rec));
    SettingsState s;
    ASSERT_EQ(read_settings(dir.file("rix.env"), &s), 4096u);
    EXPECT_EQ(+s.rec.current_screen_format, 0);
    EXPECT_EQ(+s.rec.current_print_format, 5);
    EXPECT_EQ(+s.rec.window_x, 0);
    EXPECT_EQ(+s.rec.window_y, 0);
    EXPECT_EQ(+s.rec.window_width, 0x7FFF);

    rec.current_screen_format = 4;
    rec.current_print_format = 8;
    rec.window_x = 0x7FFF;
    write_bytes(dir.file("rix.env"), raw(rec));
    ASSERT_EQ(read_settings(dir.file("rix.env"), &s), 4096u);
    EXPECT_EQ(+s.rec.current_screen_format, 4);
    EXPECT_EQ(+s.rec.current_print_format, 5);
    EXPECT_EQ(+s.rec.window_x, 0x7FFF);
}

SettingsRecord record_with_version(const char* signature16) {
    SettingsRecord rec = defaults();
    std::memcpy(rec.file_signature, signature16, 16);
    for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) {
        rec.text_colour[f] = static_cast<std::uint8_t>(f);
        rec.grid_colour[f] = static_cast<std::uint8_t>(5 + f);
        rec.old_caret_colour_index[f] = static_cast<std::uint8_t>(10 + f);
        rec.old_ime_text_colour_index[f] = static_cast<std::uint8_t>(15 - f);
    }
    return rec;
}

TEST(SettingsFile, FilesBefore451GetColoursFromPaletteIndices) {
    TempDir dir;
    const std::string path = dir.file("rix.env");
    for (const char* sig : {"RIX-WIN v4.50\0\0\0", "RIX-WIN v4.50xyz", "RIX-WIN v\0\0\0\0\0\0\0"}) {
        SCOPED_TRACE(std::string(sig, 16));
        write_bytes(path, raw(record_with_version(sig)));
        SettingsState s;
        ASSERT_EQ(read_settings(path, &s), 4096u);
        for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) {
            EXPECT_EQ(+s.rec.text_colour_rgb[f], palette_ref(f));
            EXPECT_EQ(+s.rec.grid_colour_rgb[f], palette_ref(5 + f));
            EXPECT_EQ(+s.rec.caret_colour[f], palette_ref(10 + f));
            EXPECT_EQ(+s.rec.ime_text_colour[f], palette_ref(15 - f));
        }
    }
    for (const char* sig : {"RIX-WIN v4.51\0\0\0", "RIX-WIN v7.11\0\0\0", "RIX-WIN v4.51zzz"}) {
        SCOPED_TRACE(std::string(sig, 16));
        SettingsRecord rec = record_with_version(sig);
        write_bytes(path, raw(rec));
        SettingsState s;
        ASSERT_EQ(read_settings(path, &s), 4096u);
        EXPECT_EQ(raw(s.rec), raw(rec));
    }
}

TEST(SettingsFile, VersionTextIsReadWithinTheSignature) {
    SettingsRecord rec = defaults();
    std::memcpy(rec.file_signature, "RIX-WIN v9.99abc", 16);
    rec.reserved_10[0] = '!';   // the byte after the field is not part of the text
    EXPECT_EQ(settings_version_text(rec), "9.99abc");
    EXPECT_FALSE(settings_version_below(rec, "4.51"));
    EXPECT_EQ(palette_colour(0x1C), palette_colour(12));   // corrupt index stays in the table
}

// ---- the old 1024-byte layout ----

struct OldRecord {
    std::uint8_t b[1024];
    OldRecord() {
        for (int i = 0; i < 1024; ++i) b[i] = static_cast<std::uint8_t>((i * 13 + 7) & 0xFF);
        std::memcpy(b, "RIX-WIN v4.10\0\0\0", 16);
        for (int i = 0; i < 32; ++i) b[0x131 + i] = static_cast<std::uint8_t>((i * 5) % 16);  // palette indices
        b[0x0e0] = 2;                  // current screen format
        b[0x38b] = 6;                  // current print format
        b[0x3d1] = 0x12;               // window x, y positive
        b[0x3d3] = 0x34;
    }
    std::string bytes() const { return {reinterpret_cast<const char*>(b), sizeof b}; }
};

// Zeroes a field of a record copy, so that what was checked can be excluded.
#define CLEAR(rec, field) \
    std::memset(reinterpret_cast<char*>(&(rec)) + offsetof(SettingsRecord, field), 0, sizeof(SettingsRecord::field))

TEST(OldSettings, ConversionMovesEveryFieldToItsNewPlace) {
    TempDir dir;
    FakeMessages messages;
    messages.answer(MSG_RESULT_YES);
    OldRecord old;
    const std::uint8_t* o = old.b;
    const std::string path = dir.file("old.env");
    write_bytes(path, old.bytes());
    SettingsState s;
    ASSERT_EQ(read_settings(path, &s), 1024u);
    EXPECT_TRUE(s.changed);
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.log[0].kind, MSG_YES_NO);
    EXPECT_TRUE(messages.saw("『ミルトアの警告』\n\n環境設定ファイル " + path + "\nは旧版のものです。"));
    const SettingsRecord& r = s.rec;

    EXPECT_EQ(0, std::memcmp(r.file_signature, o + 0x000, 16));
    EXPECT_EQ(0, std::memcmp(r.reserved_10, o + 0x010, 16));
    EXPECT_EQ(0, std::memcmp(r.document_folder, o + 0x020, 32));
    EXPECT_EQ(0, std::memcmp(r.previous_document, o + 0x040, 32));
    EXPECT_EQ(sjis_to_utf8(read_field(r.new_document_name, 32)), "原稿_.txt");
    EXPECT_EQ(+r.current_screen_format, o[0x0e0]);
    EXPECT_EQ(+r.ime_control, o[0x376]);
    EXPECT_EQ(+r.fullwidth_file_names, o[0x377]);
    EXPECT_EQ(+r.file_list_order, o[0x378]);
    EXPECT_EQ(+r.store_history, o[0x379]);
    EXPECT_EQ(+r.right_button_action, o[0x37f]);
    EXPECT_EQ(+r.marks_on_digit_keys, o[0x380]);
    EXPECT_EQ(+r.folders_first, o[0x381]);
    EXPECT_EQ(+r.restore_flags, o[0x37b]);
    EXPECT_EQ(0, std::memcmp(r.toolbar_items, o + 0x39b, 20));
    EXPECT_EQ(0, std::memcmp(r.edit_key_letters, o + 0x3af, 20));
    EXPECT_EQ(sjis_to_utf8(read_field(r.line_start_prohibited, 96)), "、。，．？！゛゜ヽヾゝゞ〃々―～…‥’”）〕］｝〉》」』】");
    EXPECT_EQ(sjis_to_utf8(read_field(r.line_end_prohibited, 48)), "‘“（〔［｛〈《「『【");
    EXPECT_EQ(+r.window_x, le16(o + 0x3d0));
    EXPECT_EQ(+r.window_y, le16(o + 0x3d2));
    EXPECT_EQ(+r.window_width, le16(o + 0x3d4));
    EXPECT_EQ(+r.window_height, le16(o + 0x3d6));
    EXPECT_EQ(+r.reserved_2c8[0], le16(o + 0x3d8));
    EXPECT_EQ(+r.reserved_2c8[1], le16(o + 0x3da));
    for (int k = 0; k < 4; ++k) EXPECT_EQ(+r.index_window_pos[k], le16(o + 0x3c8 + 2 * k));
    for (int f = 0; f < 8; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(0, std::memcmp(r.format_name[f], o + 0x060 + 16 * f, 16));
        EXPECT_EQ(+r.writing_direction[f], o[0x0e1 + f]);
        EXPECT_EQ(+r.grid_style[f], o[0x0e9 + f]);
        EXPECT_EQ(+r.caret_type[f], o[0x0f1 + f]);
        EXPECT_EQ(+r.edit_info_place[f], o[0x0f9 + f]);
        EXPECT_EQ(+r.kinsoku[f].kinsoku_mode, o[0x101 + 2 * f]);
        EXPECT_EQ(+r.kinsoku[f].small_kana_kinsoku, o[0x102 + 2 * f]);
        EXPECT_EQ(+r.auto_scroll[f], o[0x111 + f]);
        EXPECT_EQ(+r.auto_indent[f], o[0x119 + f]);
        EXPECT_EQ(+r.mark_flags[f], o[0x121 + f]);
        EXPECT_EQ(+r.halfwidth_display[f], o[0x129 + f]);
        EXPECT_EQ(+r.auto_adjust[f], o[0x1c5 + f]);
        EXPECT_EQ(+r.spare_strip_flag[f], o[0x151 + f]);
        EXPECT_EQ(+r.column_numbering[f], o[0x159 + f]);
        EXPECT_EQ(+r.text_colour[f], o[0x131 + f]);
        EXPECT_EQ(+r.grid_colour[f], o[0x139 + f]);
        EXPECT_EQ(+r.old_caret_colour_index[f], o[0x141 + f]);
        EXPECT_EQ(+r.old_ime_text_colour_index[f], o[0x149 + f]);
        EXPECT_EQ(+r.chars_per_column[f], o[0x165 + f]);
        EXPECT_EQ(+r.columns_per_page[f], o[0x16d + f]);
        EXPECT_EQ(+r.tier_count[f], o[0x175 + f]);
        EXPECT_EQ(+r.tier_gap[f], o[0x17d + f]);
        EXPECT_EQ(+r.page_columns[f], o[0x185 + f]);
        EXPECT_EQ(+r.tab_width[f], o[0x18d + f]);
        EXPECT_EQ(static_cast<std::uint8_t>(r.cell_offset_percent[f]), o[0x1bd + f]);
        EXPECT_EQ(+r.margin_start_permille[f], o[0x195 + f]);
        EXPECT_EQ(+r.margin_top_permille[f], o[0x19d + f]);
        EXPECT_EQ(+r.margin_end_permille[f], o[0x1a5 + f]);
        EXPECT_EQ(+r.margin_bottom_permille[f], o[0x1ad + f]);
        EXPECT_EQ(+r.cell_width_percent[f], o[0x1b5 + f]);
        EXPECT_EQ(+r.font[f].height, le16(o + 0x1d2 + 50 * f));
        EXPECT_EQ(0, std::memcmp(r.font[f].face, o + 0x1d2 + 50 * f + 18, 32));
    }
    for (int f = 0; f < 5; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(+r.toolbar_size[f], o[0x386 + f]);
        EXPECT_EQ(+r.fill_colour[f], le32(o + 0x3dc + 4 * f));
        EXPECT_EQ(+r.ime_back_colour[f], le32(o + 0x362 + 4 * f));
        EXPECT_EQ(+r.text_colour_rgb[f], palette_ref(o[0x131 + f]));
        EXPECT_EQ(+r.grid_colour_rgb[f], palette_ref(o[0x139 + f]));
        EXPECT_EQ(+r.caret_colour[f], palette_ref(o[0x141 + f]));
        EXPECT_EQ(+r.ime_text_colour[f], palette_ref(o[0x149 + f]));
    }
    EXPECT_EQ(+r.current_print_format, o[0x38b]);
    EXPECT_EQ(+r.print_range_mode, o[0x394]);
    EXPECT_EQ(+r.print_range_start, static_cast<std::uint16_t>(le16(o + 0x390)));
    EXPECT_EQ(+r.print_range_end, static_cast<std::uint16_t>(le16(o + 0x392)));
    EXPECT_EQ(+r.first_page_number, static_cast<std::uint16_t>(le16(o + 0x396)));
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(+r.print_font_size[p], o[0x38c + p]);
        EXPECT_EQ(+r.printer_paper[p], o[0x383 + p]);
        EXPECT_EQ(+r.print_flags[p], o[0x398 + p]);
    }

    // Everything not named by the conversion is zero.
    SettingsRecord rest = r;
    CLEAR(rest, file_signature); CLEAR(rest, reserved_10); CLEAR(rest, document_folder);
    CLEAR(rest, previous_document); CLEAR(rest, new_document_name); CLEAR(rest, current_screen_format);
    CLEAR(rest, ime_control); CLEAR(rest, fullwidth_file_names); CLEAR(rest, file_list_order);
    CLEAR(rest, store_history); CLEAR(rest, right_button_action); CLEAR(rest, marks_on_digit_keys);
    CLEAR(rest, folders_first); CLEAR(rest, restore_flags); CLEAR(rest, toolbar_items);
    CLEAR(rest, edit_key_letters); CLEAR(rest, line_start_prohibited); CLEAR(rest, line_end_prohibited);
    CLEAR(rest, window_x); CLEAR(rest, window_y); CLEAR(rest, window_width); CLEAR(rest, window_height);
    CLEAR(rest, reserved_2c8); CLEAR(rest, index_window_pos); CLEAR(rest, format_name);
    CLEAR(rest, writing_direction); CLEAR(rest, grid_style); CLEAR(rest, caret_type);
    CLEAR(rest, edit_info_place); CLEAR(rest, kinsoku); CLEAR(rest, auto_scroll); CLEAR(rest, auto_indent);
    CLEAR(rest, mark_flags); CLEAR(rest, halfwidth_display); CLEAR(rest, auto_adjust);
    CLEAR(rest, spare_strip_flag); CLEAR(rest, column_numbering); CLEAR(rest, text_colour);
    CLEAR(rest, grid_colour); CLEAR(rest, old_caret_colour_index); CLEAR(rest, old_ime_text_colour_index);
    CLEAR(rest, chars_per_column); CLEAR(rest, columns_per_page); CLEAR(rest, tier_count);
    CLEAR(rest, tier_gap); CLEAR(rest, page_columns); CLEAR(rest, tab_width); CLEAR(rest, cell_offset_percent);
    CLEAR(rest, margin_start_permille); CLEAR(rest, margin_top_permille); CLEAR(rest, margin_end_permille);
    CLEAR(rest, margin_bottom_permille); CLEAR(rest, cell_width_percent); CLEAR(rest, font);
    CLEAR(rest, toolbar_size); CLEAR(rest, fill_colour); CLEAR(rest, ime_back_colour);
    CLEAR(rest, current_print_format); CLEAR(rest, print_range_mode); CLEAR(rest, print_range_start);
    CLEAR(rest, print_range_end); CLEAR(rest, first_page_number); CLEAR(rest, print_font_size);
    CLEAR(rest, printer_paper); CLEAR(rest, print_flags); CLEAR(rest, text_colour_rgb);
    CLEAR(rest, grid_colour_rgb); CLEAR(rest, caret_colour); CLEAR(rest, ime_text_colour);
    EXPECT_EQ(raw(rest), std::string(4096, '\0'));
}

TEST(OldSettings, DeclinedConversionCountsAsNoFile) {
    TempDir dir;
    FakeMessages messages;
    messages.answer(MSG_RESULT_NO);
    write_bytes(dir.file("old.env"), OldRecord().bytes());
    SettingsState s;
    s.rec = defaults();
    EXPECT_EQ(read_settings(dir.file("old.env"), &s), 0u);
    EXPECT_EQ(raw(s.rec), raw(defaults()));
    EXPECT_FALSE(s.changed);
    EXPECT_EQ(messages.unexpected, 0);
}

TEST(OldSettings, ShortFileIsConvertedAsFarAsItGoes) {
    TempDir dir;
    FakeMessages messages;
    messages.answer(MSG_RESULT_YES);
    write_bytes(dir.file("old.env"), OldRecord().bytes().substr(0, 0x70));
    SettingsState s;
    EXPECT_EQ(read_settings(dir.file("old.env"), &s), 0x70u);
    EXPECT_TRUE(s.changed);
    EXPECT_EQ(0, std::memcmp(s.rec.format_name[0], OldRecord().b + 0x60, 16));
    EXPECT_EQ(+s.rec.format_name[1][0], 0);
    EXPECT_EQ(+s.rec.current_print_format, 5);   // absent: normalised
}

}  // namespace
}  // namespace rix
