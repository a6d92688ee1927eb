// The tokens of a preset source line: quoted names, numbers, words (keys, units such as "Hz" and
// "%", switches) and the marks of envelopes and combiners.
#pragma once

#include <string>
#include <vector>

namespace quorvix {

enum class ETokenKind { Name, Number, Word, Mark };

struct CToken {
    ETokenKind kind = ETokenKind::Word;
    std::string text; // a name without its quotes; a mark: = -> [ ] { } | +
    double number = 0.0;

    bool is(ETokenKind k, const char* t) const { return kind == k && text == t; }
    bool isMark(const char* t) const { return is(ETokenKind::Mark, t); }
    bool isWord(const char* t) const { return is(ETokenKind::Word, t); }
};

// The tokens of a line up to its comment ("#" outside a name); false with the reason on a bad
// character or an unclosed name.
bool tokenizeLine(const std::string& line, std::vector<CToken>& tokens, std::string& error);

// A token as the source wrote it, for messages.
std::string tokenText(const CToken& token);

// Reads tokens from the front; every reader returns false, and leaves the position, on a mismatch.
class CTokenReader {
public:
    explicit CTokenReader(const std::vector<CToken>& tokens, size_t first = 0) : m_tokens(tokens), m_position(first) {}

    bool atEnd() const { return m_position >= m_tokens.size(); }
    const CToken* peek() const { return atEnd() ? nullptr : &m_tokens[m_position]; }
    bool name(std::string& text);
    bool number(double& value);
    bool word(std::string& text);
    bool mark(const char* text);
    bool keyword(const char* text);
    // What is left, for messages.
    std::string rest() const;

private:
    const std::vector<CToken>& m_tokens;
    size_t m_position;
};

} // namespace quorvix
