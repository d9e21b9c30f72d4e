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
/// of any depth (a million levels and more) never exhausts the stack.
class KELVO_UTILITIES_API Tree
{
public:
    class KELVO_UTILITIES_API TreeNode
    {
    public:
        using Children = std::map<std::wstring, std::shared_ptr<TreeNode>>;

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

        const std::wstring& getKey();
        void setKey(const std::wstring& key);
        Tree::TreeNode* getParentNode();
        void setParentNode(Tree::TreeNode* parent);
        std::vector<std::wstring>& getValue();
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

    /// A fresh root (no values, no children) under the empty key or under rootKey.
    Tree();
    explicit Tree(const std::wstring& rootKey);
    /// Deep copies of other's whole tree; the cursor goes to the root, other is not changed.
    Tree(Tree& other);
    void operator=(Tree& other);
    virtual ~Tree();

    /// Back to the state of Tree().
    bool Delete();
    bool GotoRootNode();
    bool NextSibling();
    bool PreviousSibling();
    bool Up();
    /// To the first child in key order, or to the child of that key.
    bool Down();
    bool Down(const std::wstring& key);
    bool GotoSiblingNode(const std::wstring& key);
    bool CurrentNodeHasSubNodes();

    /// A new child of the cursor node (false when one with that key exists); the cursor stays.
    bool AppendChild(const std::wstring& key);
    bool AppendChild(const std::wstring& key, const std::vector<std::wstring>& values);
    /// A new sibling that replaces any sibling of that key, the cursor node included.
    bool Insert(const std::wstring& key);
    bool Insert(const std::wstring& key, const std::vector<std::wstring>& values);
    /// Removes the cursor node with its subtree; the cursor goes to the parent.
    bool Erase();
    /// Renames the cursor node, which moves (with its subtree) to its sorted place.
    bool SetKey(const std::wstring& key);
    std::wstring GetKey();

    bool AddValue(const std::wstring& value);
    bool SetValue(const std::vector<std::wstring>& values);
    bool GetValues(std::vector<std::wstring>& values);

    bool CompareTrees(Tree& other);
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
