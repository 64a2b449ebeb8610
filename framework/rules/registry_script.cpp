#include "registry_script.h"

namespace fw::rgs {
namespace {

enum class TokenKind { OpenBrace, CloseBrace, Equals, Word, Quoted, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::wstring text;  // Word: as written; Quoted: with '' already made one quote
    std::size_t line = 1;
};

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

bool IsAsciiAlnum(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsHex(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}

bool IsWordChar(wchar_t c) {
    return IsAsciiAlnum(c) || c == L'.' || c == L'_' || c == L'-' || c == L'%';
}

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

// Printable ASCII rendering of script text for error messages.
std::string Show(std::wstring_view text) {
    constexpr std::size_t kMaxShown = 60;
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < kMaxShown; ++i) {
        const wchar_t c = text[i];
        out += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    if (text.size() > kMaxShown) out += "...";
    return out;
}

// Message text from pieces, appended in order (no prepending of literals to temporaries).
template <typename... Parts>
std::string Concat(const Parts&... parts) {
    std::string out;
    (out.append(parts), ...);
    return out;
}

// Length of a braced group such as {C6CF25F3-...} or {%CLSID%} starting at text[at] == '{', or
// 0 when the brace there opens a block. A group holds hex digits, dashes and %NAME% references,
// and at least one dash or reference, so that an empty block "{}" or a block "{Abc}" written
// without spaces keeps its meaning.
std::size_t BracedNameLength(std::wstring_view text, std::size_t at) {
    bool marked = false;
    std::size_t i = at + 1;
    while (i < text.size()) {
        const wchar_t c = text[i];
        if (c == L'}') return (marked && i > at + 1) ? i - at + 1 : 0;
        if (c == L'%') {
            std::size_t j = i + 1;
            while (j < text.size() && (IsAsciiAlnum(text[j]) || text[j] == L'_')) ++j;
            if (j >= text.size() || text[j] != L'%') return 0;
            marked = true;
            i = j + 1;
        } else if (IsHex(c) || c == L'-') {
            marked = marked || c == L'-';
            ++i;
        } else {
            return 0;
        }
    }
    return 0;
}

class Tokenizer {
public:
    explicit Tokenizer(std::wstring_view text) : text_(text) {
        if (!text_.empty() && text_.front() == L'\xFEFF') pos_ = 1;  // byte-order mark
    }

    // Splits the whole text; false with error() set on a character or quote fault.
    bool Run(std::vector<Token>& tokens) {
        for (;;) {
            SkipSpace();
            Token token;
            token.line = line_;
            if (pos_ >= text_.size()) {
                tokens.push_back(std::move(token));
                return true;
            }
            const wchar_t c = text_[pos_];
            if (c == L'\'') {
                if (!ReadQuoted(token.text)) return false;
                token.kind = TokenKind::Quoted;
            } else if (c == L'{' && BracedNameLength(text_, pos_) == 0) {
                token.kind = TokenKind::OpenBrace;
                ++pos_;
            } else if (c == L'}') {
                token.kind = TokenKind::CloseBrace;
                ++pos_;
            } else if (c == L'=') {
                token.kind = TokenKind::Equals;
                ++pos_;
            } else if (IsWordChar(c) || c == L'{') {
                token.kind = TokenKind::Word;
                ReadWord(token.text);
            } else {
                error_ = Concat(Where(), "unexpected character");
                if (c >= 0x20 && c < 0x7F) {
                    error_.append(" '").append(1, static_cast<char>(c)).append("'");
                }
                return false;
            }
            tokens.push_back(std::move(token));
        }
    }

    const std::string& error() const { return error_; }

private:
    std::string Where() const { return Concat("line ", std::to_string(line_), ": "); }

    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) {
            if (text_[pos_] == L'\n') ++line_;
            ++pos_;
        }
    }

    void ReadWord(std::wstring& out) {
        const std::size_t start = pos_;
        while (pos_ < text_.size()) {
            if (IsWordChar(text_[pos_])) {
                ++pos_;
            } else if (text_[pos_] == L'{') {
                const std::size_t group = BracedNameLength(text_, pos_);
                if (group == 0) break;
                pos_ += group;
            } else {
                break;
            }
        }
        out.assign(text_.substr(start, pos_ - start));
    }

    // Quoted text ends at a quote not followed by another; a line break inside is refused so
    // that a missing quote is reported where it is missing.
    bool ReadQuoted(std::wstring& out) {
        ++pos_;
        for (;;) {
            if (pos_ >= text_.size() || text_[pos_] == L'\n' || text_[pos_] == L'\r') {
                error_ = Concat(Where(), "unterminated quoted text");
                return false;
            }
            const wchar_t c = text_[pos_++];
            if (c != L'\'') {
                out += c;
            } else if (pos_ < text_.size() && text_[pos_] == L'\'') {
                out += L'\'';
                ++pos_;
            } else {
                return true;
            }
        }
    }

    std::wstring_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
    std::string error_;
};

// Decimal, or hexadecimal after 0x; nothing else (no sign, no blanks), and no more than 32 bits.
bool ParseDword(std::wstring_view text, std::uint32_t& out) {
    std::uint64_t value = 0;
    std::uint64_t base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return false;
    for (const wchar_t c : text) {
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<unsigned>(c - L'0');
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = static_cast<unsigned>(c - L'a' + 10);
        } else if (base == 16 && c >= L'A' && c <= L'F') {
            digit = static_cast<unsigned>(c - L'A' + 10);
        } else {
            return false;
        }
        value = value * base + digit;
        if (value > 0xFFFFFFFFu) return false;
    }
    out = static_cast<std::uint32_t>(value);
    return true;
}

class Parser {
public:
    Parser(std::vector<Token> tokens, const Substitutions& substitutions)
        : tokens_(std::move(tokens)), substitutions_(substitutions) {}

    bool Run(Script& script) {
        const Token& root = Next();
        if (root.kind != TokenKind::Word) {
            return Fail(root, "expected the root key (HKCR, HKCU or HKLM)");
        }
        if (EqualsNoCase(root.text, L"HKCR") || EqualsNoCase(root.text, L"HKEY_CLASSES_ROOT")) {
            script.root = Root::ClassesRoot;
        } else if (EqualsNoCase(root.text, L"HKCU") ||
                   EqualsNoCase(root.text, L"HKEY_CURRENT_USER")) {
            script.root = Root::CurrentUser;
        } else if (EqualsNoCase(root.text, L"HKLM") ||
                   EqualsNoCase(root.text, L"HKEY_LOCAL_MACHINE")) {
            script.root = Root::LocalMachine;
        } else {
            return Fail(root, "unknown root key '", Show(root.text), "'");
        }
        const Token& open = Next();
        if (open.kind != TokenKind::OpenBrace) return Fail(open, "expected '{' after the root key");
        if (!ParseBlock(script.keys, nullptr, 1)) return false;
        const Token& end = Next();
        if (end.kind != TokenKind::End) return Fail(end, "text after the root block");
        return true;
    }

    const std::string& error() const { return error_; }

private:
    const Token& Peek() const { return tokens_[pos_]; }
    // The tokens always end with End, which is never stepped over.
    const Token& Next() {
        const Token& token = tokens_[pos_];
        if (token.kind != TokenKind::End) ++pos_;
        return token;
    }

    template <typename... Parts>
    bool Fail(const Token& at, const Parts&... message) {
        error_ = Concat("line ", std::to_string(at.line), ": ", message...);
        return false;
    }

    static bool IsName(const Token& token) {
        return token.kind == TokenKind::Word || token.kind == TokenKind::Quoted;
    }

    static bool IsKeyword(const Token& token, const wchar_t* word) {
        return token.kind == TokenKind::Word && EqualsNoCase(token.text, word);
    }

    static std::optional<Flag> FlagOf(const Token& token) {
        if (IsKeyword(token, L"NoRemove")) return Flag::NoRemove;
        if (IsKeyword(token, L"ForceRemove")) return Flag::ForceRemove;
        if (IsKeyword(token, L"Delete")) return Flag::Delete;
        return std::nullopt;
    }

    // Replaces %NAME% and %% in one token's text.
    bool Substitute(const Token& token, std::wstring& out) {
        const std::wstring& in = token.text;
        out.clear();
        std::size_t i = 0;
        while (i < in.size()) {
            const std::size_t percent = in.find(L'%', i);
            if (percent == std::wstring::npos) {
                out.append(in, i, std::wstring::npos);
                break;
            }
            out.append(in, i, percent - i);
            const std::size_t close = in.find(L'%', percent + 1);
            if (close == std::wstring::npos) return Fail(token, "'%' without its closing '%'");
            const std::wstring_view name(in.data() + percent + 1, close - percent - 1);
            if (name.empty()) {
                out += L'%';
            } else {
                const std::wstring* value = nullptr;
                for (const auto& [key, replacement] : substitutions_) {
                    if (EqualsNoCase(key, name)) {
                        value = &replacement;
                        break;
                    }
                }
                if (!value) return Fail(token, "unknown substitution %", Show(name), "%");
                out += *value;
            }
            i = close + 1;
        }
        if (out.find(L'\0') != std::wstring::npos) {
            return Fail(token, "text contains a NUL character");
        }
        return true;
    }

    bool KeyName(const Token& token, std::wstring& out) {
        if (!Substitute(token, out)) return false;
        if (out.empty()) return Fail(token, "empty key name");
        if (out.find(L'\\') != std::wstring::npos) {
            return Fail(token, "key name '", Show(out), "' contains a backslash");
        }
        return true;
    }

    // "s '<text>'" or "d '<number>'" after an '='.
    bool TypedValue(Value& value) {
        const Token& type = Next();
        const bool isString = IsKeyword(type, L"s");
        if (!isString && !IsKeyword(type, L"d")) {
            if (type.kind == TokenKind::Word) {
                return Fail(type, "unknown value type '", Show(type.text), "'");
            }
            return Fail(type, "expected a value type (s or d) after '='");
        }
        const Token& data = Next();
        if (data.kind != TokenKind::Quoted) return Fail(data, "expected quoted value data");
        std::wstring text;
        if (!Substitute(data, text)) return false;
        if (isString) {
            value.type = ValueType::String;
            value.text = std::move(text);
        } else {
            value.type = ValueType::Dword;
            if (!ParseDword(text, value.dword)) {
                return Fail(data, "'", Show(text), "' is not a 32-bit number");
            }
        }
        return true;
    }

    // "val <name> = s|d '...'", the keyword already read.
    bool ValueEntry(const Token& keyword, Key* owner) {
        if (!owner) return Fail(keyword, "a value outside any key");
        const Token& name = Next();
        if (!IsName(name)) return Fail(name, "expected a value name after 'val'");
        Value value;
        if (!Substitute(name, value.name)) return false;
        if (value.name.empty()) return Fail(name, "empty value name");
        const Token& equals = Next();
        if (equals.kind != TokenKind::Equals) {
            return Fail(equals, "expected '=' after the value name");
        }
        if (!TypedValue(value)) return false;
        owner->values.push_back(std::move(value));
        return true;
    }

    bool KeyEntry(Flag flag, const Token& nameToken, std::vector<Key>& keys, std::size_t depth) {
        if (depth > kMaxDepth) {
            return Fail(nameToken, "keys nested deeper than ", std::to_string(kMaxDepth),
                        " levels");
        }
        Key key;
        key.flag = flag;
        if (!KeyName(nameToken, key.name)) return false;
        // Two names in a row on one line: the first one was meant as a flag.
        const Token& after = Peek();
        if (IsName(after) && after.line == nameToken.line) {
            if (flag == Flag::None && nameToken.kind == TokenKind::Word) {
                return Fail(nameToken, "unknown flag '", Show(nameToken.text), "'");
            }
            return Fail(after, "unexpected '", Show(after.text), "' after a key name");
        }
        if (Peek().kind == TokenKind::Equals) {
            const Token& equals = Next();
            if (flag == Flag::Delete) return Fail(equals, "a Delete key takes no value");
            Value value;
            if (!TypedValue(value)) return false;
            key.defaultValue = std::move(value);
        }
        if (Peek().kind == TokenKind::OpenBrace) {
            const Token& open = Next();
            if (flag == Flag::Delete) return Fail(open, "a Delete key takes no entries");
            if (!ParseBlock(key.keys, &key, depth + 1)) return false;
        }
        keys.push_back(std::move(key));
        return true;
    }

    // Entries up to and including the closing brace; the opening one is already read. owner is
    // null for the root block, which holds keys only; depth is the level of the keys in the block
    // (1 in the root block), which bounds the recursion.
    bool ParseBlock(std::vector<Key>& keys, Key* owner, std::size_t depth) {
        for (;;) {
            const Token& token = Next();
            switch (token.kind) {
            case TokenKind::End:
                return Fail(token, "missing '}'");
            case TokenKind::CloseBrace:
                return true;
            case TokenKind::OpenBrace:
                return Fail(token, "unexpected '{'");
            case TokenKind::Equals:
                return Fail(token, "unexpected '='");
            case TokenKind::Quoted:
                if (!KeyEntry(Flag::None, token, keys, depth)) return false;
                break;
            case TokenKind::Word:
                if (IsKeyword(token, L"val")) {
                    if (!ValueEntry(token, owner)) return false;
                } else if (const std::optional<Flag> flag = FlagOf(token)) {
                    const Token& name = Next();
                    if (!IsName(name) || FlagOf(name)) {
                        return Fail(name, "expected a key name after '", Show(token.text), "'");
                    }
                    if (!KeyEntry(*flag, name, keys, depth)) return false;
                } else {
                    if (!KeyEntry(Flag::None, token, keys, depth)) return false;
                }
                break;
            }
        }
    }

    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    const Substitutions& substitutions_;
    std::string error_;
};

}  // namespace

ParseResult Parse(std::wstring_view text, const Substitutions& substitutions) {
    ParseResult result;
    std::vector<Token> tokens;
    Tokenizer tokenizer(text);
    if (!tokenizer.Run(tokens)) {
        result.error = tokenizer.error();
        return result;
    }
    Parser parser(std::move(tokens), substitutions);
    if (!parser.Run(result.script)) {
        result.error = parser.error();
        result.script = Script{};
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace fw::rgs
