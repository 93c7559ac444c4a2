// The line scanner (see storage.h for the stored form).
#include "document/storage.h"

#include <algorithm>

namespace rix {

// Every item, though next() takes the characters before it gets here.
ScanItem LineScanner::next_other() {
    if (done_) return last_;
    ScanItem item;
    item.column = static_cast<std::uint32_t>(pos_);
    auto finish = [&](ItemKind kind, std::size_t length) {
        item.kind = kind;
        item.length = static_cast<std::uint32_t>(length);
        if (kind == ItemKind::LINE_END || kind == ItemKind::TEXT_END || kind == ItemKind::CUT) {
            done_ = true;
            last_ = item;
        }
        pos_ += length;
        return item;
    };
    if (pos_ >= available_) return finish(ItemKind::CUT, 0);
    std::uint8_t x = line_[pos_];
    std::size_t left = available_ - pos_;
    if (x == LINE_END_MARK) return finish(ItemKind::LINE_END, std::min<std::size_t>(2, left));
    if (x == RUBY_MARK || x == TAG_MARK) {
        // Skip the unexamined bytes after the opening mark, then find the close.
        std::size_t skip = x == RUBY_MARK ? 1 : 2;
        std::size_t i = 1 + skip;
        while (i < left && line_[pos_ + i] != x) ++i;
        if (i >= left) return finish(ItemKind::CUT, 0);
        return finish(x == RUBY_MARK ? ItemKind::RUBY : ItemKind::TAG, i + 1);
    }
    if (x >= IGNORED_MARK) return finish(ItemKind::IGNORED, 1);
    if (x == TEXT_END_MARK) return finish(ItemKind::TEXT_END, std::min<std::size_t>(2, left));
    if (is_stored_lead(x)) {
        if (left < 2) return finish(ItemKind::CUT, 0);
        item.code = static_cast<std::uint16_t>(x << 8 | line_[pos_ + 1]);
        return finish(ItemKind::DOUBLE, 2);
    }
    if (left >= 2 && is_printable_single(line_[pos_ + 1])) {
        item.code = line_[pos_ + 1];
        return finish(ItemKind::PAIR, 2);
    }
    item.code = x;
    return finish(ItemKind::SINGLE, 1);
}

RubyRun read_ruby_run(const std::uint8_t* line, const ScanItem& ruby, LineScanner& scanner) {
    RubyRun run;
    const std::uint8_t param = line[ruby.column + 1];
    run.reading.assign(reinterpret_cast<const char*>(line) + ruby.column + 2, ruby.length >= 3 ? ruby.length - 3 : 0);
    const std::size_t asked = (param & MAX_RUBY_BASE_CELLS) ? (param & MAX_RUBY_BASE_CELLS) : 1;
    std::size_t cells = 0;
    ScanItem item = scanner.next();
    while (cells < asked) {
        if (item.kind == ItemKind::DOUBLE || item.kind == ItemKind::SINGLE || item.kind == ItemKind::PAIR) {
            run.base.append(reinterpret_cast<const char*>(line) + item.column, item.length);
            ++cells;
        } else if (item.kind != ItemKind::TAG && item.kind != ItemKind::IGNORED) {
            break;   // a line end, the text end, another ruby: the base ends
        }
        item = scanner.next();
    }
    run.next = item;
    return run;
}

std::string storable_ruby_text(std::string_view text) {
    std::string out;
    for (std::size_t k = 0; k < text.size();) {
        const auto b = static_cast<std::uint8_t>(text[k]);
        std::size_t n = 0;
        if (is_stored_lead(b)) {
            if (k + 1 < text.size() && is_trail_byte(static_cast<std::uint8_t>(text[k + 1]))) n = 2;
        } else if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) {
            n = 1;
        }
        if (n == 0) {
            ++k;
            continue;
        }
        if (out.size() + n > MAX_RUBY_TEXT) break;
        out.append(text.substr(k, n));
        k += n;
    }
    return out;
}

}  // namespace rix
