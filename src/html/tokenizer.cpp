#include "html/tokenizer.h"

#include <charconv>

#include "base/ascii_text.h"

namespace velmora::html {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAsciiChar(a[i]) != LowerAsciiChar(b[i])) return false;
    return true;
}

// A decimal number with an optional sign; 0 when the text is anything else
// or does not fit 32 bits.
int32_t IntOrZero(std::string_view s) {
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    int32_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size() || s.empty()) return 0;
    return v;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

} // namespace

Tokenizer::Tokenizer(std::string_view input, IncludeHandler include)
    : cur_(input.data()), end_(input.data() + input.size()), include_(std::move(include)) {
    Token.reserve(128);
}

char Tokenizer::RawNext() {
    for (;;) {
        if (cur_ >= end_) {
            if (!including_) return kEndOfInput;
            // Included text used up: back to the main buffer.
            including_ = false;
            cur_ = mainCur_;
            end_ = mainEnd_;
            continue;
        }
        const char b = *cur_++;
        if (b == '\n') {
            if (lineEnd_ == LineEnd::CR) {
                lineEnd_ = LineEnd::None;
                continue;
            }
            lineEnd_ = LineEnd::LF;
            return '\r';
        }
        if (b == '\r') {
            if (lineEnd_ == LineEnd::LF) {
                lineEnd_ = LineEnd::None;
                continue;
            }
            lineEnd_ = LineEnd::CR;
            return '\r';
        }
        lineEnd_ = LineEnd::None;
        if (b == '\t') return ' ';
        if (b == kEndOfInput) {
            // A Ctrl-Z ends the document wherever it stands.
            cur_ = end_;
            if (including_) mainCur_ = mainEnd_;
            return kEndOfInput;
        }
        return b;
    }
}

char Tokenizer::PeekRaw() {
    if (cur_ < end_) return *cur_;
    if (including_ && mainCur_ < mainEnd_) return *mainCur_;
    return kEndOfInput;
}

void Tokenizer::FailOpenComment() {
    // The document ends where the comment started; nothing after it is read.
    openCommentAtEnd_ = true;
    cur_ = end_;
    including_ = false;
    mainCur_ = mainEnd_ = nullptr;
}

void Tokenizer::ReadCharSlow() { Ch = AfterRaw(RawNext()); }

char Tokenizer::AfterRaw(char c) {
    while (c == '<' && !noCommentRemoval_ && !inComment_ && PeekRaw() == '!') {
        RawNext(); // the "!"
        c = SkipConstruct();
        ++constructsSkipped_;
    }
    return c;
}

// After "<!": a comment, an include directive or a declaration. Returns the
// character that follows it.
char Tokenizer::SkipConstruct() {
    char c = RawNext();
    if (c == '-') {
        c = RawNext();
        if (c == '-') {
            if (PeekRaw() == '#' && include_ && !including_) {
                RawNext();
                ReadInclude();
                return openCommentAtEnd_ ? kEndOfInput : RawNext();
            }
            c = SkipCommentBody(RawNext());
            return openCommentAtEnd_ ? kEndOfInput : RawNext();
        }
    }
    while (c != '>') {
        if (c == kEndOfInput) {
            FailOpenComment();
            return kEndOfInput;
        }
        c = RawNext();
    }
    return RawNext();
}

// Runs to the first "--" followed, after more dashes, spaces and line ends,
// by ">". c is the first character of the body; stops on the ">".
char Tokenizer::SkipCommentBody(char c) {
    for (;;) {
        if (c == kEndOfInput) {
            FailOpenComment();
            return kEndOfInput;
        }
        if (c != '-') {
            c = RawNext();
            continue;
        }
        c = RawNext();
        if (c != '-') continue;
        do c = RawNext();
        while (c == '-');
        while (c == ' ' || c == '\r') c = RawNext();
        if (c == '>') return c;
    }
}

void Tokenizer::ReadInclude() {
    // The directive's name and attributes are read like a tag's, through the
    // normal reader with comment removal off; the current character and the
    // tag attributes of the builder are kept aside.
    const char savedCh = Ch;
    inComment_ = true;
    Ch = AfterRaw(RawNext());
    std::string command;
    while (IsLetter(Ch)) {
        command += Ch;
        ReadChar();
    }
    TAttributeList params;
    std::vector<std::string> names;
    while (ReadAttribute(&params, &names)) {
    }
    SkipCommentBody(Ch == '>' ? RawNext() : Ch);
    inComment_ = false;
    Ch = savedCh;
    if (openCommentAtEnd_) return;
    std::vector<std::string> lines;
    for (size_t i = 0; i < params.Count(); ++i) lines.push_back(names[i] + "=\"" + params.Items()[i].Name + "\"");
    std::string text = include_(command, lines);
    if (text.empty()) return;
    includedTexts_.push_back(std::move(text));
    const std::string& kept = includedTexts_.back();
    mainCur_ = cur_;
    mainEnd_ = end_;
    cur_ = kept.data();
    end_ = kept.data() + kept.size();
    including_ = true;
}

void Tokenizer::Next() {
    Token.clear();
    if (Ch == kEndOfInput) {
        Sym = Sy::Eof;
    } else if (Ch == '<') {
        GetTag();
    } else if (Ch == '&') {
        Token = ReadEntity();
        Sym = Sy::Text;
    } else {
        GetText();
        if (Token.empty()) {
            Sym = Sy::OtherChar;
            Token = Ch;
            ReadChar();
        } else {
            Sym = Sy::Text;
        }
    }
    if (ParagraphSpacePending) {
        switch (Sym) {
        case Sy::Br: case Sy::H: case Sy::Hr: case Sy::Img: case Sy::Text: case Sy::Table:
        case Sy::Input: case Sy::TextArea: case Sy::Select:
            ParagraphSpacePending = false;
            break;
        default:
            break;
        }
    }
}

void Tokenizer::GetText() {
    const uint32_t skipped = constructsSkipped_;
    while (Token.size() < 100 && skipped == constructsSkipped_) {
        const char c = Ch;
        if (c == '<' || c == '&' || (static_cast<unsigned char>(c) < 32 && c != '\r')) break;
        if (!Preformatted && (c == ' ' || c == '\r')) {
            Token += InsideNoBr ? kNoBreakSpace : ' ';
            do ReadChar();
            while ((Ch == ' ' || Ch == '\r') && skipped == constructsSkipped_);
        } else {
            Token += c;
            ReadChar();
        }
    }
}

void Tokenizer::GetTag() {
    ReadChar(); // past "<"
    bool endTag = false;
    if (Ch == '/') {
        endTag = true;
        ReadChar();
    } else if (!IsLetter(Ch)) {
        Sym = Sy::Text;
        Token.assign(1, '<');
        return;
    }
    char name[16];
    size_t length = 0;
    bool tooLong = false;
    while (IsLetter(Ch)) {
        if (length < sizeof(name)) name[length++] = UpperAsciiChar(Ch);
        else tooLong = true;
        ReadChar();
    }
    const TagEntry* tag = tooLong ? nullptr : FindTag(std::string_view(name, length));
    Sym = !tag ? Sy::UnknownTag : endTag ? tag->End : tag->Start;
    SkipWhite();
    HeadingLevel = 0;
    if ((Sym == Sy::H || Sym == Sy::HEnd) && Ch >= '1' && Ch <= '6') {
        HeadingLevel = Ch - '0';
        ReadChar();
    }
    const bool keep = KeepsAttributes(Sym);
    if (keep) Attributes.Clear();
    while (ReadAttribute(keep ? &Attributes : nullptr)) {
    }
    while (Ch != '>' && Ch != kEndOfInput) ReadChar();
    if (Ch == '>') ReadChar();
}

bool Tokenizer::ReadAttribute(TAttributeList* into, std::vector<std::string>* names) {
    SkipWhite();
    if (!IsLetter(Ch)) return false;
    char name[16];
    size_t length = 0;
    bool tooLong = false;
    while (IsLetter(Ch) || Ch == '-') {
        if (length < sizeof(name)) name[length++] = UpperAsciiChar(Ch);
        else tooLong = true;
        ReadChar();
    }
    if (names) names->emplace_back(name, length);
    TAttribute a;
    a.Which = tooLong ? Sy::UnknownAttr : FindAttribute(std::string_view(name, length));
    a.Value = a.Which == Sy::Border ? 1 : 0;
    SkipWhite();
    if (Ch == '=') {
        ReadChar();
        SkipWhite();
        if (Ch == '"' || Ch == '\'') {
            const char quote = Ch;
            ReadChar();
            while (Ch != quote && Ch != kEndOfInput) {
                if (Ch == '\r') {
                    ReadChar();
                } else if (Ch == '&') {
                    a.Name += ReadEntity();
                } else {
                    a.Name += Ch;
                    ReadChar();
                }
            }
            if (Ch == quote) ReadChar();
            std::string_view v = Trim(a.Name);
            if (const size_t pct = v.find('%'); pct != std::string_view::npos && pct == v.size() - 1)
                v.remove_suffix(1);
            a.Value = IntOrZero(v);
        } else if (Ch == '+' || Ch == '-' || IsDigit(Ch)) {
            while (Ch != ' ' && Ch != '\r' && Ch != '%' && Ch != '>' && Ch != kEndOfInput) {
                a.Name += Ch;
                ReadChar();
            }
            a.Value = IntOrZero(a.Name);
            SkipWhite();
            if (Ch == '%') {
                a.Name += '%';
                ReadChar();
            }
        } else {
            while (Ch != ' ' && Ch != '\r' && Ch != '>' && Ch != kEndOfInput) {
                a.Name += Ch;
                ReadChar();
            }
        }
    }
    if (into) into->Add(std::move(a));
    return true;
}

std::string Tokenizer::ReadEntity() {
    std::string literal = "&";
    ReadChar();
    if (Ch == '#') {
        literal += '#';
        ReadChar();
        int digits = 0;
        int32_t value = 0;
        while (IsDigit(Ch) && digits < 6) {
            literal += Ch;
            value = value * 10 + (Ch - '0');
            ++digits;
            ReadChar();
        }
        if (digits == 0 || digits == 6) return literal;
        if (Ch == ';') {
            literal += ';';
            ReadChar();
        }
        if (value == 9) return " ";
        if (value == 10) return "\n";
        if (value >= 32 && value <= 255) return std::string(1, static_cast<char>(value));
        if (value > 255) {
            // A UTF-16 code unit in the ANSI code page. Results below 32 would
            // be taken for the section's object codes, so they stay literal.
            const unsigned char b = WideCharToAnsi(static_cast<uint16_t>(value & 0xFFFF));
            if (b >= 32) return std::string(1, static_cast<char>(b));
        }
        return literal;
    }
    char name[8];
    size_t length = 0;
    while ((IsLetter(Ch) || IsDigit(Ch)) && length < 7) {
        name[length++] = Ch;
        literal += Ch;
        ReadChar();
    }
    if (length == 0 || length == 7) return literal;
    if (Ch == ';') {
        literal += ';';
        ReadChar();
    }
    if (auto text = FindEntity(std::string_view(name, length))) return std::string(*text);
    return literal;
}

std::vector<std::string> Tokenizer::ReadTextAreaLines() {
    std::vector<std::string> lines;
    std::string line;
    for (;;) {
        if (Ch == kEndOfInput) break;
        if (Ch == '\r') {
            lines.push_back(std::move(line));
            line.clear();
            ReadChar();
        } else if (Ch == '<') {
            std::string s = "<";
            ReadChar();
            while (Ch != ' ' && Ch != '\r' && Ch != '>' && Ch != kEndOfInput) {
                s += Ch;
                ReadChar();
            }
            if (EqualsIgnoringCase(s, "</textarea")) {
                while (Ch != '>' && Ch != kEndOfInput) ReadChar();
                if (Ch == '>') ReadChar();
                break;
            }
            line += s;
        } else if (Ch == '&') {
            line += ReadEntity();
        } else {
            for (int n = 0; n < 100 && Ch != '\r' && Ch != kEndOfInput && Ch != '&' && Ch != '<'; ++n) {
                line += Ch;
                ReadChar();
            }
        }
    }
    if (!line.empty()) lines.push_back(std::move(line));
    return lines;
}

void Tokenizer::ReadScript(const ScriptHandler& handler, const std::string& name,
                           const std::string& language) {
    std::string body;
    if (handler) noCommentRemoval_ = true;
    for (;;) {
        if (Ch == kEndOfInput) break;
        if (Ch == '\r') {
            if (handler) body += "\r\n";
            ReadChar();
        } else if (Ch == '<') {
            std::string s = "<";
            ReadChar();
            for (int n = 0; n < 7 && (Ch == '/' || IsLetter(Ch)); ++n) {
                s += Ch;
                ReadChar();
            }
            if (Ch == '>') {
                s += '>';
                ReadChar();
            }
            if (EqualsIgnoringCase(s, "</script>")) break;
            if (handler) body += s;
        } else {
            for (int n = 0; n < 100 && Ch != '\r' && Ch != kEndOfInput && Ch != '<'; ++n) {
                if (handler) body += Ch;
                ReadChar();
            }
        }
    }
    if (handler) {
        noCommentRemoval_ = false;
        // The character after the end tag was read with comments kept.
        if (Ch == '<' && PeekRaw() == '!') Ch = AfterRaw(Ch);
        handler(name, language, std::move(body));
    }
}

} // namespace velmora::html
