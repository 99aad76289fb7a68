// Growable byte buffer for picture, font and other data properties.
// Plain C++ (no Windows headers): host tools and fuzzers use it too.
//
// Small buffers (up to 512 bytes) come from a fixed pool of 96 blocks while the
// pool is enabled; larger ones, and any request once the pool is full, come from
// the heap with 128 bytes of slack so that small growth does not move them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace imprinta::units {

class ByteBuffer {
public:
    ByteBuffer() = default;
    ByteBuffer(const void* data, size_t size) { Assign(data, size); }
    ByteBuffer(const ByteBuffer& other) { Assign(other.data_, other.size_); }
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(const ByteBuffer& other);
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ~ByteBuffer() { Release(); }

    const uint8_t* data() const { return data_; }
    uint8_t* data() { return data_; }
    size_t size() const { return size_; }
    size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    std::span<const uint8_t> bytes() const { return {data_, size_}; }

    // Replaces the contents; a null source with a size zero-fills.
    void Assign(const void* data, size_t size);
    void Append(const void* data, size_t size);
    // Changes the used size; new bytes are zero. Shrinking keeps the block while
    // the unused tail stays at most 256 bytes.
    void Resize(size_t size);
    void Clear() { Release(); }
    bool operator==(const ByteBuffer& other) const;

    static constexpr size_t kPoolBlockSize = 512;
    static constexpr size_t kPoolBlocks = 96;
    static constexpr size_t kHeapSlack = 128;
    static constexpr size_t kShrinkKeep = 256;
    static void EnablePool(bool on);
    static size_t PoolBlocksInUse();

    // Called with the requested size when the heap cannot satisfy a request; the
    // runtime installs its out-of-memory report at start-up (it does not return).
    // Without a handler (host tools, native tests) the process aborts.
    typedef void (*FailureHandler)(size_t size);
    static void SetFailureHandler(FailureHandler handler);

    // Where heap blocks come from: the C library until the runtime points it at
    // the process heap. A block goes back to the heap it came from.
    struct Heap {
        void* (*allocate)(size_t size);
        void (*release)(void* block);
    };
    static void SetHeap(const Heap& heap);

private:
    void Reserve(size_t size);
    void Release();
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    bool pooled_ = false;
    void (*release_)(void*) = nullptr;  // the heap's release for a heap block
};

}  // namespace imprinta::units
