// Reads an HTML document from memory one character at a time and hands the
// builder a stream of symbols: tags with their attributes, text runs and
// decoded entities. Comments, declarations and line-end forms are dealt with
// on the way; raw content (TEXTAREA, SCRIPT, PRE) has scanners of its own.
#pragma once
#include "html/symbols.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::html {

constexpr char kEndOfInput = 26;   // what the reader delivers at the end
constexpr char kNoBreakSpace = 5;  // a space inside NOBR, before AppendToken turns it into 160

class EParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TAttribute {
    Sy Which = Sy::UnknownAttr;
    std::string Name;   // the value as text
    int32_t Value = 0;  // the value as a number
};

class TAttributeList {
public:
    void Clear() { items_.clear(); }
    void Add(TAttribute a) { items_.push_back(std::move(a)); }
    // The first attribute with that symbol, nullptr when none.
    const TAttribute* Find(Sy which) const {
        for (const TAttribute& a : items_)
            if (a.Which == which) return &a;
        return nullptr;
    }
    bool Has(Sy which) const { return Find(which) != nullptr; }
    const std::vector<TAttribute>& Items() const { return items_; }
    size_t Count() const { return items_.size(); }

private:
    std::vector<TAttribute> items_;
};

// The include directive '<!--#name attributes -->' asks for text to insert.
// The parameters are lines NAME="value"; an empty result inserts nothing.
using IncludeHandler =
    std::function<std::string(const std::string& command, const std::vector<std::string>& params)>;
// Receives a SCRIPT body (lines ended by CR LF) with the tag's NAME and LANGUAGE.
using ScriptHandler =
    std::function<void(const std::string& name, const std::string& language, std::string body)>;

class Tokenizer {
public:
    // The input must stay valid while the tokenizer reads it.
    explicit Tokenizer(std::string_view input, IncludeHandler include = {});
    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

    // The current character (line ends arrive as one CR, tabs as spaces).
    char Ch = kEndOfInput;
    // The current symbol, its text and, for tags, the heading level (0..6).
    Sy Sym = Sy::Eof;
    std::string Token;
    int HeadingLevel = 0;
    // Attributes of the last tag that keeps them.
    TAttributeList Attributes;

    // Flags shared with the builder.
    bool Preformatted = false;
    bool InsideNoBr = false;
    bool ParagraphSpacePending = false;

    // True once the input ended inside a comment or declaration; the reader
    // then reports the end of input for good.
    bool OpenCommentAtEnd() const { return openCommentAtEnd_; }

    void ReadChar() {
        if (cur_ < end_) {
            const char c = *cur_;
            if (static_cast<unsigned char>(c) >= 32 && c != '<') {
                ++cur_;
                lineEnd_ = LineEnd::None;
                Ch = c;
                return;
            }
        }
        ReadCharSlow();
    }
    // Spaces and CRs.
    void SkipWhite() {
        while (Ch == ' ' || Ch == '\r') ReadChar();
    }
    // Classifies the next token into Sym, Token, Attributes and HeadingLevel.
    void Next();
    // With Ch at "<": reads a tag (or the text "<").
    void GetTag();
    // With Ch at "&": the decoded entity, or the characters read as they were.
    std::string ReadEntity();

    // TEXTAREA content up to its end tag; the lines of the text.
    std::vector<std::string> ReadTextAreaLines();
    // SCRIPT content up to its end tag: handed to the handler when there is
    // one, otherwise read and dropped.
    void ReadScript(const ScriptHandler& handler, const std::string& name, const std::string& language);

private:
    enum class LineEnd : uint8_t { None, CR, LF };

    void ReadCharSlow();
    char RawNext();
    char PeekRaw();
    char AfterRaw(char c);
    char SkipConstruct();
    char SkipCommentBody(char c);
    void ReadInclude();
    void FailOpenComment();
    bool ReadAttribute(TAttributeList* into, std::vector<std::string>* names = nullptr);
    void GetText();

    const char* cur_;
    const char* end_;
    // While included text is read, the main buffer's place waits here.
    const char* mainCur_ = nullptr;
    const char* mainEnd_ = nullptr;
    bool including_ = false;
    std::vector<std::string> includedTexts_; // kept until the parse ends
    IncludeHandler include_;
    LineEnd lineEnd_ = LineEnd::None;
    bool noCommentRemoval_ = false;
    bool inComment_ = false;
    bool openCommentAtEnd_ = false;
    uint32_t constructsSkipped_ = 0; // a comment ends a text run
};

} // namespace velmora::html
