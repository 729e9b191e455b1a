// Any bytes must build a consistent document: no crash, no hang, no runaway
// memory. The first byte picks which viewer hooks are present.
#include "html/builder.h"
#include "html/dump.h"

#include <cstdio>
#include <cstdlib>

using namespace velmora::html;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t options = data[0];
    const std::string_view page(reinterpret_cast<const char*>(data + 1), size - 1);
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHooks hooks;
    if (options & 1)
        hooks.OnInclude = [](const std::string&, const std::vector<std::string>& params) {
            return params.empty() ? std::string() : std::string("<b>inc</b><!--#x --><table><tr><td>c");
        };
    if (options & 2) hooks.OnScript = [](const std::string&, const std::string&, std::string) {};
    if (options & 4) hooks.OnMeta = [](const std::string&, const std::string&, const std::string&) {};
    ParseResult result = ParseHtmlText(doc, anchors, page, hooks);
    const std::string problems = CheckDocument(doc, anchors);
    if (!problems.empty()) {
        std::fprintf(stderr, "inconsistent document:\n%s", problems.c_str());
        std::abort();
    }
    if (options & 8) doc.SetDefaults("Arial", "Courier New", true, 0, 1, 2, 3, 4, 20);
    (void)DumpDocument(doc, anchors, &result);
    return 0;
}
