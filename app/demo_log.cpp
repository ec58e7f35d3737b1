#include "demo_log.hpp"

#include "vistrel/platform/foundation/log.hpp"

namespace {

bool opensDocument(std::string_view text) { return text == "{" || text == "["; }
bool closesDocument(std::string_view text) { return text == "}" || text == "]"; }
// The line platform::logExcerpt ends a cut text with.
bool saysWhatWasLeftOut(std::string_view text) { return text.starts_with("[left out: ") && text.ends_with("]"); }
// Inside a pretty-printed document every line is indented; another line is someone
// else's (a thread logging meanwhile).
bool insideDocument(std::string_view text) { return text.starts_with(' ') || text.starts_with('\t'); }

}  // namespace

void DemoLog::line(std::string_view text) {
    std::lock_guard lock(mutex_);
    if (held_.empty()) {
        if (opensDocument(text))
            held_.emplace_back(text);
        else
            out_ << "  [kit] " << text << "\n";
        return;
    }
    if (closesDocument(text)) {
        out_ << "  [kit] (a JSON document of " << held_.size() + 1 << " lines)\n";
        held_.clear();
        return;
    }
    if (saysWhatWasLeftOut(text)) {
        out_ << "  [kit] (the first " << held_.size() << " lines of a JSON document) " << text << "\n";
        held_.clear();
        return;
    }
    if (!insideDocument(text)) {
        out_ << "  [kit] " << text << "\n";
        return;
    }
    held_.emplace_back(text);
    if (held_.size() > maxDocumentLines) showHeld();
}

void DemoLog::flush() {
    std::lock_guard lock(mutex_);
    showHeld();
    out_.flush();
}

void DemoLog::showHeld() {
    for (const std::string& held : held_) out_ << "  [kit] " << held << "\n";
    held_.clear();
}

