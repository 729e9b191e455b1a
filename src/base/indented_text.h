// Trees kept as indented text (the extension table in sec.ini): one line per
// node in tree order, the node's level given by its leading TABs and spaces.
#pragma once
#include <string>
#include <vector>

namespace velmora {

struct IndentedNode {
    std::string text; // the line without its indentation
    int parent = -1;  // index of the parent node, -1 for a top-level node
    int level = 0;    // 0 for a top-level node
};

struct IndentedTree {
    std::vector<IndentedNode> nodes; // in tree order
    // A line two or more levels deeper than the node before it stops the
    // reading; the nodes before it stay. Its indentation and text:
    bool stopped = false;
    int stopLevel = 0;
    std::string stopText;
    // "Invalid level (N) for item "text"" for a stopped reading, else "".
    std::string StopMessage() const;
};

// Lines end at CR LF, CR or LF. A line's indentation counts every leading TAB
// or space as one level. The first line is a top-level node whatever its
// indentation; each further line is a sibling of the node before it at the
// same level, its child one level deeper, and shallower a sibling of that
// node's nearest ancestor whose level is at most the line's. An empty line is
// a node with an empty text.
IndentedTree ReadIndentedText(const std::string& text);

// The nodes as text: each line its level in TABs, the text, CR LF.
std::string WriteIndentedText(const std::vector<IndentedNode>& nodes);

} // namespace velmora
