#include "ui/ManPage.h"

#include <cctype>
#include <vector>

namespace lw {

namespace {

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

size_t indentOf(std::string_view line) {
    const size_t first = line.find_first_not_of(' ');
    return first == std::string_view::npos ? line.size() : first;
}

std::string_view trimmed(std::string_view s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const size_t last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

// The escaped text of one input line of a filled paragraph.
std::string fillLine(std::string_view line) {
    std::string out = roffEscape(trimmed(line));
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

// A macro argument in double quotes.
std::string quotedArgument(std::string_view text) {
    std::string out = "\"";
    for (char c : roffEscape(text)) {
        if (c == '"')
            out += "\\(dq";
        else
            out += c;
    }
    return out + "\"";
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::string roffEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

std::string capitalized(std::string_view text) {
    std::string out(text);
    if (!out.empty())
        out[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(out[0])));
    return out;
}

std::string roffUsage(std::string_view usage) {
    std::string out;
    std::string word;
    auto flush = [&] {
        if (word.empty())
            return;
        const char first = word[0];
        const char* font = first == '-' || std::islower(static_cast<unsigned char>(first)) ? "\\fB"
                           : std::isupper(static_cast<unsigned char>(first))               ? "\\fI"
                                                                             : nullptr;
        // A trailing ellipsis ("ARGS...") stays in the roman font.
        size_t stem = word.size();
        while (stem > 0 && word[stem - 1] == '.')
            --stem;
        if (font && stem > 0)
            out += font + roffEscape(std::string_view(word).substr(0, stem)) + "\\fR" +
                   word.substr(stem);
        else
            out += roffEscape(word);
        word.clear();
    };
    for (char c : usage) {
        if (c == ' ' || c == '[' || c == ']' || c == '|' || c == '(' || c == ')' || c == '{' ||
            c == '}' || c == ',') {
            flush();
            out += c;
        } else {
            word += c;
        }
    }
    flush();
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

ManPage::ManPage(std::string name, int section, std::string source, std::string summary) {
    text_ = ".TH " + quotedArgument(upper(name)) + " " + std::to_string(section) + " \"\" " +
            quotedArgument(source) + " \"User Commands\"\n";
    text_ += ".SH NAME\n" + roffEscape(name) + " \\- " + fillLine(summary) + "\n";
}

void ManPage::section(std::string_view title) {
    text_ += ".SH " + quotedArgument(upper(title)) + "\n";
}

void ManPage::subsection(std::string_view title) {
    text_ += ".SS " + quotedArgument(title) + "\n";
}

void ManPage::paragraph(std::string_view text) {
    text_ += ".PP\n";
    for (std::string_view line : splitLines(text))
        if (!trimmed(line).empty())
            text_ += fillLine(line) + "\n";
}

void ManPage::usage(std::string_view text) {
    text_ += ".PP\n" + roffUsage(text) + "\n";
}

void ManPage::item(std::string_view tag, std::string_view text) {
    text_ += ".TP\n" + roffUsage(tag) + "\n";
    for (std::string_view line : splitLines(text))
        if (!trimmed(line).empty())
            text_ += fillLine(line) + "\n";
}

void ManPage::helpText(std::string_view text, std::string_view itemPrefix) {
    enum class State { None, Prose, Tag, Body } state = State::None;
    std::string tag;
    auto flushTag = [&] {
        if (state == State::Tag)
            text_ += ".TP\n" + roffUsage(tag) + "\n";
    };
    for (std::string_view line : splitLines(text)) {
        const size_t indent = indentOf(line);
        if (trimmed(line).empty()) {
            flushTag();
            state = State::None;
        } else if (indent == 0 && !itemPrefix.empty() &&
                   line.substr(0, itemPrefix.size()) == itemPrefix) {
            flushTag();
            tag = std::string(line);
            state = State::Tag;
        } else if (indent > 2 && state == State::Tag) {
            tag += " " + std::string(trimmed(line));
        } else if (indent > 0 && (state == State::Tag || state == State::Body)) {
            flushTag();
            text_ += fillLine(line) + "\n";
            state = State::Body;
        } else {
            // Prose, or an indented line outside an item: a paragraph of its own.
            flushTag();
            if (state != State::Prose || indent > 0)
                text_ += ".PP\n";
            text_ += fillLine(line) + "\n";
            state = indent > 0 ? State::None : State::Prose;
        }
    }
    flushTag();
}

void ManPage::seeAlso(std::initializer_list<std::pair<std::string_view, int>> pages) {
    text_ += ".PP\n";
    size_t left = pages.size();
    for (const auto& [name, section] : pages)
        text_ += ".BR " + roffEscape(name) + " (" + std::to_string(section) + ")" +
                 (--left ? "," : "") + "\n";
}

} // namespace lw
