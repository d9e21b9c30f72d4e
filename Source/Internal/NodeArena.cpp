#include "Internal/NodeArena.h"

#include <atomic>
#include <new>

namespace Kelvo {
namespace Utilities {

namespace {

constexpr std::size_t Alignment = alignof(void*);
// Room a node block (the node with its control block) needs at most; checked where blocks are cut.
constexpr std::size_t MaximumBlock = 256;
// Chunks grow from small (a small document wastes little) to a size the heap still serves
// from its ordinary pool.
constexpr std::size_t FirstChunkBytes = 1024;
constexpr std::size_t LastChunkBytes = 65536 - 64;

constexpr std::size_t Aligned(std::size_t bytes)
{
    return (bytes + Alignment - 1) & ~(Alignment - 1);
}

} // namespace

struct NodeArena::Chunk
{
    // One per node block cut from the chunk and not yet released, plus one while the arena
    // still cuts blocks from it. Nodes may be released on any thread.
    std::atomic<std::size_t> holds;
    std::size_t used;
    std::size_t size;

    unsigned char* Storage()
    {
        return reinterpret_cast<unsigned char*>(this) + Aligned(sizeof(Chunk));
    }

    void Release()
    {
        if (holds.fetch_sub(1, std::memory_order_acq_rel) == 1)
        {
            this->~Chunk();
            ::operator delete(this);
        }
    }
};

namespace {

// The allocator std::allocate_shared keeps in each control block: it cuts the block from the
// chunk the arena chose and gives it back by releasing that chunk's hold.
template <typename T>
class ChunkAllocator
{
public:
    using value_type = T;

    explicit ChunkAllocator(NodeArena::Chunk* chunk) : m_chunk(chunk)
    {
    }

    template <typename U>
    ChunkAllocator(const ChunkAllocator<U>& other) : m_chunk(other.Chunk())
    {
    }

    T* allocate(std::size_t count)
    {
        static_assert(sizeof(T) <= MaximumBlock && alignof(T) <= Alignment, "a node block fits the room left for it");
        const std::size_t bytes = Aligned(count * sizeof(T));
        if (bytes > m_chunk->size - m_chunk->used)
        {
            throw std::bad_alloc(); // only node blocks are cut here, and the arena left room for one
        }
        T* block = reinterpret_cast<T*>(m_chunk->Storage() + m_chunk->used);
        m_chunk->used += bytes;
        m_chunk->holds.fetch_add(1, std::memory_order_relaxed);
        return block;
    }

    void deallocate(T*, std::size_t) noexcept
    {
        m_chunk->Release();
    }

    NodeArena::Chunk* Chunk() const
    {
        return m_chunk;
    }

    template <typename U>
    bool operator==(const ChunkAllocator<U>& other) const
    {
        return m_chunk == other.Chunk();
    }

    template <typename U>
    bool operator!=(const ChunkAllocator<U>& other) const
    {
        return m_chunk != other.Chunk();
    }

private:
    NodeArena::Chunk* m_chunk;
};

} // namespace

NodeArena::~NodeArena()
{
    if (m_chunk != nullptr)
    {
        m_chunk->Release();
    }
}

std::shared_ptr<Tree::TreeNode> NodeArena::Make(const std::wstring& key, Tree::TreeNode* parent)
{
    if (m_chunk == nullptr || m_chunk->size - m_chunk->used < MaximumBlock)
    {
        const std::size_t size = m_nextSize == 0 ? FirstChunkBytes : m_nextSize;
        m_nextSize = size * 2 < LastChunkBytes ? size * 2 : LastChunkBytes;
        Chunk* chunk = static_cast<Chunk*>(::operator new(Aligned(sizeof(Chunk)) + size));
        chunk = new (chunk) Chunk{ { 1 }, 0, size };
        if (m_chunk != nullptr)
        {
            m_chunk->Release();
        }
        m_chunk = chunk;
    }
    auto node = std::allocate_shared<Tree::TreeNode>(ChunkAllocator<Tree::TreeNode>(m_chunk));
    node->setKey(key);
    node->setParentNode(parent);
    return node;
}

Tree::TreeNode& NodeArena::ChildOf(Tree::TreeNode& parent, const std::wstring& key, bool& made)
{
    Tree::TreeNode::Children& children = parent.getChildrenNodes();
    // Members and copies mostly arrive in key order: appending at the end needs no search.
    auto found = children.end();
    if (!children.empty() && !(children.rbegin()->first < key))
    {
        found = children.lower_bound(key);
        if (found != children.end() && found->first == key)
        {
            made = false;
            return *found->second;
        }
    }
    made = true;
    return *children.emplace_hint(found, key, Make(key, &parent))->second;
}

} // namespace Utilities
} // namespace Kelvo
