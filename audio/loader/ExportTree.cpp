#include "ExportTree.h"

#include <vector>

namespace {

TExportTreeNode* newNode(unsigned char letter, TExportTreeNode* parent) {
    auto* node = new TExportTreeNode;
    node->Letter = letter;
    node->Parent = parent;
    return node;
}

}  // namespace

TExportTree::~TExportTree() {
    // Iterative, so a long name cannot exhaust the stack.
    std::vector<TExportTreeNode*> pending;
    if (Root != nullptr) pending.push_back(Root);
    while (!pending.empty()) {
        TExportTreeNode* node = pending.back();
        pending.pop_back();
        if (node->FirstChild != nullptr) pending.push_back(node->FirstChild);
        if (node->NextSibling != nullptr) pending.push_back(node->NextSibling);
        delete node;
    }
}

bool TExportTree::Add(std::string_view name, void* value) {
    if (name.empty()) return false;
    TExportTreeNode* current = nullptr;  // the node of the previous letter
    TExportTreeNode* level = Root;       // the first node of the level being walked
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto letter = static_cast<unsigned char>(name[i]);
        if (level == nullptr) {
            // Nothing below: the rest of the name becomes a chain of first children.
            for (; i < name.size(); ++i) {
                TExportTreeNode* node = newNode(static_cast<unsigned char>(name[i]), current);
                if (current != nullptr) {
                    current->FirstChild = node;
                } else {
                    Root = node;
                }
                current = node;
            }
            break;
        }
        TExportTreeNode* scanned = level;
        while (scanned->Letter < letter && scanned->NextSibling != nullptr) scanned = scanned->NextSibling;
        if (scanned->Letter == letter) {
            current = scanned;
        } else {
            TExportTreeNode* node = newNode(letter, scanned->Parent);
            if (scanned->Letter < letter) {
                // After the last lower sibling.
                node->PrevSibling = scanned;
                node->NextSibling = scanned->NextSibling;
                if (scanned->NextSibling != nullptr) scanned->NextSibling->PrevSibling = node;
                scanned->NextSibling = node;
            } else {
                node->NextSibling = scanned;
                node->PrevSibling = scanned->PrevSibling;
                if (scanned->PrevSibling != nullptr) {
                    scanned->PrevSibling->NextSibling = node;
                } else if (node->Parent != nullptr) {
                    node->Parent->FirstChild = node;
                } else {
                    Root = node;
                }
                scanned->PrevSibling = node;
            }
            current = node;
        }
        level = current->FirstChild;
    }
    if (current->HasValue) return false;
    current->Value = value;
    current->HasValue = true;
    return true;
}

bool TExportTree::Find(std::string_view name, void*& value) const {
    if (name.empty()) return false;
    const TExportTreeNode* level = Root;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto letter = static_cast<unsigned char>(name[i]);
        const TExportTreeNode* node = level;
        while (node != nullptr && node->Letter != letter) node = node->NextSibling;
        if (node == nullptr) return false;
        if (i + 1 == name.size()) {
            if (!node->HasValue) return false;
            value = node->Value;
            return true;
        }
        level = node->FirstChild;
    }
    return false;
}
