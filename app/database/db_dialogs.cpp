#include "app/database/db_dialogs.h"

#include <algorithm>

#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

constexpr int DT_DATE_FIRST = 901, DT_DATE_LAST = 905, DT_TIME_FIRST = 911, DT_TIME_LAST = 913;

class DateTimeDialog final : public DialogProcedure {
public:
    DateTimeDialog(DateTimeChoice* choice, const std::tm& now, std::string* text)
        : choice_(choice), now_(now), text_(text) {}
    void init(DialogContext& ctx) override {
        ctx.set_radio(DT_DATE_FIRST, DT_DATE_LAST, DT_DATE_FIRST + static_cast<int>(choice_->date));
        ctx.set_radio(DT_TIME_FIRST, DT_TIME_LAST, DT_TIME_FIRST + static_cast<int>(choice_->time));
    }
    bool command(DialogContext&, int id, int) override {
        if (id != 6) return false;
        messages().show_help(DB_HELP_TOPIC);
        return true;
    }
    bool ok(DialogContext& ctx) override {
        const int d = ctx.get_radio(DT_DATE_FIRST, DT_DATE_LAST);
        const int t = ctx.get_radio(DT_TIME_FIRST, DT_TIME_LAST);
        const DateKind date = d ? static_cast<DateKind>(d - DT_DATE_FIRST) : DateKind::NONE;
        const TimeKind time = t ? static_cast<TimeKind>(t - DT_TIME_FIRST) : TimeKind::NONE;
        if (date == DateKind::NONE && time == TimeKind::NONE) {
            ctx.show_message(MSG_NOTICE, sj("日付か時刻のどちらかを選んでください。"), 3000);
            return false;
        }
        choice_->date = date;
        choice_->time = time;
        *text_ = format_date_time(date, time, now_);
        return true;
    }
    void cancel(DialogContext&) override {}

private:
    DateTimeChoice* choice_;
    std::tm now_;
    std::string* text_;
};

constexpr int EV_VERTICAL = 10, EV_HORIZONTAL = 11, EV_LIST_FIRST = 20, EV_LIST_LAST = 22, EV_CONTENT_FIRST = 30,
              EV_CONTENT_LAST = 34, EV_SCREEN_FONT = 40, EV_PRINT_FONT = 41, EV_FOLDER = 8050, EV_BROWSE = 8051;

class DbSettingsDialog final : public DialogProcedure {
public:
    DbSettingsDialog(DbBrowserSettings* settings, const DbSettingsServices& services)
        : settings_(settings), services_(services), work_(*settings) {}
    void init(DialogContext& ctx) override {
        ctx.set_radio(EV_VERTICAL, EV_HORIZONTAL, work_.horizontal ? EV_HORIZONTAL : EV_VERTICAL);
        ctx.set_radio(EV_LIST_FIRST, EV_LIST_LAST, EV_LIST_FIRST + std::clamp(work_.list_spacing, 0, 2));
        ctx.set_radio(EV_CONTENT_FIRST, EV_CONTENT_LAST, EV_CONTENT_FIRST + std::clamp(work_.content_spacing, 0, 4));
        ctx.set_text(EV_FOLDER, utf8_to_sjis(work_.document_folder));
        ctx.enable(EV_SCREEN_FONT, services_.fonts != nullptr);
        ctx.enable(EV_PRINT_FONT, services_.fonts != nullptr);
        ctx.enable(EV_BROWSE, static_cast<bool>(services_.choose_folder));
    }
    bool command(DialogContext& ctx, int id, int) override {
        switch (id) {
        case EV_SCREEN_FONT: choose_font(&work_.screen_font, "画面"); return true;
        case EV_PRINT_FONT: choose_font(&work_.print_font, "印刷"); return true;
        case EV_BROWSE: {
            std::string folder = sjis_to_utf8(ctx.get_text(EV_FOLDER));
            if (services_.choose_folder && services_.choose_folder(&folder)) ctx.set_text(EV_FOLDER, utf8_to_sjis(folder));
            return true;
        }
        case 6: messages().show_help("DBEV"); return true;
        default: return false;
        }
    }
    bool ok(DialogContext& ctx) override {
        work_.horizontal = ctx.get_radio(EV_VERTICAL, EV_HORIZONTAL) == EV_HORIZONTAL;
        if (const int l = ctx.get_radio(EV_LIST_FIRST, EV_LIST_LAST)) work_.list_spacing = l - EV_LIST_FIRST;
        if (const int c = ctx.get_radio(EV_CONTENT_FIRST, EV_CONTENT_LAST)) work_.content_spacing = c - EV_CONTENT_FIRST;
        work_.document_folder = sjis_to_utf8(ctx.get_text(EV_FOLDER));
        *settings_ = work_;
        return true;
    }
    void cancel(DialogContext&) override {}

private:
    void choose_font(DbFont* font, const char* kind) {
        FontChoice choice;
        choice.caption = utf8_to_sjis(std::string(" 文書ＤＢ　") + kind + "文字フォントの設定");
        choice.help_topic = "DBEV";
        choice.min_points = 1;
        choice.max_points = 24;
        choice.font.height = font->height != 0 ? font->height : -16;
        choice.font.weight = font->weight;
        choice.font.italic = font->italic ? 1 : 0;
        choice.font.face = font->face.empty() ? sj("IPAex明朝") : font->face;
        if (!services_.fonts->choose_font(&choice)) return;
        font->height = choice.font.height;
        font->weight = choice.font.weight;
        font->italic = choice.font.italic != 0;
        font->face = choice.font.face;
    }

    DbBrowserSettings* settings_;
    DbSettingsServices services_;
    DbBrowserSettings work_;
};

constexpr int FIND_WHAT = 10, FIND_WITH = 11, FIND_WITH_LABEL = 12, FIND_UP = 20, FIND_DOWN = 21, FIND_NEXT = 30,
              FIND_REPLACE = 31, FIND_ALL = 32;

class ContentFindDialog final : public DialogProcedure {
public:
    ContentFindDialog(TextBox& box, bool replace) : box_(box), replace_(replace) {}
    void init(DialogContext& ctx) override {
        ctx.set_radio(FIND_UP, FIND_DOWN, FIND_DOWN);
        ctx.set_caption(sj(replace_ ? " 置換" : " 検索"));
        for (int id : {FIND_WITH, FIND_WITH_LABEL, FIND_REPLACE, FIND_ALL}) ctx.show(id, replace_);
        start_ = box_.caret_offset();
    }
    bool command(DialogContext& ctx, int id, int) override {
        switch (id) {
        case FIND_NEXT: find(ctx); return true;
        case FIND_REPLACE: replace(ctx); return true;
        case FIND_ALL: replace_all(ctx); return true;
        default: return false;
        }
    }
    bool ok(DialogContext& ctx) override {
        find(ctx);
        return false;
    }
    void cancel(DialogContext&) override {}
    bool changed() const { return changed_; }

private:
    bool down(DialogContext& ctx) const { return ctx.get_radio(FIND_UP, FIND_DOWN) != FIND_UP; }
    void not_found(DialogContext& ctx) {
        ctx.show_message(MSG_NOTICE, sj(" 検索語が見付かりません。"), 2000);
        found_ = std::string::npos;
    }
    void find(DialogContext& ctx) {
        const std::string what = ctx.get_text(FIND_WHAT);
        const std::string text = box_.text();
        const bool forward = down(ctx);
        const std::size_t at = find_in_content(text, what, start_, forward);
        if (at == std::string::npos) return not_found(ctx);
        found_ = at;
        found_length_ = what.size();
        box_.select(at, at + what.size());
        start_ = forward ? at + what.size() : at;
    }
    void replace(DialogContext& ctx) {
        if (found_ == std::string::npos) return find(ctx);
        std::string text = box_.text();
        const std::string with = ctx.get_text(FIND_WITH);
        if (found_ + found_length_ > text.size()) return find(ctx);
        text.replace(found_, found_length_, with);
        box_.set_text(text);
        changed_ = true;
        const std::size_t after = found_ + with.size();
        box_.select(after, after);
        start_ = down(ctx) ? after : found_;
        found_ = std::string::npos;
        find(ctx);
    }
    void replace_all(DialogContext& ctx) {
        const std::string what = ctx.get_text(FIND_WHAT);
        if (what.empty()) return not_found(ctx);
        std::string text = box_.text();
        const std::size_t count = replace_all_in_content(&text, what, ctx.get_text(FIND_WITH));
        if (count == 0) return not_found(ctx);
        box_.set_text(text);
        changed_ = true;
        found_ = std::string::npos;
        start_ = 0;
        ctx.show_message(MSG_NOTICE, " " + std::to_string(count) + sj(" 個置換しました。"), 4000);
    }

    TextBox& box_;
    bool replace_;
    std::size_t start_ = 0;
    std::size_t found_ = std::string::npos;   // the occurrence selected by the last search
    std::size_t found_length_ = 0;
    bool changed_ = false;
};

constexpr int PS_LEFT = 10, PS_TOP = 11, PS_RIGHT = 12, PS_BOTTOM = 13;

class PageSetupDialog final : public DialogProcedure {
public:
    explicit PageSetupDialog(DbPrintSettings* settings) : settings_(settings) {}
    void init(DialogContext& ctx) override {
        ctx.set_number(PS_LEFT, settings_->margin_left / 100);
        ctx.set_number(PS_TOP, settings_->margin_top / 100);
        ctx.set_number(PS_RIGHT, settings_->margin_right / 100);
        ctx.set_number(PS_BOTTOM, settings_->margin_bottom / 100);
    }
    bool command(DialogContext&, int, int) override { return false; }
    bool ok(DialogContext& ctx) override {
        int mm[4];
        const int ids[4] = {PS_LEFT, PS_TOP, PS_RIGHT, PS_BOTTOM};
        for (int i = 0; i < 4; ++i) {
            bool good = false;
            mm[i] = ctx.get_number(ids[i], &good);
            if (!good || mm[i] < 0 || mm[i] > 100) {
                ctx.show_message(MSG_NOTICE, sj("余白は 0 から 100 (mm) までの数で入れてください。"), 3000);
                ctx.focus(ids[i]);
                return false;
            }
        }
        settings_->margin_left = mm[0] * 100;
        settings_->margin_top = mm[1] * 100;
        settings_->margin_right = mm[2] * 100;
        settings_->margin_bottom = mm[3] * 100;
        return true;
    }
    void cancel(DialogContext&) override {}

private:
    DbPrintSettings* settings_;
};

}  // namespace

bool run_db_page_setup_dialog(DbPrintSettings* settings, WindowRef owner) {
    PageSetupDialog proc(settings);
    return run_dialog("DB_PAGESET", proc, owner) == DIALOG_OK;
}

bool run_date_time_dialog(DateTimeChoice* choice, const std::tm& now, std::string* text, WindowRef owner) {
    DateTimeDialog proc(choice, now, text);
    return run_dialog("DB_DTIN", proc, owner) == DIALOG_OK;
}

bool run_db_settings_dialog(DbBrowserSettings* settings, const DbSettingsServices& services, WindowRef owner) {
    DbSettingsDialog proc(settings, services);
    return run_dialog("DB_EVSET", proc, owner) == DIALOG_OK;
}

bool run_content_find_dialog(TextBox& box, bool replace, WindowRef owner) {
    ContentFindDialog proc(box, replace);
    run_dialog("DB_FIND", proc, owner);
    return proc.changed();
}

}  // namespace rix
