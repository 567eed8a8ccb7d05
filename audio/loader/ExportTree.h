#pragma once
// The loader's name look-up: a letter tree over exported names. Each level is a doubly linked list
// of sibling nodes in ascending order of their letter (as an unsigned byte); a name is a path of
// one node per letter from the top level down, and its last node carries the value. The cost of a
// look-up grows with the name's length and the letters met on each level, not with the number of
// names.

#include <string_view>

struct TExportTreeNode {
    unsigned char Letter = 0;
    void* Value = nullptr;
    bool HasValue = false;
    TExportTreeNode* Parent = nullptr;
    TExportTreeNode* FirstChild = nullptr;
    TExportTreeNode* PrevSibling = nullptr;
    TExportTreeNode* NextSibling = nullptr;
};

class TExportTree {
public:
    TExportTree() = default;
    ~TExportTree();
    TExportTree(const TExportTree&) = delete;
    TExportTree& operator=(const TExportTree&) = delete;

    // Adds a name; false for an empty name or a name already present (which keeps its first value).
    bool Add(std::string_view name, void* value);
    // True and the value when the name is present.
    bool Find(std::string_view name, void*& value) const;

    const TExportTreeNode* root() const { return Root; }

private:
    TExportTreeNode* Root = nullptr;
};
