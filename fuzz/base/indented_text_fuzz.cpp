// Indented tree text (sec.ini): the reading ends, every node has a parent
// before it one level up, and what is written back reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/indented_text.h"

namespace {
void Check(bool condition) {
    if (!condition) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const velmora::IndentedTree tree = velmora::ReadIndentedText(text);
    Check(tree.nodes.size() <= size + 1);
    for (size_t i = 0; i < tree.nodes.size(); ++i) {
        const velmora::IndentedNode& node = tree.nodes[i];
        Check(node.parent < static_cast<int>(i));
        Check(node.parent < 0 ? node.level == 0 : node.level == tree.nodes[node.parent].level + 1);
        if (i > 0) Check(node.level <= tree.nodes[i - 1].level + 1);
        Check(node.text.find_first_of("\r\n") == std::string::npos);
        Check(node.text.empty() || (node.text[0] != '\t' && node.text[0] != ' '));
    }
    Check(tree.stopped == !tree.StopMessage().empty());
    // A table written by the program reads back as it was.
    const velmora::IndentedTree again = velmora::ReadIndentedText(velmora::WriteIndentedText(tree.nodes));
    Check(!again.stopped);
    Check(again.nodes.size() == tree.nodes.size());
    for (size_t i = 0; i < tree.nodes.size(); ++i) {
        Check(again.nodes[i].text == tree.nodes[i].text);
        Check(again.nodes[i].parent == tree.nodes[i].parent);
    }
    return 0;
}
