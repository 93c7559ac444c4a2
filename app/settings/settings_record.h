// The settings record: every user setting of the program in one fixed
// 4096-byte block, held in memory for the whole run and stored raw, byte for
// byte, as the environment file rix.env in the data folder.
//
// This header owns the layout: each member sits at the offset written in its
// comment, and the static_asserts at the end prove it. Multi-byte integers
// are little-endian (the record is used in place on a little-endian machine);
// colours are COLORREF values 0x00BBGGRR; texts are code page 932 bytes,
// NUL-terminated within their field except a text that fills its field, which
// has none: read them with read_field / store_field (platform/codec.h), never
// with a C string function. Bytes no field names are explicit gap_* members so
// that a record read from a file keeps them as they were.
//
// Per-format arrays have eight slots: 0..4 the screen formats 1..5, 5..7 the
// print formats 1..3. Screen-only arrays have five entries, print-only arrays
// three (index = slot - 5). Every subsystem reads its fields directly from the
// record; a store into the record must be followed by mark_settings_changed.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "display/screen_format.h"

namespace rix {

static_assert(std::endian::native == std::endian::little,
              "the settings record is used in place and stores little-endian integers");

constexpr std::size_t SETTINGS_RECORD_SIZE = 4096;
constexpr std::size_t OLD_SETTINGS_RECORD_SIZE = 1024;   // the layout converted on reading
constexpr int FORMAT_SLOT_COUNT = 8;      // per-format arrays
constexpr int SCREEN_FORMAT_COUNT = 5;    // slots 0..4
constexpr int PRINT_FORMAT_COUNT = 3;     // slots 5..7
constexpr int FIRST_PRINT_SLOT = 5;
constexpr int FTP_SITE_COUNT = 3;
constexpr int REGISTERED_LINE_FORMATS = 8;  // per screen format, keys F5..F12

// The signature written at every save; the version part starts at offset 9.
constexpr char SETTINGS_SIGNATURE[] = "RIX-WIN v7.11";
constexpr std::size_t SETTINGS_VERSION_OFFSET = 9;

// BASIC_PALETTE (the 16 basic colours) lives in display/screen_format.h.

#pragma pack(push, 1)

// A font description: the fields of a Windows LOGFONT narrowed to 16 bits.
struct FontRecord {
    std::int16_t height;           // +0  pixels; negative = character height; 0 = unset where said
    std::int16_t width;            // +2  pixels; 0 = from the height
    std::int16_t escapement;       // +4  tenths of a degree (2700 for vertical text)
    std::int16_t orientation;      // +6  tenths of a degree
    std::int16_t weight;           // +8  100..900; above 500 is bold
    std::uint8_t italic;           // +10 0/1
    std::uint8_t underline;        // +11 0/1
    std::uint8_t strike_out;       // +12 0/1
    std::uint8_t charset;          // +13 128 = Shift_JIS
    std::uint8_t out_precision;    // +14
    std::uint8_t clip_precision;   // +15
    std::uint8_t quality;          // +16
    std::uint8_t pitch_and_family; // +17
    char face[32];                 // +18 face name, cp932; "@" first = vertical-writing font
};                                 // 50 bytes: the records lie 50 bytes apart in the settings

// Kinsoku settings of one format slot (two bytes per slot at 0x400 + 2f).
struct KinsokuSetting {
    std::uint8_t kinsoku_mode;        // 0 なし none, 1 あり on, 2 二重 double
    std::uint8_t small_kana_kinsoku;  // 拗･促音禁則: small kana may not begin a line; 0/1
};

// Background image names of one screen format (32 bytes per format at 0xd00 + 32f).
struct BackgroundImageNames {
    char tile_image_name[16];   // 敷詰画像 file name in the data folder, NUL-padded
    char full_image_name[16];   // 全面画像 file name
};

// The block 0xcf0..0xd9f mixes line-format bytes and image names. It was once
// an array of 16-byte entries whose entry 0 holds the line-format bytes:
//
//   OFFSET       SIZE  MEANING
//   0xcf0 + f    1×5   line_format_after_typing: bit j, registered format j acts after the typed text
//   0xcf5 + f    1×5   line_format_enabled: bit j, registered format j is enabled
//   0xcfa + f    1×5   line_format_options: bit 0 F5..F12 apply, bit 1 reset at a line break
//   0xcff        1     unused
//   0xd00 + 32f  16    tile_image_name of screen format f (0xcf0 + 16 + 32f)
//   0xd10 + 32f  16    full_image_name of screen format f (0xcf0 + 32 + 32f)

struct SettingsRecord {
    // --- signature and folders ---
    char file_signature[16];              // 0x000 "RIX-WIN v7.11" + NULs; version text at 0x009 (may lack a NUL)
    std::uint8_t reserved_10[16];         // 0x010 reserved, left as read
    char document_folder[128];            // 0x020 文書の保存既定フォルダ; "" = none
    char previous_document[128];          // 0x0a0 path of the document edited last
    char new_document_name[32];           // 0x120 新規文書名 pattern, e.g. "原稿_.txt"
    char key_folder[64];                  // 0x140 folder of the .key files

    // --- general switches ---
    std::uint8_t current_screen_format;   // 0x180 0..4 = 書式１..５
    std::uint8_t ime_control;             // 0x181 ｶﾅ漢字変換制御 0/1
    std::uint8_t fullwidth_file_names;    // 0x182 ﾌｧｲﾙ名全角使用 0/1
    std::uint8_t file_list_order;         // 0x183 file list sort key (low nibble), second key (high nibble)
    std::uint8_t store_history;           // 0x184 履歴情報格納 0/1
    std::uint8_t right_button_action;     // 0x185 0 menu, 1 single-click cut/paste, 2 double-click
    std::uint8_t marks_on_digit_keys;     // 0x186 Ctrl+1..4: 1 marks, 0 jump strings
    std::uint8_t folders_first;           // 0x187 ﾌｫﾙﾀﾞ優先 0/1
    std::uint8_t save_file_code;          // 0x188 保存ﾌｧｲﾙｺｰﾄﾞ 0 original, 1 UNICODE, 2 S-JIS
    std::uint8_t restore_flags;           // 0x189 bit0 restore the edit position
    std::uint8_t startup_choice;          // 0x18a WAKEUP_MSG choice: 0 new, 1 choose a file
    std::uint8_t startup_action;          // 0x18b 起動時の動作 0 new, 1 previous, 2 choose, 3 ask
    std::uint8_t html_font;               // 0x18c 0 明朝, 1 ゴシック
    std::uint8_t html_bold;               // 0x18d 太字 0/1
    std::uint8_t html_next_guide;         // 0x18e applet guide 次頁 0/1
    std::uint8_t html_prev_guide;         // 0x18f applet guide 前頁 0/1
    std::uint8_t html_back_button;        // 0x190 applet [戻る] button 0/1
    std::uint8_t html_ruby_separators;    // 0x191 0 none, 1 （）, 2 〈〉, 3 《》, 4 custom
    char html_custom_separators[5];       // 0x192 two double-byte characters + NUL
    std::uint8_t html_title_mode;         // 0x197 0 none, 1 document title, 2 print title
    std::uint8_t accel_chars;             // 0x198 cursor acceleration along a line 0..4
    std::uint8_t accel_columns;           // 0x199 cursor acceleration across lines 0..4
    std::uint8_t html_format;             // 0x19a 0 vertical CSS, 1 applet
    std::uint8_t ruby_notation;           // 0x19b 1 （）, 2 〈〉, 3 《》, 4 custom; 0 shown as 3
    char ruby_custom_delimiters[5];       // 0x19c two double-byte characters + NUL
    std::uint8_t ruby_allotment;          // 0x1a1 割付 of converted rubies 0 均等, 1 先頭, 2 中央
    std::uint8_t autosave_flags;          // 0x1a2 bit0 by characters, bit1 by minutes, bit2 both required
    std::uint8_t autosave_generations;    // 0x1a3 保存履歴数 1..99
    std::uint16_t autosave_chars;         // 0x1a4 full-width characters between saves 1..9999
    std::uint16_t autosave_minutes;       // 0x1a6 minutes between saves 1..9999
    std::uint8_t index_move_sound;        // 0x1a8 beep when the index follows the cursor 0/1
    std::uint8_t db_content_spacing;      // 0x1a9 content box line spacing 0..4 (最大..最小)
    std::uint8_t html_help_lines;         // 0x1aa bit0 page turning, bit1 list, bit2 help
    std::uint8_t html_help_size;          // 0x1ab 0 小, 1 中, 2 大
    std::uint8_t html_help_colour;        // 0x1ac palette index 0..15
    std::uint8_t html_guide_colour;       // 0x1ad palette index 0..15
    std::uint8_t ftp_site_index;          // 0x1ae selected FTP site 0..2
    std::uint8_t ftp_sort_linked;         // 0x1af 連動 0/1
    std::uint8_t toolbar_items[32];       // 0x1b0 bits0-5 command slot 1..51, bits6-7 separators before; 0 ends
    std::uint8_t edit_key_letters[32];    // 0x1d0 'A'..'Z' calling edit-key slot i with Ctrl; 0 none
    char line_start_prohibited[96];       // 0x1f0 行頭禁則文字, cp932 double-byte characters
    char line_end_prohibited[48];         // 0x250 行末禁則文字
    std::uint8_t wheel_columns;           // 0x280 cursor steps per wheel notch; 0 = wheel off
    char line_id_symbol[3];               // 0x281 行識別記号: 2 bytes + NUL
    std::uint8_t html_size_mode;          // 0x284 bit0: 0 fixed pixels, 1 percentages
    std::uint8_t html_height_percent;     // 0x285 10..100
    std::uint8_t html_width_percent;      // 0x286 10..100
    std::uint8_t pdf_options;             // 0x287 bit0 open after writing, bit1 compress
    std::uint8_t pdf_outline_options;     // 0x288 bit0 outline, bit1 title level, bit2 show when opened
    std::uint8_t index_window_open;       // 0x289 index window open at the last exit 0/1
    std::uint8_t no_backup;               // 0x28a ﾊﾞｯｸｱｯﾌﾟ不作成 0/1
    std::uint8_t no_beep;                 // 0x28b ﾌﾞｻﾞｰ不鳴動 0/1
    std::uint8_t start_maximized;         // 0x28c 最大画面 0/1
    std::uint8_t intro_flags;             // 0x28d bit7: do not show the introduction
    std::uint8_t right_click_items[32];   // 0x28e bits0-5 slot 1..51, bit6 indented, bit7 separator before; 0 ends
    std::uint8_t panel_flags;             // 0x2ae bit7 notebook open at exit, bits0-1 notebook layout
    std::uint8_t list_line_spacing;       // 0x2af 0 大, 1 中, 2 小 (3.3, 3.0, 2.75 × character height)
    std::uint8_t download_flags;          // 0x2b0 bit1 ruby conversion, bits3-4 disposal, bit5 title line
    std::uint8_t bar_flags;               // 0x2b1 bit0 hide the task bar, bit1 hide the menu bar
    std::uint8_t margins_permille_done;   // 0x2b2 bit f: margins of slot f already in ‰
    std::uint8_t reserved_2b3[2];         // 0x2b3 reserved, left as read
    std::uint8_t gap_2b5[1];              // 0x2b5
    std::uint8_t epub_flags;              // 0x2b6 bit0 chapter numbers, bit1 embed font, bit2 split
    std::uint8_t epub_font_size_index;    // 0x2b7 0..4 = 1.25 .. 0.85 em
    std::uint8_t epub_line_spacing_index; // 0x2b8 0..4 = 2.3 .. 1.5
    std::uint8_t epub_split_kb;           // 0x2b9 split size in KB 0..255
    std::uint8_t jump_sheet_page;         // 0x2ba 0 line/page, 1 mark, 2 string, 3 tag
    std::uint8_t mark_check_memory;       // 0x2bb bits0-3: the four mark boxes
    std::uint8_t jump_string_slot;        // 0x2bc 0..7
    std::uint8_t synonym_display;         // 0x2bd 0 list of hits, 1 hits in turn
    std::uint8_t synonym_search;          // 0x2be bit7 always partial match
    std::uint8_t gap_2bf[1];              // 0x2bf

    // --- window places (signed 16-bit pixels) ---
    std::int16_t window_x;                // 0x2c0 main window left; negative read as 0
    std::int16_t window_y;                // 0x2c2 main window top; negative read as 0
    std::int16_t window_width;            // 0x2c4
    std::int16_t window_height;           // 0x2c6
    std::int16_t reserved_2c8[2];         // 0x2c8 carried over from old files, not used
    std::int16_t index_window_pos[4];     // 0x2cc [vertical x, y][horizontal x, y]; 0 = default
    std::int16_t notebook_window_pos[4];  // 0x2d4 same form
    std::int16_t synonym_window_pos[4];   // 0x2dc same form
    std::int16_t help_window_rect[4];     // 0x2e4 left, top, right, bottom
    FontRecord notebook_font;             // 0x2ec height 0 = unset (current screen font)
    FontRecord tag_font;                  // 0x31e height 0 = unset
    std::int16_t tag_size_vertical[2];    // 0x350 width, height; 0 = template size
    std::int16_t tag_size_horizontal[2];  // 0x354 width, height; 0 = template size
    std::int16_t sheet_position[4];       // 0x358 property sheets: vertical x, y; horizontal x, y

    // --- per-format arrays, slots 0..7 ---
    char format_name[8][16];              // 0x360 NUL-padded; may fill all 16 bytes
    std::uint8_t writing_direction[8];    // 0x3e0 0 縦書 vertical, 1 横書 horizontal
    std::uint8_t grid_style[8];           // 0x3e8 0 none, 1 縦線, 2 重線, 3 桝目
    std::uint8_t caret_type[8];           // 0x3f0 0 original, 1 block, 2 bar
    std::uint8_t edit_info_place[8];      // 0x3f8 0 title bar, 1..3 small/medium/large box
    KinsokuSetting kinsoku[8];            // 0x400 mode and small-kana flag, 2 bytes per slot
    std::uint8_t auto_scroll[8];          // 0x410 自動ｽｸﾛｰﾙ 0/1
    std::uint8_t auto_indent[8];          // 0x418 自動字下げ 0/1
    std::uint8_t mark_flags[8];           // 0x420 bit0 line-end marks, bit1 page-break marks
    std::uint8_t halfwidth_display[8];    // 0x428 0 横転 lying, 1 組文字 upright
    std::uint8_t auto_adjust[8];          // 0x430 0 none, 1 scale the font, 2 recompute counts
    std::uint8_t spare_strip_flag[8];     // 0x438 extra off-screen strip in vertical writing 0/1
    std::uint8_t column_numbering[8];     // 0x440 0 continuous, 1 per page
    std::uint8_t text_colour[8];          // 0x448 palette index 0..15 (print body text; old screen colour)
    std::uint8_t grid_colour[8];          // 0x450 palette index 0..15
    std::uint8_t old_caret_colour_index[8];     // 0x458 palette index, read only to convert old files
    std::uint8_t old_ime_text_colour_index[8];  // 0x460 palette index, read only to convert old files
    std::uint8_t chars_per_column[8];     // 0x468 1列の文字数 5..100
    std::uint8_t columns_per_page[8];     // 0x470 列数 per tier: screen 10..50, print 5..100
    std::uint8_t tier_count[8];           // 0x478 段組数 1..4; 0 read as 1
    std::uint8_t tier_gap[8];             // 0x480 段間桁数 0..3 cells
    std::uint8_t page_columns[8];         // 0x488 頁替え列数 10..50
    std::uint8_t tab_width[8];            // 0x490 ﾀﾌﾞ文字数 1..5
    std::int8_t cell_offset_percent[8];   // 0x498 桝目位置補正 -10..10
    std::uint8_t margin_start_permille[8];   // 0x4a0 ‰ of the width (right in vertical writing)
    std::uint8_t margin_top_permille[8];     // 0x4a8 ‰ of the height
    std::uint8_t margin_end_permille[8];     // 0x4b0 ‰ of the width
    std::uint8_t margin_bottom_permille[8];  // 0x4b8 ‰ of the height
    std::uint8_t cell_width_percent[8];   // 0x4c0 桝目幅％ 10..100
    std::uint8_t gap_4c8[40];             // 0x4c8
    FontRecord font[8];                   // 0x4f0 the format font of each slot
    char epub_font_file[32];              // 0x680 font file embedded in EPUB output
    std::uint8_t gap_6a0[32];             // 0x6a0

    // --- screen-only arrays, formats 0..4 ---
    std::uint8_t toolbar_size[5];         // 0x6c0 0 none, 1 small, 2 large buttons
    std::uint8_t gap_6c5[1];              // 0x6c5
    std::uint32_t fill_colour[5];         // 0x6c6 塗潰し COLORREF
    std::uint32_t ime_back_colour[5];     // 0x6da IME背景 COLORREF
    std::uint8_t show_scrollbar[5];       // 0x6ee 0/1
    std::uint8_t index_dock[5];           // 0x6f3 0 floating, 1 left, 2 right
    std::uint8_t background_mode[5];      // 0x6f8 0 fill, 1 tiled image, 2 stretched image
    std::uint8_t edit_info_content[5];    // 0x6fd 0 position, 1 capacity, 2 both
    std::uint8_t centre_margin_permille[5];  // 0x702 中央余白 ‰ of the width 0..200
    std::uint8_t gap_707[1];              // 0x707
    std::uint32_t tag_background[5];      // 0x708 COLORREF; 0 = unset (0xE0E0E0), black stored as 0x010101
    std::uint8_t show_position_bar[5];    // 0x71c 編集位置バー 0/1
    std::uint8_t gap_721[12];             // 0x721

    // --- printing ---
    std::uint8_t current_print_format;    // 0x72d format slot 5..7
    std::uint8_t print_range_mode;        // 0x72e 0 all, 1 lines, 2 pages
    std::uint8_t gap_72f[1];              // 0x72f
    std::uint16_t print_range_start;      // 0x730 first line or page 1..65535
    std::uint16_t print_range_end;        // 0x732 last line or page 1..65535
    std::uint16_t first_page_number;      // 0x734 0 = real page number; 0..999
    std::uint8_t gap_736[42];             // 0x736 (0x75e..0x75f: unused head of the paper array)
    std::uint8_t print_font_size[3];      // 0x760 tenths of a point 1..200; 0 = not chosen
    std::uint8_t printer_paper[3];        // 0x763 bits0-6 paper size code (9 A4, 13 B5), bit7 landscape
    std::uint8_t print_flags[3];          // 0x766 bit0 page numbers, bits1-2 title mode, bit3..5 options
    std::uint8_t wrap_enabled[3];         // 0x769 折返し 0/1
    std::uint8_t wrap_chars[3];           // 0x76c 折返し文字数 5..chars_per_column
    std::uint8_t fukuro_toji[3];          // 0x76f 袋綴じ 0/1
    std::uint8_t fukuro_offset_permille[3];    // 0x772 0..20 ‰
    std::uint8_t header_offset_v_permille[3];  // 0x775 0..90 ‰ of the page height
    std::uint8_t position_adjust_enabled[3];   // 0x778 bit0
    std::uint8_t adjust_column_interval[3];    // 0x77b 1..100 columns
    std::int8_t adjust_column_offset[3];       // 0x77e -99..99 device pixels
    std::int8_t adjust_char_offset[3];         // 0x781 -99..99 device pixels
    std::uint8_t index_flags[3];          // 0x784 bit0 page break at index entries, bit1 title in header
    std::uint8_t header_font_size[3];     // 0x787 tenths of a point 10..200
    std::uint8_t header_colour[3];        // 0x78a palette index 0..15
    std::uint8_t gap_78d[6];              // 0x78d
    std::uint8_t print_background[3];     // 0x793 画面背景 0/1
    std::uint8_t page_number_position[3]; // 0x796 position code 0..7
    std::uint8_t title_position[3];       // 0x799 position code 0..7

    // --- document database ---
    std::uint8_t db_last_table;           // 0x79c 0..255
    std::uint8_t db_last_field;           // 0x79d 0..255
    std::int16_t db_last_record;          // 0x79e list index
    std::int16_t db_window_rect[4];       // 0x7a0 x, y, width, height
    std::int16_t db_list_bottom;          // 0x7a8 screen y; 0 = default
    std::uint8_t db_flags;                // 0x7aa bit0 content box horizontal
    std::uint8_t header_offset_h_permille[3];  // 0x7ab 0..90 ‰ of the page width
    std::uint8_t gap_7ae[82];             // 0x7ae

    // --- FTP sites, 0..2 ---
    char ftp_site_name[3][32];            // 0x800
    char ftp_host[3][32];                 // 0x860
    char ftp_user[3][32];                 // 0x8c0
    char ftp_password[3][32];             // 0x920 stored as typed
    char ftp_site_folder[3][64];          // 0x980
    char ftp_local_folder[3][64];         // 0xa40
    char notebook_file_choice[128];       // 0xb00 "" = <document>.ren
    char db_last_file[128];               // 0xb80 path of the last database file

    // --- line formats and backgrounds, screen formats 0..4 ---
    std::uint32_t registered_line_formats[5][8];   // 0xc00 LineFormatWord for F5..F12
    std::uint8_t line_format_triggers[5][8][2];    // 0xca0 trigger character bytes; 0 none
    std::uint8_t line_format_after_typing[5];      // 0xcf0 bit j: format j after the typed text
    std::uint8_t line_format_enabled[5];           // 0xcf5 bit j: format j enabled
    std::uint8_t line_format_options[5];           // 0xcfa bit0 F5..F12 apply, bit1 reset at line break
    std::uint8_t gap_cff[1];                       // 0xcff
    BackgroundImageNames background_images[5];     // 0xd00 tile/full image names, 32 bytes each
    std::uint32_t text_colour_rgb[5];     // 0xda0 文字 COLORREF
    std::uint32_t grid_colour_rgb[5];     // 0xdb4 桝目 COLORREF
    std::uint32_t caret_colour[5];        // 0xdc8 ｶｰｿﾙ COLORREF
    std::uint32_t ime_text_colour[5];     // 0xddc IME文字 COLORREF
    FontRecord header_font[3];            // 0xdf0 page number/title font; height 0 = copy the text font
    std::uint32_t mark_colour[5];         // 0xe86 改行ﾏｰｸ COLORREF
    std::uint32_t mouse_cursor_colour[5]; // 0xe9a Ｍｶｰｿﾙ COLORREF
    FontRecord db_screen_font;            // 0xeae content box font; height 0 = unset
    FontRecord db_print_font;             // 0xee0 content printing font; height 0 = unset
    std::uint8_t gap_f12[237];            // 0xf12
    std::uint8_t show_char_code;          // 0xfff title shows the code at the cursor 0/1
};

#pragma pack(pop)

static_assert(sizeof(FontRecord) == 50);
static_assert(sizeof(KinsokuSetting) == 2);
static_assert(sizeof(BackgroundImageNames) == 32);
static_assert(sizeof(SettingsRecord) == SETTINGS_RECORD_SIZE);
static_assert(std::is_standard_layout_v<SettingsRecord>);
static_assert(std::is_trivially_copyable_v<SettingsRecord>);

// Print slot index (0..2) of a format slot 5..7.
constexpr int print_index(int slot) { return slot - FIRST_PRINT_SLOT; }

// The version part of the signature ("7.11"), read bounded: the 7 bytes from
// offset 9 up to the first NUL.
std::string_view settings_version_text(const SettingsRecord& rec);
// Byte-wise comparison of that text with `version` (as strcmp would order them).
bool settings_version_below(const SettingsRecord& rec, std::string_view version);

// Palette colour of a stored index; an index beyond 15 (a corrupt file) wraps.
constexpr std::uint32_t palette_colour(std::uint8_t index) { return BASIC_PALETTE[index & 0x0F]; }

// The record and the process-wide changed flag that lives beside it.
struct SettingsState {
    SettingsRecord rec{};   // zero-filled until read
    bool changed = false;   // set by every store into rec; cleared by reading a full record and by writing
};

void mark_settings_changed(SettingsState* settings);

// Reads the environment file at `path` into settings->rec. Returns the count
// of bytes used, 0 when there is no usable file (missing, unreadable, empty,
// or an old file whose conversion the user declined); the record is left
// untouched then. A file of 4096 bytes or more is taken raw and clears the
// changed flag; a shorter one is an old 1024-byte record: the user is asked
// (message kind 4) whether to convert it; on yes it is converted and the
// changed flag is set. Afterwards the record is normalised: negative window
// position, out-of-range current formats, and colours of files before 4.51.
std::size_t read_settings(const std::string& path, SettingsState* settings);

// Results of write_settings.
enum SettingsWriteResult : int {
    SETTINGS_WRITTEN = 0,       // the file now holds the record
    SETTINGS_NOT_WRITTEN = 1,   // nothing to do: unchanged, or not instance 1
    SETTINGS_WRITE_FAILED = 2,  // the file could not be replaced; the old file is whole
};

// Writes the record with a fresh signature to `path` when it changed and
// this is instance 1, through a temporary file and an atomic rename. Clears
// the changed flag on success. Shows no message: the caller decides.
SettingsWriteResult write_settings(const std::string& path, int instance_number, SettingsState* settings);

// Converts an old 1024-byte record into `rec` (cleared first). Exposed for
// tests and tools; read_settings uses it after the user agreed.
void convert_old_settings(const std::uint8_t old[OLD_SETTINGS_RECORD_SIZE], SettingsRecord* rec);

}  // namespace rix

// ---- layout checks: every field at its stored offset ----
#define RIX_AT(field, offset) static_assert(offsetof(rix::SettingsRecord, field) == (offset), #field)
RIX_AT(file_signature, 0x000);
RIX_AT(reserved_10, 0x010);
RIX_AT(document_folder, 0x020);
RIX_AT(previous_document, 0x0a0);
RIX_AT(new_document_name, 0x120);
RIX_AT(key_folder, 0x140);
RIX_AT(current_screen_format, 0x180);
RIX_AT(ime_control, 0x181);
RIX_AT(fullwidth_file_names, 0x182);
RIX_AT(file_list_order, 0x183);
RIX_AT(store_history, 0x184);
RIX_AT(right_button_action, 0x185);
RIX_AT(marks_on_digit_keys, 0x186);
RIX_AT(folders_first, 0x187);
RIX_AT(save_file_code, 0x188);
RIX_AT(restore_flags, 0x189);
RIX_AT(startup_choice, 0x18a);
RIX_AT(startup_action, 0x18b);
RIX_AT(html_font, 0x18c);
RIX_AT(html_bold, 0x18d);
RIX_AT(html_next_guide, 0x18e);
RIX_AT(html_prev_guide, 0x18f);
RIX_AT(html_back_button, 0x190);
RIX_AT(html_ruby_separators, 0x191);
RIX_AT(html_custom_separators, 0x192);
RIX_AT(html_title_mode, 0x197);
RIX_AT(accel_chars, 0x198);
RIX_AT(accel_columns, 0x199);
RIX_AT(html_format, 0x19a);
RIX_AT(ruby_notation, 0x19b);
RIX_AT(ruby_custom_delimiters, 0x19c);
RIX_AT(ruby_allotment, 0x1a1);
RIX_AT(autosave_flags, 0x1a2);
RIX_AT(autosave_generations, 0x1a3);
RIX_AT(autosave_chars, 0x1a4);
RIX_AT(autosave_minutes, 0x1a6);
RIX_AT(index_move_sound, 0x1a8);
RIX_AT(db_content_spacing, 0x1a9);
RIX_AT(html_help_lines, 0x1aa);
RIX_AT(html_help_size, 0x1ab);
RIX_AT(html_help_colour, 0x1ac);
RIX_AT(html_guide_colour, 0x1ad);
RIX_AT(ftp_site_index, 0x1ae);
RIX_AT(ftp_sort_linked, 0x1af);
RIX_AT(toolbar_items, 0x1b0);
RIX_AT(edit_key_letters, 0x1d0);
RIX_AT(line_start_prohibited, 0x1f0);
RIX_AT(line_end_prohibited, 0x250);
RIX_AT(wheel_columns, 0x280);
RIX_AT(line_id_symbol, 0x281);
RIX_AT(html_size_mode, 0x284);
RIX_AT(html_height_percent, 0x285);
RIX_AT(html_width_percent, 0x286);
RIX_AT(pdf_options, 0x287);
RIX_AT(pdf_outline_options, 0x288);
RIX_AT(index_window_open, 0x289);
RIX_AT(no_backup, 0x28a);
RIX_AT(no_beep, 0x28b);
RIX_AT(start_maximized, 0x28c);
RIX_AT(intro_flags, 0x28d);
RIX_AT(right_click_items, 0x28e);
RIX_AT(panel_flags, 0x2ae);
RIX_AT(list_line_spacing, 0x2af);
RIX_AT(download_flags, 0x2b0);
RIX_AT(bar_flags, 0x2b1);
RIX_AT(margins_permille_done, 0x2b2);
RIX_AT(reserved_2b3, 0x2b3);
RIX_AT(epub_flags, 0x2b6);
RIX_AT(epub_font_size_index, 0x2b7);
RIX_AT(epub_line_spacing_index, 0x2b8);
RIX_AT(epub_split_kb, 0x2b9);
RIX_AT(jump_sheet_page, 0x2ba);
RIX_AT(mark_check_memory, 0x2bb);
RIX_AT(jump_string_slot, 0x2bc);
RIX_AT(synonym_display, 0x2bd);
RIX_AT(synonym_search, 0x2be);
RIX_AT(window_x, 0x2c0);
RIX_AT(window_y, 0x2c2);
RIX_AT(window_width, 0x2c4);
RIX_AT(window_height, 0x2c6);
RIX_AT(reserved_2c8, 0x2c8);
RIX_AT(index_window_pos, 0x2cc);
RIX_AT(notebook_window_pos, 0x2d4);
RIX_AT(synonym_window_pos, 0x2dc);
RIX_AT(help_window_rect, 0x2e4);
RIX_AT(notebook_font, 0x2ec);
RIX_AT(tag_font, 0x31e);
RIX_AT(tag_size_vertical, 0x350);
RIX_AT(tag_size_horizontal, 0x354);
RIX_AT(sheet_position, 0x358);
RIX_AT(format_name, 0x360);
RIX_AT(writing_direction, 0x3e0);
RIX_AT(grid_style, 0x3e8);
RIX_AT(caret_type, 0x3f0);
RIX_AT(edit_info_place, 0x3f8);
RIX_AT(kinsoku[0].kinsoku_mode, 0x400);
RIX_AT(kinsoku[0].small_kana_kinsoku, 0x401);
RIX_AT(kinsoku[7].small_kana_kinsoku, 0x40f);
RIX_AT(auto_scroll, 0x410);
RIX_AT(auto_indent, 0x418);
RIX_AT(mark_flags, 0x420);
RIX_AT(halfwidth_display, 0x428);
RIX_AT(auto_adjust, 0x430);
RIX_AT(spare_strip_flag, 0x438);
RIX_AT(column_numbering, 0x440);
RIX_AT(text_colour, 0x448);
RIX_AT(grid_colour, 0x450);
RIX_AT(old_caret_colour_index, 0x458);
RIX_AT(old_ime_text_colour_index, 0x460);
RIX_AT(chars_per_column, 0x468);
RIX_AT(columns_per_page, 0x470);
RIX_AT(tier_count, 0x478);
RIX_AT(tier_gap, 0x480);
RIX_AT(page_columns, 0x488);
RIX_AT(tab_width, 0x490);
RIX_AT(cell_offset_percent, 0x498);
RIX_AT(margin_start_permille, 0x4a0);
RIX_AT(margin_top_permille, 0x4a8);
RIX_AT(margin_end_permille, 0x4b0);
RIX_AT(margin_bottom_permille, 0x4b8);
RIX_AT(cell_width_percent, 0x4c0);
RIX_AT(font, 0x4f0);
RIX_AT(font[7], 0x4f0 + 50 * 7);
RIX_AT(epub_font_file, 0x680);
RIX_AT(toolbar_size, 0x6c0);
RIX_AT(fill_colour, 0x6c6);
RIX_AT(ime_back_colour, 0x6da);
RIX_AT(show_scrollbar, 0x6ee);
RIX_AT(index_dock, 0x6f3);
RIX_AT(background_mode, 0x6f8);
RIX_AT(edit_info_content, 0x6fd);
RIX_AT(centre_margin_permille, 0x702);
RIX_AT(tag_background, 0x708);
RIX_AT(show_position_bar, 0x71c);
RIX_AT(current_print_format, 0x72d);
RIX_AT(print_range_mode, 0x72e);
RIX_AT(print_range_start, 0x730);
RIX_AT(print_range_end, 0x732);
RIX_AT(first_page_number, 0x734);
RIX_AT(print_font_size, 0x760);
RIX_AT(printer_paper, 0x763);
RIX_AT(print_flags, 0x766);
RIX_AT(wrap_enabled, 0x769);
RIX_AT(wrap_chars, 0x76c);
RIX_AT(fukuro_toji, 0x76f);
RIX_AT(fukuro_offset_permille, 0x772);
RIX_AT(header_offset_v_permille, 0x775);
RIX_AT(position_adjust_enabled, 0x778);
RIX_AT(adjust_column_interval, 0x77b);
RIX_AT(adjust_column_offset, 0x77e);
RIX_AT(adjust_char_offset, 0x781);
RIX_AT(index_flags, 0x784);
RIX_AT(header_font_size, 0x787);
RIX_AT(header_colour, 0x78a);
RIX_AT(print_background, 0x793);
RIX_AT(page_number_position, 0x796);
RIX_AT(title_position, 0x799);
RIX_AT(db_last_table, 0x79c);
RIX_AT(db_last_field, 0x79d);
RIX_AT(db_last_record, 0x79e);
RIX_AT(db_window_rect, 0x7a0);
RIX_AT(db_list_bottom, 0x7a8);
RIX_AT(db_flags, 0x7aa);
RIX_AT(header_offset_h_permille, 0x7ab);
RIX_AT(ftp_site_name, 0x800);
RIX_AT(ftp_host, 0x860);
RIX_AT(ftp_user, 0x8c0);
RIX_AT(ftp_password, 0x920);
RIX_AT(ftp_site_folder, 0x980);
RIX_AT(ftp_local_folder, 0xa40);
RIX_AT(notebook_file_choice, 0xb00);
RIX_AT(db_last_file, 0xb80);
RIX_AT(registered_line_formats, 0xc00);
RIX_AT(line_format_triggers, 0xca0);
RIX_AT(line_format_after_typing, 0xcf0);
RIX_AT(background_images[0].tile_image_name, 0xcf0 + 16);
RIX_AT(background_images[0].full_image_name, 0xcf0 + 32);
RIX_AT(background_images[4].tile_image_name, 0xcf0 + 16 + 32 * 4);
RIX_AT(background_images[4].full_image_name, 0xcf0 + 32 + 32 * 4);
RIX_AT(line_format_enabled, 0xcf5);
RIX_AT(line_format_options, 0xcfa);
RIX_AT(text_colour_rgb, 0xda0);
RIX_AT(grid_colour_rgb, 0xdb4);
RIX_AT(caret_colour, 0xdc8);
RIX_AT(ime_text_colour, 0xddc);
RIX_AT(header_font, 0xdf0);
RIX_AT(mark_colour, 0xe86);
RIX_AT(mouse_cursor_colour, 0xe9a);
RIX_AT(db_screen_font, 0xeae);
RIX_AT(db_print_font, 0xee0);
RIX_AT(show_char_code, 0xfff);
#undef RIX_AT
