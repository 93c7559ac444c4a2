// The settings a new user starts with, and the range check of a record.
//
// build_default_settings fills a SettingsRecord with the values of the
// environment file shipped in resources/rix.env (written by the tool
// rix_make_env from this code, so the two never drift apart). The record is
// complete: five screen formats, three print formats, kinsoku sets, tool bar
// and right-click lists, colours and window place, every number inside the
// range its dialog enforces. check_settings_ranges states those ranges once
// and is what the tests hold the shipped file to.
#pragma once

#include <string>
#include <string_view>

#include "app/settings/settings_record.h"

namespace rix {

// 行頭禁則文字, code page 932: 、。，．？！゛゜ヽヾゝゞ〃々―～…‥’”）〕］｝〉》」』】 (29 characters)
inline constexpr std::string_view DEFAULT_LINE_START_PROHIBITED =
    "\x81\x41\x81\x42\x81\x43\x81\x44\x81\x48\x81\x49\x81\x4a\x81\x4b\x81\x52\x81\x53"
    "\x81\x54\x81\x55\x81\x56\x81\x58\x81\x5c\x81\x60\x81\x63\x81\x64\x81\x66\x81\x68"
    "\x81\x6a\x81\x6c\x81\x6e\x81\x70\x81\x72\x81\x74\x81\x76\x81\x78\x81\x7a";
// 行末禁則文字, code page 932: ‘“（〔［｛〈《「『【 (11 characters)
inline constexpr std::string_view DEFAULT_LINE_END_PROHIBITED =
    "\x81\x65\x81\x67\x81\x69\x81\x6b\x81\x6d\x81\x6f\x81\x71\x81\x73\x81\x75\x81\x77\x81\x79";
// 新規文書名, code page 932: 原稿_.txt
inline constexpr std::string_view DEFAULT_NEW_DOCUMENT_NAME = "\x8c\xb4\x8d\x65" "_.txt";

// Puts the two default kinsoku sets into the record (also the 既定値 of the
// kinsoku page and of the conversion of old records).
void store_default_kinsoku_sets(SettingsRecord* rec);

// Fills *rec with the shipped defaults, signature included.
void build_default_settings(SettingsRecord* rec);

// True when every field that has a documented range lies inside it, for all
// five screen and three print slots, and the few cross-field rules hold
// (font direction matches writing direction, fold length within the column,
// print range start <= end, tool lists name real commands). Otherwise false,
// with the first problem described in *problem (when given), e.g.
// "chars_per_column[2] = 3, expected 5..100".
bool check_settings_ranges(const SettingsRecord& rec, std::string* problem);

}  // namespace rix
