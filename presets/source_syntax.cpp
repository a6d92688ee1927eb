#include "presets/source_syntax.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace quorvix {

namespace {

bool isWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '%'; }

bool isWordPart(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '/' || c == '%';
}

bool startsNumber(const std::string& s, size_t i)
{
    auto digitAt = [&s](size_t k) { return k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])); };
    if (digitAt(i))
        return true;
    if (s[i] == '.')
        return digitAt(i + 1);
    if (s[i] == '-' || s[i] == '+')
        return digitAt(i + 1) || (i + 1 < s.size() && s[i + 1] == '.' && digitAt(i + 2));
    return false;
}

} // namespace

bool tokenizeLine(const std::string& line, std::vector<CToken>& tokens, std::string& error)
{
    tokens.clear();
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == '#')
            break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '"') {
            const size_t close = line.find('"', i + 1);
            if (close == std::string::npos) {
                error = "a name is not closed by \"";
                return false;
            }
            tokens.push_back({ETokenKind::Name, line.substr(i + 1, close - i - 1)});
            i = close + 1;
        } else if (line.compare(i, 2, "->") == 0) {
            tokens.push_back({ETokenKind::Mark, "->"});
            i += 2;
        } else if (startsNumber(line, i)) {
            const char* begin = line.c_str() + i;
            char* end = nullptr;
            const double value = std::strtod(begin, &end);
            tokens.push_back({ETokenKind::Number, std::string(begin, static_cast<size_t>(end - begin)), value});
            i += static_cast<size_t>(end - begin);
        } else if (isWordStart(c)) {
            size_t end = i + 1;
            while (end < line.size() && isWordPart(line[end]))
                ++end;
            tokens.push_back({ETokenKind::Word, line.substr(i, end - i)});
            i = end;
        } else if (std::string("=[]{}|+").find(c) != std::string::npos) {
            tokens.push_back({ETokenKind::Mark, std::string(1, c)});
            ++i;
        } else {
            error = std::string("unexpected character '") + c + "'";
            return false;
        }
    }
    return true;
}

std::string tokenText(const CToken& token) { return token.kind == ETokenKind::Name ? '"' + token.text + '"' : token.text; }

bool CTokenReader::name(std::string& text)
{
    const CToken* t = peek();
    if (!t || t->kind != ETokenKind::Name)
        return false;
    text = t->text;
    ++m_position;
    return true;
}

bool CTokenReader::number(double& value)
{
    // Larger numbers mean nothing to any setting, and would not fit the fields they are cast to.
    constexpr double kLargest = 1e9;
    const CToken* t = peek();
    if (!t || t->kind != ETokenKind::Number || !(std::fabs(t->number) <= kLargest))
        return false;
    value = t->number;
    ++m_position;
    return true;
}

bool CTokenReader::word(std::string& text)
{
    const CToken* t = peek();
    if (!t || t->kind != ETokenKind::Word)
        return false;
    text = t->text;
    ++m_position;
    return true;
}

bool CTokenReader::mark(const char* text)
{
    const CToken* t = peek();
    if (!t || !t->isMark(text))
        return false;
    ++m_position;
    return true;
}

bool CTokenReader::keyword(const char* text)
{
    const CToken* t = peek();
    if (!t || !t->isWord(text))
        return false;
    ++m_position;
    return true;
}

std::string CTokenReader::rest() const
{
    std::string s;
    for (size_t i = m_position; i < m_tokens.size(); ++i)
        s += (s.empty() ? "" : " ") + tokenText(m_tokens[i]);
    return s;
}

} // namespace quorvix
