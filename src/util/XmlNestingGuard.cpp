#include "util/XmlNestingGuard.h"

#include <algorithm>
#include <iterator>

namespace {

bool IsWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameChar(char c) {
    return c != '\0' && !IsWhitespace(c) && c != '/' && c != '>' && c != '?';
}

bool IsAttributeNameChar(char c) {
    return IsNameChar(c) && c != '!' && c != '<' && c != '=';
}

// Markup whose content the reader skips up to a fixed terminator, in the order
// it tells them apart.
struct SkippedMarkup {
    std::string_view start;
    std::string_view end;
};
constexpr SkippedMarkup kSkippedMarkup[] = {
    {"<?", "?>"}, {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<!", ">"}};

// boost's reader (rapidxml) descends the stack once per open element, so a
// served manifest of a few hundred thousand nested tags would crash the
// installer rather than fail to load. This scan follows the reader's markup
// rules (names, quoted attribute values, comments, CDATA, processing
// instructions, DOCTYPE) and counts open elements; where the reader would stop
// with an error the scan stops too and leaves the verdict to the reader.
}  // namespace

bool IsXmlNestingWithin(std::string_view xml, int limit) {
    std::size_t i = xml.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    const auto at = [&xml](std::size_t k) { return k < xml.size() ? xml[k] : '\0'; };
    const auto skipWhile = [&](bool (*test)(char)) {
        const std::size_t from = i;
        while (test(at(i))) {
            ++i;
        }
        return i > from;
    };
    const auto skipPast = [&](std::string_view end) {
        const std::size_t found = xml.find(end, i);
        i = found == std::string_view::npos ? xml.size() : found + end.size();
        return found != std::string_view::npos;
    };
    // The internal subset may hold '>' inside brackets.
    const auto skipDoctype = [&]() {
        for (int brackets = 0; i < xml.size(); ++i) {
            if (xml[i] == '[') {
                ++brackets;
            } else if (xml[i] == ']' && brackets > 0) {
                --brackets;
            } else if (xml[i] == '>' && brackets == 0) {
                ++i;
                return true;
            }
        }
        return false;
    };
    // Name, then attributes each written name = quoted value.
    const auto skipNameAndAttributes = [&]() {
        if (!skipWhile(IsNameChar)) {
            return false;
        }
        skipWhile(IsWhitespace);
        while (skipWhile(IsAttributeNameChar)) {
            skipWhile(IsWhitespace);
            if (at(i++) != '=') {
                return false;
            }
            skipWhile(IsWhitespace);
            const char quote = at(i++);
            if ((quote != '"' && quote != '\'') || !skipPast(std::string_view(&quote, 1))) {
                return false;
            }
            skipWhile(IsWhitespace);
        }
        return true;
    };

    int depth = 0;
    while (true) {
        skipWhile(IsWhitespace);
        if (i >= xml.size() || (xml[i] != '<' && depth == 0)) {
            return true;  // the end, or text outside the root where the reader fails
        }
        if (xml[i] != '<') {
            i = xml.find('<', i);
            if (i == std::string_view::npos) {
                return true;
            }
            continue;
        }
        const std::string_view rest = xml.substr(i);
        const auto skipped = std::find_if(std::begin(kSkippedMarkup), std::end(kSkippedMarkup),
                                          [&](const SkippedMarkup& m) { return rest.starts_with(m.start); });
        bool complete = true;
        if (rest.starts_with("<!DOCTYPE") && IsWhitespace(at(i + 9))) {
            i += 10;
            complete = skipDoctype();
        } else if (skipped != std::end(kSkippedMarkup)) {
            i += skipped->start.size();
            complete = skipPast(skipped->end);
        } else if (rest.starts_with("</")) {
            i += 2;
            skipWhile(IsNameChar);
            skipWhile(IsWhitespace);
            complete = depth > 0 && at(i++) == '>';
            --depth;
        } else {
            ++i;
            complete = skipNameAndAttributes();
            if (complete && at(i) == '>') {
                ++i;
                if (++depth > limit) {
                    return false;
                }
            } else if (complete && at(i) == '/' && at(i + 1) == '>') {
                i += 2;
            } else {
                complete = false;
            }
        }
        if (!complete) {
            return true;
        }
    }
}

