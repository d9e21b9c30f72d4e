#include "Tree.h"

#include "Internal/NodeArena.h"

#include <utility>

namespace Kelvo {
namespace Utilities {

namespace {

using Node = Tree::TreeNode;
using NodePointer = std::shared_ptr<Node>;
using Children = Node::Children;

// The child of parent under key, made with values when there is none; an existing child is
// reused and keeps its own values unless overwrite is set.
Node& ChildFor(NodeArena& arena, Node& parent, const std::wstring& key, const std::vector<std::wstring>& values,
               bool overwrite)
{
    bool made = false;
    Node& child = arena.ChildOf(parent, key, made);
    if (made || overwrite)
    {
        child.getValue() = values;
    }
    return child;
}

// Grafts copies of source's descendants under target, one work item per node instead of one
// stack frame per level.
void MergeChildren(NodeArena& arena, Node& source, Node& target, bool overwrite)
{
    std::vector<std::pair<Node*, Node*>> work{ { &source, &target } };
    while (!work.empty())
    {
        const auto item = work.back();
        work.pop_back();
        for (auto& entry : item.first->getChildrenNodes())
        {
            if (!entry.second)
            {
                continue;
            }
            Node& child = ChildFor(arena, *item.second, entry.second->getKey(), entry.second->getValue(), overwrite);
            if (!entry.second->getChildrenNodes().empty())
            {
                work.emplace_back(entry.second.get(), &child);
            }
        }
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Tree::TreeNode

Tree::TreeNode::TreeNode() : m_parent(nullptr)
{
}

Tree::TreeNode::TreeNode(Tree::TreeNode*) : m_parent(nullptr)
{
}

Tree::TreeNode::~TreeNode()
{
    if (m_children.empty())
    {
        return;
    }
    // Children whose last owner is this subtree are emptied before they are released, so that
    // every destructor below this one finds no children.
    std::vector<NodePointer> pending;
    for (auto& entry : m_children)
    {
        pending.push_back(std::move(entry.second));
    }
    m_children.clear();
    while (!pending.empty())
    {
        NodePointer node = std::move(pending.back());
        pending.pop_back();
        if (node && node.use_count() == 1)
        {
            for (auto& entry : node->m_children)
            {
                pending.push_back(std::move(entry.second));
            }
            node->m_children.clear();
        }
    }
}

void Tree::TreeNode::Initialize(Tree::TreeNode* source)
{
    if (source == nullptr || source == this)
    {
        return;
    }
    // Copied in full before anything here changes: source may lie inside this node's subtree.
    TreeNode copy;
    NodeArena arena;
    MergeChildren(arena, *source, copy, true);
    for (auto& entry : copy.m_children)
    {
        entry.second->m_parent = this;
    }
    std::wstring key = source->m_key;
    std::vector<std::wstring> values = source->m_values;
    m_parent = source->m_parent;
    m_key.swap(key);
    m_values.swap(values);
    m_children.swap(copy.m_children);
}

bool Tree::TreeNode::Compare(Tree::TreeNode* other) const
{
    if (other == this)
    {
        return true;
    }
    return other != nullptr && m_key == other->m_key && m_values == other->m_values;
}

bool Tree::TreeNode::operator==(Tree::TreeNode& other) const
{
    std::vector<std::pair<const Node*, Node*>> work{ { this, &other } };
    while (!work.empty())
    {
        const auto item = work.back();
        work.pop_back();
        if (item.first == item.second)
        {
            continue; // a node is deep-equal to itself
        }
        if (!item.first->Compare(item.second))
        {
            return false;
        }
        const Children& left = item.first->m_children;
        const Children& right = item.second->m_children;
        if (left.size() != right.size())
        {
            return false;
        }
        for (auto l = left.begin(), r = right.begin(); l != left.end(); ++l, ++r)
        {
            if (l->first != r->first || !l->second != !r->second)
            {
                return false;
            }
            if (l->second)
            {
                work.emplace_back(l->second.get(), r->second.get());
            }
        }
    }
    return true;
}

const std::wstring& Tree::TreeNode::getKey()
{
    return m_key;
}

void Tree::TreeNode::setKey(const std::wstring& key)
{
    m_key = key;
}

Tree::TreeNode* Tree::TreeNode::getParentNode()
{
    return m_parent;
}

void Tree::TreeNode::setParentNode(Tree::TreeNode* parent)
{
    m_parent = parent;
}

std::vector<std::wstring>& Tree::TreeNode::getValue()
{
    return m_values;
}

Tree::TreeNode::Children& Tree::TreeNode::getChildrenNodes()
{
    return m_children;
}

// ---------------------------------------------------------------------------------------------
// Tree

Tree::Tree()
{
    Reset(std::make_shared<TreeNode>());
}

Tree::Tree(const std::wstring& rootKey)
{
    auto root = std::make_shared<TreeNode>();
    root->setKey(rootKey);
    Reset(std::move(root));
}

Tree::Tree(Tree& other)
{
    auto root = std::make_shared<TreeNode>();
    root->Initialize(other.GetRootNode());
    Reset(std::move(root));
}

void Tree::operator=(Tree& other)
{
    if (&other == this)
    {
        GotoRootNode(); // a copy of itself
        return;
    }
    // The old content goes first, so that a large tree is not held twice.
    m_root.clear();
    auto root = std::make_shared<TreeNode>();
    root->Initialize(other.GetRootNode());
    Reset(std::move(root));
}

Tree::~Tree()
{
}

void Tree::Reset(std::shared_ptr<TreeNode> root)
{
    Children fresh;
    const std::wstring key = root->getKey();
    fresh.emplace(key, std::move(root));
    m_root.swap(fresh);
    m_position = m_root.begin();
}

Tree::TreeNode* Tree::GetRootNode()
{
    return m_root.empty() ? nullptr : m_root.begin()->second.get();
}

Tree::TreeNode* Tree::GetActualNode()
{
    CheckPositionIterator();
    return m_position->second.get();
}

bool Tree::CheckPositionIterator()
{
    TreeNode* node = m_position->second.get();
    if (node == nullptr)
    {
        return false;
    }
    Children* container = &m_root;
    if (node != GetRootNode())
    {
        if (node->getParentNode() == nullptr)
        {
            return false;
        }
        container = &node->getParentNode()->getChildrenNodes();
    }
    // The cursor must be that very entry of the container, not merely an equal key.
    const auto found = container->find(m_position->first);
    return found != container->end() && found == m_position && m_position->first == node->getKey();
}

bool Tree::Delete()
{
    Reset(std::make_shared<TreeNode>());
    return true;
}

bool Tree::GotoRootNode()
{
    if (m_root.empty())
    {
        return false;
    }
    m_position = m_root.begin();
    return true;
}

bool Tree::NextSibling()
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    TreeNode* parent = m_position->second->getParentNode();
    if (parent == nullptr)
    {
        return false;
    }
    const auto next = std::next(m_position);
    if (next == parent->getChildrenNodes().end())
    {
        return false;
    }
    m_position = next;
    return true;
}

bool Tree::PreviousSibling()
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    TreeNode* parent = m_position->second->getParentNode();
    if (parent == nullptr || m_position == parent->getChildrenNodes().begin())
    {
        return false;
    }
    --m_position;
    return true;
}

bool Tree::Up()
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    TreeNode* parent = m_position->second->getParentNode();
    if (parent == nullptr)
    {
        return false;
    }
    if (parent == GetRootNode())
    {
        m_position = m_root.begin();
        return true;
    }
    TreeNode* grandparent = parent->getParentNode();
    if (grandparent == nullptr)
    {
        return false;
    }
    const auto found = grandparent->getChildrenNodes().find(parent->getKey());
    if (found == grandparent->getChildrenNodes().end())
    {
        return false;
    }
    m_position = found;
    return true;
}

bool Tree::Down()
{
    if (!CurrentNodeHasSubNodes())
    {
        return false;
    }
    m_position = m_position->second->getChildrenNodes().begin();
    return true;
}

bool Tree::Down(const std::wstring& key)
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    Children& children = m_position->second->getChildrenNodes();
    const auto found = children.find(key);
    if (found == children.end())
    {
        return false;
    }
    m_position = found;
    return true;
}

bool Tree::GotoSiblingNode(const std::wstring& key)
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    TreeNode* parent = m_position->second->getParentNode();
    if (parent == nullptr)
    {
        return key == m_position->first;
    }
    const auto found = parent->getChildrenNodes().find(key);
    if (found == parent->getChildrenNodes().end())
    {
        return false;
    }
    m_position = found;
    return true;
}

bool Tree::CurrentNodeHasSubNodes()
{
    return CheckPositionIterator() && !m_position->second->getChildrenNodes().empty();
}

bool Tree::AppendChild(const std::wstring& key)
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    TreeNode& node = *m_position->second;
    Children& children = node.getChildrenNodes();
    const auto found = children.lower_bound(key);
    if (found != children.end() && found->first == key)
    {
        return false;
    }
    auto child = std::make_shared<TreeNode>();
    child->setKey(key);
    child->setParentNode(&node);
    children.emplace_hint(found, key, std::move(child));
    return true;
}

bool Tree::AppendChild(const std::wstring& key, const std::vector<std::wstring>& values)
{
    if (!AppendChild(key))
    {
        return false;
    }
    m_position->second->getChildrenNodes()[key]->getValue() = values;
    return true;
}

bool Tree::Insert(const std::wstring& key)
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    TreeNode* parent = m_position->second->getParentNode();
    if (parent == nullptr)
    {
        return false;
    }
    auto sibling = std::make_shared<TreeNode>();
    sibling->setKey(key);
    sibling->setParentNode(parent);
    // May replace the node under the cursor itself; the cursor's entry stays and holds the new one.
    parent->getChildrenNodes()[key] = std::move(sibling);
    return true;
}

bool Tree::Insert(const std::wstring& key, const std::vector<std::wstring>& values)
{
    if (!Insert(key))
    {
        return false;
    }
    m_position->second->getParentNode()->getChildrenNodes()[key]->getValue() = values;
    return true;
}

bool Tree::Erase()
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    TreeNode* parent = m_position->second->getParentNode();
    if (parent == nullptr)
    {
        return false;
    }
    // The parent's entry is found before the node goes, so nothing reads the released node.
    Children::iterator parentEntry = m_root.begin();
    if (parent != GetRootNode())
    {
        Children& siblings = parent->getParentNode()->getChildrenNodes();
        parentEntry = siblings.find(parent->getKey());
    }
    parent->getChildrenNodes().erase(m_position);
    m_position = parentEntry;
    return true;
}

bool Tree::SetKey(const std::wstring& key)
{
    if (!CheckPositionIterator() || key == m_position->first)
    {
        return false;
    }
    TreeNode* parent = m_position->second->getParentNode();
    Children& container = parent == nullptr ? m_root : parent->getChildrenNodes();
    if (container.count(key) != 0)
    {
        return false;
    }
    // Moving the node keeps its subtree and every parent link below it intact: the same
    // result as a fresh deep copy under the new key, at the cost of one map entry.
    NodePointer node = std::move(m_position->second);
    container.erase(m_position);
    node->setKey(key);
    m_position = container.emplace(key, std::move(node)).first;
    return true;
}

std::wstring Tree::GetKey()
{
    CheckPositionIterator();
    return m_position->first;
}

bool Tree::AddValue(const std::wstring& value)
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    m_position->second->getValue().push_back(value);
    return true;
}

bool Tree::SetValue(const std::vector<std::wstring>& values)
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    m_position->second->getValue() = values;
    return true;
}

bool Tree::GetValues(std::vector<std::wstring>& values)
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    values = m_position->second->getValue();
    return true;
}

bool Tree::CompareTrees(Tree& other)
{
    TreeNode* mine = GetRootNode();
    TreeNode* theirs = other.GetRootNode();
    if (mine == nullptr || theirs == nullptr)
    {
        return mine == theirs;
    }
    return *mine == *theirs;
}

bool Tree::CompareActualTreeNode(Tree& other)
{
    return GetActualNode()->Compare(other.GetActualNode());
}

bool Tree::CopySubTree(Tree& target)
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    // Held, since target may be this very tree and its cursor moves now.
    const NodePointer node = m_position->second;
    target.GotoRootNode();
    if (target.CurrentNodeHasSubNodes())
    {
        return false;
    }
    target.SetKey(node->getKey());
    const std::vector<std::wstring> values = node->getValue();
    target.SetValue(values);
    // What CopyNode does for each child in turn, with one arena for the whole copy.
    NodeArena arena;
    MergeChildren(arena, *node, *target.m_position->second, true);
    target.GotoRootNode();
    return true;
}

bool Tree::CopyNode(Tree& target, std::shared_ptr<Tree::TreeNode> node)
{
    if (!CheckPositionIterator() || !node)
    {
        return false;
    }
    // An existing child is reused and its values overwritten, all the way down.
    NodeArena arena;
    Node& copy = ChildFor(arena, *target.m_position->second, node->getKey(), node->getValue(), true);
    MergeChildren(arena, *node, copy, true);
    return true;
}

bool Tree::AppendSubTree(Tree& source)
{
    if (!CheckPositionIterator())
    {
        return false;
    }
    source.GotoRootNode();
    if (&source == this)
    {
        // Grafting a tree onto itself finds every node already there: only the cursor moved.
        return true;
    }
    TreeNode* sourceRoot = source.GetRootNode();
    const std::wstring key = sourceRoot->getKey();
    if (!key.empty() && !CompareActualTreeNode(source))
    {
        AppendChild(key, sourceRoot->getValue());
        Down(key);
    }
    // What AppendSubTree(node) does for each child in turn, with one arena for the whole graft.
    NodeArena arena;
    MergeChildren(arena, *sourceRoot, *m_position->second, false);
    return true;
}

bool Tree::AppendSubTree(std::shared_ptr<Tree::TreeNode> node)
{
    if (!CheckPositionIterator() || !node)
    {
        return false;
    }
    NodeArena arena;
    Node& child = ChildFor(arena, *m_position->second, node->getKey(), node->getValue(), false);
    MergeChildren(arena, *node, child, false);
    return true;
}

} // namespace Utilities
} // namespace Kelvo
