// The keyed tree: cursor moves and their success rules, editing, copies, grafts, comparisons,
// and trees (and documents) a million levels deep.
#include <JSONSerializer.h>
#include <Tree.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Kelvo::Utilities::JSONSerializer;
using Kelvo::Utilities::Tree;
using Values = std::vector<std::wstring>;

namespace {

Values ValuesAt(Tree& tree)
{
    Values values;
    return tree.GetValues(values), values;
}

// root: a (1) { x (2) }, b (3)
void Fill(Tree& tree)
{
    tree.GotoRootNode();
    tree.AppendChild(L"b", { L"3" });
    tree.AppendChild(L"a", { L"1" });
    tree.Down(L"a");
    tree.AppendChild(L"x", { L"2" });
    tree.GotoRootNode();
}

} // namespace

TEST(Tree, FreshTreeHasOnlyItsRootAndSiblingsGoInCodeUnitOrder)
{
    Tree tree;
    EXPECT_EQ(L"", tree.GetKey());
    EXPECT_FALSE(tree.Down() || tree.Up() || tree.NextSibling() || tree.PreviousSibling() || tree.Insert(L"x") ||
                 tree.Erase() || tree.CurrentNodeHasSubNodes() || tree.GotoSiblingNode(L"x"));
    EXPECT_TRUE(tree.GotoSiblingNode(L""));
    Tree named(L"root");
    EXPECT_TRUE(named.AppendChild(L"a") && named.GotoSiblingNode(L"root"));
    EXPECT_FALSE(named.GotoSiblingNode(L""));

    EXPECT_TRUE(tree.AppendChild(L"b") && tree.AppendChild(L"a") && tree.AppendChild(L"c") && tree.AppendChild(L"B"));
    EXPECT_FALSE(tree.AppendChild(L"a", { L"lost" }));
    ASSERT_TRUE(tree.Down());
    EXPECT_EQ(L"B", tree.GetKey());
    // C is no sibling, though it sorts between B and a: the cursor stays.
    EXPECT_FALSE(tree.PreviousSibling() || tree.GotoSiblingNode(L"C"));
    EXPECT_TRUE(tree.NextSibling());
    EXPECT_EQ(L"a", tree.GetKey());
    EXPECT_EQ(Values{}, ValuesAt(tree)); // the second AppendChild left a alone
    EXPECT_TRUE(tree.NextSibling() && tree.NextSibling());
    EXPECT_FALSE(tree.NextSibling() || tree.GotoSiblingNode(L"z"));
    EXPECT_EQ(L"c", tree.GetKey());
}

// Editing keeps the cursor where each operation says: SetKey moves a node with its subtree to its
// sorted place, Insert replaces a sibling, Erase goes up.
TEST(Tree, EditingMovesNodesAndTheCursorAsSaid)
{
    Tree tree;
    Fill(tree);
    ASSERT_TRUE(tree.Down(L"a"));
    EXPECT_FALSE(tree.SetKey(L"a") || tree.SetKey(L"b"));
    EXPECT_EQ(L"a", tree.GetKey());
    EXPECT_TRUE(tree.SetKey(L"c"));
    EXPECT_EQ(L"c", tree.GetKey());
    EXPECT_EQ(Values{ L"1" }, ValuesAt(tree));
    EXPECT_TRUE(tree.PreviousSibling()); // c now sorts after b
    EXPECT_EQ(L"b", tree.GetKey());
    // The subtree came along, and its parent links lead back up.
    ASSERT_TRUE(tree.GotoSiblingNode(L"c") && tree.Down(L"x"));
    EXPECT_EQ(Values{ L"2" }, ValuesAt(tree));
    EXPECT_TRUE(tree.Up());
    EXPECT_EQ(L"c", tree.GetKey());

    // From b, Insert replaces c with its subtree by a node holding only the new value.
    ASSERT_TRUE(tree.GotoSiblingNode(L"b"));
    EXPECT_TRUE(tree.Insert(L"c", { L"new" }));
    EXPECT_EQ(L"b", tree.GetKey());
    ASSERT_TRUE(tree.GotoSiblingNode(L"c"));
    EXPECT_EQ(Values{ L"new" }, ValuesAt(tree));
    EXPECT_FALSE(tree.CurrentNodeHasSubNodes());
    // The node under the cursor itself: the cursor stays on the fresh node.
    EXPECT_TRUE(tree.Insert(L"c"));
    EXPECT_EQ(L"c", tree.GetKey());
    EXPECT_EQ(Values{}, ValuesAt(tree));
    EXPECT_TRUE(tree.AddValue(L"v") && tree.AppendChild(L"g") && tree.Down(L"g") && tree.Erase());
    EXPECT_EQ(L"c", tree.GetKey());
    EXPECT_FALSE(tree.CurrentNodeHasSubNodes());
    EXPECT_TRUE(tree.Erase());
    EXPECT_EQ(L"", tree.GetKey());
    ASSERT_TRUE(tree.Down());
    EXPECT_FALSE(tree.NextSibling()); // only b is left
    EXPECT_TRUE(tree.Up() && tree.SetKey(L"root"));
}

// Copies are whole and share nothing; CopySubTree needs an empty target; AppendSubTree merges
// under the cursor; trees compare regardless of the order their children came in.
TEST(Tree, CopiesGraftsAndComparisons)
{
    Tree source;
    Fill(source);
    ASSERT_TRUE(source.Down(L"a"));
    Tree copy(source);
    EXPECT_EQ(L"", copy.GetKey()); // whole tree, cursor on the root
    EXPECT_TRUE(copy.CompareTrees(source));
    ASSERT_TRUE(copy.Down(L"b") && copy.AddValue(L"more"));
    EXPECT_FALSE(copy.CompareTrees(source));
    Tree assigned(L"old");
    assigned = source;
    EXPECT_EQ(L"", assigned.GetKey());
    assigned = assigned;
    EXPECT_TRUE(assigned.CompareTrees(source));

    Tree target(L"t"), untouched(L"t"), subtree(L"t");
    ASSERT_TRUE(target.AppendChild(L"keep") && target.Down(L"keep"));
    EXPECT_FALSE(source.CopySubTree(target));
    untouched.AppendChild(L"keep");
    EXPECT_TRUE(target.CompareTrees(untouched));
    EXPECT_TRUE(source.CopySubTree(subtree));
    EXPECT_EQ(L"a", subtree.GetKey()); // the target's cursor is back on its root

    // A named source root (here the copy of a) becomes a node under the cursor, which moves to it.
    Tree reordered;
    EXPECT_TRUE(reordered.AppendSubTree(subtree));
    EXPECT_EQ(L"a", reordered.GetKey());
    ASSERT_TRUE(reordered.Up() && reordered.AppendChild(L"b", { L"3" }));
    EXPECT_TRUE(reordered.CompareTrees(source)); // a came before b this time
    // An empty source root adds no node of its own; an existing child keeps its values.
    Tree merged;
    ASSERT_TRUE(merged.AppendChild(L"a", { L"mine" }));
    EXPECT_TRUE(merged.AppendSubTree(source));
    EXPECT_EQ(L"", merged.GetKey());
    ASSERT_TRUE(merged.Down(L"a"));
    EXPECT_EQ(Values{ L"mine" }, ValuesAt(merged));
    ASSERT_TRUE(merged.Down(L"x"));
    EXPECT_EQ(Values{ L"2" }, ValuesAt(merged));
    // A cursor node equal to the source root takes the children directly.
    Tree same(L"x");
    same.SetValue({ L"2" });
    same.AppendChild(L"d");
    EXPECT_TRUE(merged.AppendSubTree(same) && merged.Up());
    EXPECT_EQ(L"a", merged.GetKey());
    EXPECT_TRUE(merged.Down(L"x") && merged.Down(L"d") && merged.AppendSubTree(merged));
    EXPECT_EQ(L"", merged.GetKey());

    // Value order counts.
    ASSERT_TRUE(reordered.Down(L"b") && source.Down(L"b"));
    EXPECT_TRUE(reordered.CompareActualTreeNode(source));
    reordered.SetValue({ L"3", L"4" });
    EXPECT_EQ((Values{ L"3", L"4" }), ValuesAt(reordered)); // replaced, not appended
    source.SetValue({ L"4", L"3" });
    EXPECT_FALSE(reordered.CompareActualTreeNode(source) || reordered.CompareTrees(source));

    // Nodes built by hand: children under other keys, or a missing child, make unequal trees even
    // where the nodes themselves are alike.
    Tree::TreeNode left, right, missing;
    left.getChildrenNodes()[L"x"] = std::make_shared<Tree::TreeNode>();
    right.getChildrenNodes()[L"y"] = std::make_shared<Tree::TreeNode>();
    missing.getChildrenNodes()[L"x"] = nullptr;
    EXPECT_FALSE(left == right || missing == left);
    EXPECT_TRUE(left == left && missing == missing);
}

// A million levels, read from a document, then copied, compared and grafted: nothing recurses
// once per level. At most two deep trees live at a time: building one is mostly the cost of
// fresh memory.
TEST(Tree, MillionLevelTreesAndDocumentsNeverExhaustTheStack)
{
    const std::size_t depth = 1000000;
    std::wstring text = L"{";
    text.reserve(9 * depth);
    Tree deep;
    for (std::size_t i = 0; i < depth; ++i)
    {
        text += L"\"a\" : {";
        deep.AppendChild(L"a");
        deep.Down(L"a");
    }
    text += L"\"v\" : 1";
    text.append(depth + 1, L'}');
    ASSERT_TRUE(deep.AppendChild(L"v", { L"2" }));
    {
        Tree read;
        ASSERT_TRUE(JSONSerializer().DeserializeToTree(text, read));
        EXPECT_FALSE(read.CompareTrees(deep)); // they differ only a million levels down
        ASSERT_TRUE(deep.Down(L"v") && deep.SetValue({ L"1" }) && deep.GotoRootNode());
        EXPECT_TRUE(read.CompareTrees(deep));
    }
    {
        Tree copy(deep);
        EXPECT_TRUE(copy.CompareTrees(deep));
        ASSERT_TRUE(copy.Down() && copy.SetKey(L"renamed"));
        EXPECT_FALSE(copy.CompareTrees(deep));
        copy = deep;
        EXPECT_TRUE(copy.CompareTrees(deep));
    }
    {
        Tree target;
        EXPECT_TRUE(deep.CopySubTree(target) && target.CompareTrees(deep));
    }
    {
        Tree graft;
        EXPECT_TRUE(graft.AppendSubTree(deep) && graft.CompareTrees(deep));
    }
    // A million opening braces and nothing else: no member, no crash.
    Tree hostile;
    EXPECT_FALSE(JSONSerializer().DeserializeToTree(std::wstring(depth, L'{'), hostile));
    EXPECT_TRUE(JSONSerializer().DeserializeToTree(std::wstring(depth, L'{') + L'}', hostile));
    EXPECT_FALSE(hostile.CurrentNodeHasSubNodes());
}
