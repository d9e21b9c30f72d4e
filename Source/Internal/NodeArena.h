// Makes tree nodes in bulk for the readers and copies that build whole trees. Each node and its
// shared-pointer control block come out of large chunks instead of one heap allocation each
// (under Wine's heap that allocation costs as much as everything else the reader does for a
// member). A chunk goes back to the heap when the last node made in it is released, wherever
// and whenever that happens, so the nodes stay ordinary std::shared_ptr<Tree::TreeNode>.
#pragma once

#include "Tree.h"

#include <cstddef>
#include <memory>
#include <string>

namespace Kelvo {
namespace Utilities {

class NodeArena
{
public:
    NodeArena() = default;
    NodeArena(const NodeArena&) = delete;
    NodeArena& operator=(const NodeArena&) = delete;
    // Nodes already made live on; only the arena's hold on its current chunk ends.
    ~NodeArena();

    // A fresh node with this key and parent link.
    std::shared_ptr<Tree::TreeNode> Make(const std::wstring& key, Tree::TreeNode* parent);

    // The child of parent under key, made fresh when there is none; made tells which.
    Tree::TreeNode& ChildOf(Tree::TreeNode& parent, const std::wstring& key, bool& made);

    struct Chunk;

private:
    Chunk* m_chunk = nullptr;
    std::size_t m_nextSize = 0;
};

} // namespace Utilities
} // namespace Kelvo
