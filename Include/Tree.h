#pragma once

#include "UtilitiesExport.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Kelvo {
namespace Utilities {

/// An in-memory tree of keyed nodes with one built-in cursor. Every node has a key, a list of
/// string values and children kept in a map ordered by key (sibling keys are unique). All
/// navigation and editing goes through the cursor; operations answer with a success flag and
/// change nothing when they fail.
///
/// Copying, comparing, grafting and destroying walk the tree with explicit work lists, so a tree
/// of any depth (a million levels and more) never exhausts the stack. Owns its nodes (through
/// shared pointers); throws nothing but std::bad_alloc.
/// Example: Examples/tree_and_json.cpp
class KELVO_UTILITIES_API Tree
{
public:
    /// One node: a key, a list of values, children ordered by key, and a link to the parent (not
    /// owned). Owns its children.
    class KELVO_UTILITIES_API TreeNode
    {
    public:
        /// The children by key.
        using Children = std::map<std::wstring, std::shared_ptr<TreeNode>>;

        /// Empty key, no values, no children, no parent.
        TreeNode();
        /// The same empty node as TreeNode(); the argument is not used.
        explicit TreeNode(Tree::TreeNode* parent);
        /// Releases the subtree level by level, never recursing once per level.
        ~TreeNode();

        /// Deep copy of source (key, parent link as it is in source, values, whole subtree);
        /// the copied children point back to this node.
        void Initialize(Tree::TreeNode* source);
        /// Key and values only; true for the very same node.
        bool Compare(Tree::TreeNode* other) const;
        /// Deep equality: Compare, then the children side by side in key order.
        bool operator==(Tree::TreeNode& other) const;

        /// The key.
        const std::wstring& getKey();
        /// Replaces the key (the parent's map is not updated: Tree::SetKey does that).
        void setKey(const std::wstring& key);
        /// The parent; null for a root.
        Tree::TreeNode* getParentNode();
        /// Replaces the parent link.
        void setParentNode(Tree::TreeNode* parent);
        /// The values, to read or change in place.
        std::vector<std::wstring>& getValue();
        /// The children, to read or change in place.
        Children& getChildrenNodes();

    private:
        // Nodes are copied deeply with Initialize, never by value.
        TreeNode(const TreeNode&) = delete;
        TreeNode& operator=(const TreeNode&) = delete;

        std::wstring m_key;
        std::vector<std::wstring> m_values;
        Children m_children;
        Tree::TreeNode* m_parent;
    };

    ///@{
    /// A fresh root (no values, no children) under the empty key or under rootKey; cursor on it.
    Tree();
    explicit Tree(const std::wstring& rootKey);
    ///@}
    ///@{
    /// Deep copies of other's whole tree; the cursor goes to the root, other is not changed.
    Tree(Tree& other);
    void operator=(Tree& other);
    ///@}
    virtual ~Tree();

    /// Back to the state of Tree().
    bool Delete();
    /// The cursor to the root.
    bool GotoRootNode();
    ///@{
    /// The cursor to the next or previous sibling in key order; false, not moving, at the end or
    /// on the root.
    bool NextSibling();
    bool PreviousSibling();
    ///@}
    /// The cursor to the parent; false on the root.
    bool Up();
    ///@{
    /// To the first child in key order, or to the child of that key; false, not moving, when
    /// there is none.
    bool Down();
    bool Down(const std::wstring& key);
    ///@}
    /// The cursor to the sibling of that key (itself included); false, not moving, when none.
    bool GotoSiblingNode(const std::wstring& key);
    /// Whether the cursor node has children.
    bool CurrentNodeHasSubNodes();

    ///@{
    /// A new child of the cursor node, with values if given (false, changing nothing, when one
    /// with that key exists); the cursor stays.
    bool AppendChild(const std::wstring& key);
    bool AppendChild(const std::wstring& key, const std::vector<std::wstring>& values);
    ///@}
    ///@{
    /// A new sibling, with values if given, that replaces any sibling of that key, the cursor
    /// node included; false on the root.
    bool Insert(const std::wstring& key);
    bool Insert(const std::wstring& key, const std::vector<std::wstring>& values);
    ///@}
    /// Removes the cursor node with its subtree; the cursor goes to the parent.
    bool Erase();
    /// Renames the cursor node, which moves (with its subtree) to its sorted place; false,
    /// changing nothing, for its own key or a key a sibling has.
    bool SetKey(const std::wstring& key);
    /// The cursor node's key.
    std::wstring GetKey();

    /// Appends value to the cursor node's values.
    bool AddValue(const std::wstring& value);
    /// Replaces the cursor node's values.
    bool SetValue(const std::vector<std::wstring>& values);
    /// Replaces the content of values by the cursor node's values.
    bool GetValues(std::vector<std::wstring>& values);

    /// Deep equality of the two whole trees (keys, values in order, children); cursors unused.
    bool CompareTrees(Tree& other);
    /// Whether the two cursor nodes have equal keys and values; children are not compared.
    bool CompareActualTreeNode(Tree& other);
    /// Copies the cursor's subtree into target, whose root must have no children.
    bool CopySubTree(Tree& target);
    /// Merges source's tree under the cursor. Source's root becomes a child of the cursor node,
    /// and the cursor moves to it, unless its key is empty or the cursor node has the same key
    /// and values; children that already exist are reused and keep their own values.
    bool AppendSubTree(Tree& source);

private:
    using Children = TreeNode::Children;

    // The JSON reader builds its nodes directly below the cursor node.
    friend class JSONSerializer;

    TreeNode* GetRootNode();
    TreeNode* GetActualNode();
    bool CheckPositionIterator();
    bool CopyNode(Tree& target, std::shared_ptr<Tree::TreeNode> node);
    bool AppendSubTree(std::shared_ptr<Tree::TreeNode> node);
    void Reset(std::shared_ptr<TreeNode> root);

    Children m_root;
    Children::iterator m_position;
};

} // namespace Utilities
} // namespace Kelvo
