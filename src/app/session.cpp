#include "app/session.h"

#include "base/ascii_text.h"

namespace velmora::app {

TExtensionTable TExtensionTable::Groups() {
    TExtensionTable table;
    std::string text;
    for (const char* group : kGroups)
        text += std::string(group) + "\r\n";
    table.Load(text);
    return table;
}

std::string TExtensionTable::Load(const std::string& text) {
    IndentedTree tree = ReadIndentedText(text);
    nodes_ = std::move(tree.nodes);
    groups_.assign(nodes_.size(), 0);
    int group = 0;
    for (size_t i = 1; i < nodes_.size(); ++i) {
        if (nodes_[i].level == 0) ++group;
        groups_[i] = group;
    }
    return tree.StopMessage();
}

std::string TExtensionTable::Text() const {
    return WriteIndentedText(nodes_);
}

int TExtensionTable::Find(const std::string& extension) const {
    const std::string wanted = LowerAscii(extension);
    for (size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].level > 0 && LowerAscii(nodes_[i].text) == wanted) return groups_[i];
    return -1;
}

std::vector<std::string> TExtensionTable::Extensions() const {
    std::vector<std::string> extensions;
    for (const IndentedNode& node : nodes_)
        if (node.level > 0) extensions.push_back(node.text);
    return extensions;
}

std::string MaskOf(const std::vector<std::string>& extensions) {
    std::string mask;
    for (const std::string& extension : extensions)
        mask += extension.empty() ? std::string("*.;") : "*" + extension + ";";
    return mask;
}

std::string TOptions::ListMask(const TExtensionTable& table) const {
    return MaskByTable ? MaskOf(table.Extensions()) : std::string("*.*");
}

} // namespace velmora::app
