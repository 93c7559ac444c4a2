// The "_ruby" file (see ruby_embed.h).
#include "publish/ruby_embed.h"

#include "document/save.h"

namespace rix {
namespace {

// Replaces the one "%s" of a UTF-8 message by `name` (native UTF-8).
std::string with_name(std::string_view message, const std::string& name) {
    std::string m(message);
    const std::size_t at = m.find("%s");
    if (at != std::string::npos) m.replace(at, 2, name);
    return m;
}

}  // namespace

std::string ruby_file_path(const std::string& save_name) {
    const std::size_t slash = save_name.rfind('/');
    const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = save_name.rfind('.');
    if (dot == std::string::npos || dot <= name_start) return save_name + "_ruby";
    return save_name.substr(0, dot) + "_ruby" + save_name.substr(dot);
}

RubyEmbedResult embed_rubies(Document& doc, DocumentState& state, LoadSession& session,
                             const ExportOptions& notation, std::string* html_target, Questions& questions,
                             WindowRef owner) {
    RubyEmbedResult result;
    if (state.save_name.empty()) return result;
    const std::string path = ruby_file_path(state.save_name);
    if (!questions.yes_no(with_name("ルビを本文に組込んだテキスト\n\n%s\n\nを作成しますか？", path), owner)) return result;
    ExportOptions o;
    o.form = ExportForm::EXPORT;
    o.write_rubies = true;
    o.ruby_notation = notation.ruby_notation;
    o.custom_delimiters = notation.custom_delimiters;
    if (!write_out_document(doc, state, session, o, path, &result.notices)) return result;
    result.written = true;
    if (questions.yes_no(with_name("ルビを本文に組込んだ文書\n%s\nを作成しました。\nこれをhtmlの対象ファイルにしますか？", path),
                         owner)) {
        if (html_target) *html_target = path;
        result.made_target = html_target != nullptr;
    }
    return result;
}

}  // namespace rix
