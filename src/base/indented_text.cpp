#include "base/indented_text.h"

namespace velmora {

std::string IndentedTree::StopMessage() const {
    if (!stopped) return {};
    return "Invalid level (" + std::to_string(stopLevel) + ") for item \"" + stopText + "\"";
}

IndentedTree ReadIndentedText(const std::string& text) {
    IndentedTree tree;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        const size_t lineStart = pos;
        pos = end;
        if (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos; // LF alone or after CR
        size_t indent = lineStart;
        while (indent < end && (text[indent] == '\t' || text[indent] == ' '))
            ++indent;
        const int level = static_cast<int>(indent - lineStart);
        IndentedNode node;
        node.text.assign(text, indent, end - indent);
        if (!tree.nodes.empty()) {
            const int previous = static_cast<int>(tree.nodes.size()) - 1;
            const IndentedNode& before = tree.nodes[previous];
            if (level == before.level) {
                node.parent = before.parent;
            } else if (level == before.level + 1) {
                node.parent = previous;
            } else if (level < before.level) {
                // The nearest ancestor at the line's level or above; the line becomes its sibling.
                int ancestor = before.parent;
                while (tree.nodes[ancestor].level > level)
                    ancestor = tree.nodes[ancestor].parent;
                node.parent = tree.nodes[ancestor].parent;
            } else {
                tree.stopped = true;
                tree.stopLevel = level;
                tree.stopText = std::move(node.text);
                break;
            }
            node.level = node.parent < 0 ? 0 : tree.nodes[node.parent].level + 1;
        }
        tree.nodes.push_back(std::move(node));
    }
    return tree;
}

std::string WriteIndentedText(const std::vector<IndentedNode>& nodes) {
    std::string text;
    for (const IndentedNode& node : nodes) {
        text.append(static_cast<size_t>(node.level), '\t');
        text += node.text;
        text += "\r\n";
    }
    return text;
}

} // namespace velmora
