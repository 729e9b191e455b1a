// Turns the tokenizer's symbols into the document's sections.
#pragma once
#include "html/document.h"
#include "html/tokenizer.h"

#include <functional>
#include <string>
#include <string_view>

namespace velmora::html {

// What the viewer lends a parse.
struct ParseHooks {
    IncludeHandler OnInclude;
    std::function<void(const std::string& httpEquiv, const std::string& name, const std::string& content)> OnMeta;
    std::function<void(const std::string& src, int32_t loop, bool terminate)> OnSoundRequest;
    ScriptHandler OnScript;
    uint8_t CharSet = DEFAULT_CHARSET; // the viewer's CharSet, kept when META names none
};

// What a parse leaves for the viewer besides the document.
struct ParseResult {
    std::string Title;
    std::string BaseUrl;
    std::string BaseTarget;
    int32_t MarginWidth = -1;  // from BODY; -1 when not given
    int32_t MarginHeight = -1;
    bool OpenCommentAtEnd = false; // the input ended inside a comment
};

// The document must be cleared and given its defaults first. Markup errors
// never fail; a file that cannot be read raises std::runtime_error.
ParseResult ParseHtmlFile(TSectionList& document, TAnchorList& anchors, const std::string& fileName,
                          const ParseHooks& hooks = {});
ParseResult ParseHtmlText(TSectionList& document, TAnchorList& anchors, std::string_view text,
                          const ParseHooks& hooks = {});

} // namespace velmora::html
