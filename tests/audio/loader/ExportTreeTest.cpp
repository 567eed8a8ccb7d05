// The letter tree over exported names: look-ups by exact name, first values kept, and the shape
// the look-up relies on (siblings in ascending byte order, parents and first children linked).

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "audio/loader/ExportTree.h"

namespace {

void* value(std::uintptr_t number) {
    return reinterpret_cast<void*>(number);
}

void* found(const TExportTree& tree, const std::string& name) {
    void* result = nullptr;
    return tree.Find(name, result) ? result : value(0xBAD);
}

// Every level ascending, doubly linked, and pointing back at its parent, whose first child is the
// level's first node.
void expectWellFormed(const TExportTreeNode* first, const TExportTreeNode* parent) {
    ASSERT_EQ(first->PrevSibling, nullptr);
    for (const TExportTreeNode* node = first; node != nullptr; node = node->NextSibling) {
        EXPECT_EQ(node->Parent, parent);
        if (node->NextSibling != nullptr) {
            EXPECT_LT(node->Letter, node->NextSibling->Letter);
            EXPECT_EQ(node->NextSibling->PrevSibling, node);
        }
        if (node->FirstChild != nullptr) {
            expectWellFormed(node->FirstChild, node);
        } else {
            EXPECT_TRUE(node->HasValue) << "a leaf ends a name";
        }
    }
}

TEST(ExportTree, NamesSharingAPrefixAreEachFoundAndPrefixesAreNot) {
    TExportTree tree;
    EXPECT_TRUE(tree.Add("BASS_ChannelPlay", value(1)));
    EXPECT_TRUE(tree.Add("BASS_ChannelPause", value(2)));
    EXPECT_EQ(found(tree, "BASS_ChannelPlay"), value(1));
    EXPECT_EQ(found(tree, "BASS_ChannelPause"), value(2));
    EXPECT_EQ(found(tree, "BASS_Channel"), value(0xBAD));
    EXPECT_EQ(found(tree, "BASS_ChannelPlayX"), value(0xBAD));
    EXPECT_EQ(found(tree, "BASS_XhannelPlay"), value(0xBAD)) << "one letter missing, whatever follows";
    EXPECT_EQ(found(tree, "bass_channelplay"), value(0xBAD));
    EXPECT_EQ(found(tree, ""), value(0xBAD));
    // A prefix added later becomes a name of its own.
    EXPECT_TRUE(tree.Add("BASS_Channel", nullptr));
    EXPECT_EQ(found(tree, "BASS_Channel"), nullptr);
}

TEST(ExportTree, ANameBetweenOrBeforeSiblingsIsNotFound) {
    TExportTree tree;
    tree.Add("BASS_Free", value(1));
    tree.Add("BASS_Init", value(2));
    tree.Add("d", value(3));
    EXPECT_EQ(found(tree, "BASS_Aree"), value(0xBAD)) << "lower than every sibling";
    EXPECT_EQ(found(tree, "BASS_Gnit"), value(0xBAD)) << "between two siblings";
    EXPECT_EQ(found(tree, "c"), value(0xBAD));
    EXPECT_EQ(found(tree, "BASS_Init"), value(2));
}

TEST(ExportTree, TheFirstValueOfANameIsKept) {
    TExportTree tree;
    EXPECT_TRUE(tree.Add("BASS_Init", value(1)));
    EXPECT_FALSE(tree.Add("BASS_Init", value(2)));
    EXPECT_EQ(found(tree, "BASS_Init"), value(1));
    EXPECT_FALSE(tree.Add("", value(3)));
}

TEST(ExportTree, SiblingsStayInAscendingByteOrderWhereverTheyAreInserted) {
    TExportTree tree;
    for (const char* name : {"m", "c", "x", "a", "\xE9t\xE9", "b", "ma", "mc", "mb", "m0"})
        tree.Add(name, value(1));
    std::string topLevel;
    for (const TExportTreeNode* node = tree.root(); node != nullptr; node = node->NextSibling)
        topLevel += static_cast<char>(node->Letter);
    EXPECT_EQ(topLevel, "abcmx\xE9") << "compared as unsigned bytes";
    expectWellFormed(tree.root(), nullptr);
}

TEST(ExportTree, AgreesWithAMapOverManyRandomNames) {
    std::mt19937 random(7);
    std::map<std::string, std::uintptr_t> expected;
    TExportTree tree;
    for (std::uintptr_t i = 1; i <= 3000; ++i) {
        std::string name = "BASS_";
        const int length = 1 + static_cast<int>(random() % 8);
        for (int k = 0; k < length; ++k) name += static_cast<char>("ACaceln\x80\xFF"[random() % 9]);
        const bool isNew = expected.emplace(name, i).second;
        EXPECT_EQ(tree.Add(name, value(i)), isNew);
    }
    for (const auto& [name, number] : expected) ASSERT_EQ(found(tree, name), value(number)) << name;
    expectWellFormed(tree.root(), nullptr);
}

}  // namespace
