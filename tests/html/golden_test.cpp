// Golden dumps: each page in pages/ is built and dumped, and the dump must
// match golden/<page>.txt. Run with VELMORA_REGENERATE_GOLDEN=1 to rewrite the
// golden files after a deliberate change (then read the diff).
#include "html/builder.h"
#include "html/dump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

using namespace velmora::html;

namespace {

const std::string kDir = VELMORA_HTML_TEST_DIR;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class GoldenPage : public testing::TestWithParam<const char*> {};

TEST_P(GoldenPage, DumpMatches) {
    const std::string name = GetParam();
    const std::string page = ReadFile(kDir + "/pages/" + name + ".htm");
    ASSERT_FALSE(page.empty()) << name;
    FixedFontMetrics metrics;
    TSectionList doc(metrics);
    TAnchorList anchors;
    ParseHooks hooks;
    std::string metaLog;
    hooks.OnMeta = [&](const std::string& equiv, const std::string& n, const std::string& content) {
        metaLog += "meta " + equiv + "|" + n + "|" + content + "\n";
    };
    ParseResult result = ParseHtmlText(doc, anchors, page, hooks);
    EXPECT_EQ(CheckDocument(doc, anchors), "");
    const std::string dump = DumpDocument(doc, anchors, &result) + metaLog;
    const std::string goldenPath = kDir + "/golden/" + name + ".txt";
    const char* regenerate = std::getenv("VELMORA_REGENERATE_GOLDEN");
    if (regenerate && *regenerate && std::string(regenerate) != "0") {
        std::ofstream(goldenPath, std::ios::binary) << dump;
        return;
    }
    const std::string golden = ReadFile(goldenPath);
    EXPECT_EQ(dump, golden) << "golden file " << goldenPath;
}

INSTANTIATE_TEST_SUITE_P(Pages, GoldenPage,
                         testing::Values("paragraphs", "runs", "links", "floats", "pre", "maps", "entities",
                                         "unknown_tags", "charset", "headings", "lists", "tables", "fonts",
                                         "forms", "center_div", "body"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

} // namespace
