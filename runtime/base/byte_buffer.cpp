// Byte buffer with the small-block pool.
#include "runtime/base/byte_buffer.h"
#include "runtime/base/allocation_gate.h"
#include <cstdlib>
#include <cstring>

namespace imprinta::units {

namespace {
alignas(8) uint8_t g_pool[ByteBuffer::kPoolBlocks][ByteBuffer::kPoolBlockSize];
bool g_poolUsed[ByteBuffer::kPoolBlocks];
bool g_poolEnabled = true;
ByteBuffer::FailureHandler g_failure = nullptr;
ByteBuffer::Heap g_heap = {std::malloc, std::free};

uint8_t* TakePoolBlock() {
    if (!g_poolEnabled) return nullptr;
    for (size_t i = 0; i < ByteBuffer::kPoolBlocks; ++i)
        if (!g_poolUsed[i]) {
            g_poolUsed[i] = true;
            return g_pool[i];
        }
    return nullptr;
}

void GivePoolBlock(uint8_t* p) {
    size_t i = static_cast<size_t>(p - &g_pool[0][0]) / ByteBuffer::kPoolBlockSize;
    g_poolUsed[i] = false;
}

uint8_t* HeapAlloc(size_t size) {
    void* p = AllocationRefused(AllocationKind::Buffer, size) ? nullptr : g_heap.allocate(size);
    if (!p) {
        if (g_failure) g_failure(size);
        std::abort();
    }
    return static_cast<uint8_t*>(p);
}
}  // namespace

void ByteBuffer::EnablePool(bool on) { g_poolEnabled = on; }
size_t ByteBuffer::PoolBlocksInUse() {
    size_t n = 0;
    for (bool used : g_poolUsed) n += used;
    return n;
}
void ByteBuffer::SetFailureHandler(FailureHandler handler) { g_failure = handler; }
void ByteBuffer::SetHeap(const Heap& heap) { g_heap = heap; }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : data_(other.data_), size_(other.size_), capacity_(other.capacity_), pooled_(other.pooled_),
      release_(other.release_) {
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
    other.pooled_ = false;
}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
    if (this != &other) Assign(other.data_, other.size_);
    return *this;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = other.data_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        pooled_ = other.pooled_;
        release_ = other.release_;
        other.data_ = nullptr;
        other.size_ = other.capacity_ = 0;
        other.pooled_ = false;
    }
    return *this;
}

void ByteBuffer::Release() {
    if (data_) {
        if (pooled_) GivePoolBlock(data_);
        else release_(data_);
    }
    data_ = nullptr;
    size_ = capacity_ = 0;
    pooled_ = false;
    release_ = nullptr;
}

// Makes room for size bytes, keeping the used bytes.
void ByteBuffer::Reserve(size_t size) {
    if (size <= capacity_) return;
    uint8_t* block = nullptr;
    size_t capacity = 0;
    bool pooled = false;
    void (*release)(void*) = nullptr;
    if (size <= kPoolBlockSize && (block = TakePoolBlock()) != nullptr) {
        capacity = kPoolBlockSize;
        pooled = true;
    } else {
        if (size > SIZE_MAX - kHeapSlack) {
            if (g_failure) g_failure(size);
            std::abort();
        }
        capacity = size + kHeapSlack;
        release = g_heap.release;
        block = HeapAlloc(capacity);
    }
    if (size_) std::memcpy(block, data_, size_);
    size_t used = size_;
    Release();
    data_ = block;
    size_ = used;
    capacity_ = capacity;
    pooled_ = pooled;
    release_ = release;
}

void ByteBuffer::Assign(const void* data, size_t size) {
    if (size == 0) {
        Release();
        return;
    }
    if (data && data_ && data >= data_ && static_cast<const uint8_t*>(data) < data_ + capacity_) {
        // Source inside our own block: copy out first.
        ByteBuffer copy(data, size);
        *this = std::move(copy);
        return;
    }
    if (capacity_ < size || capacity_ - size > kShrinkKeep) {
        Release();
        Reserve(size);
    }
    if (data) std::memcpy(data_, data, size);
    else std::memset(data_, 0, size);
    size_ = size;
}

void ByteBuffer::Append(const void* data, size_t size) {
    if (size == 0) return;
    size_t old = size_;
    if (data && data_ && data >= data_ && static_cast<const uint8_t*>(data) < data_ + capacity_) {
        ByteBuffer copy(data, size);
        Append(copy.data(), copy.size());
        return;
    }
    Resize(old + size);
    if (data) std::memcpy(data_ + old, data, size);
}

void ByteBuffer::Resize(size_t size) {
    if (size == 0) {
        Release();
        return;
    }
    if (size > capacity_) {
        Reserve(size);
    } else if (capacity_ - size > kShrinkKeep && !pooled_) {
        ByteBuffer copy(data_, size);
        *this = std::move(copy);
        return;
    }
    if (size > size_) std::memset(data_ + size_, 0, size - size_);
    size_ = size;
}

bool ByteBuffer::operator==(const ByteBuffer& other) const {
    return size_ == other.size_ && (size_ == 0 || std::memcmp(data_, other.data_, size_) == 0);
}

}  // namespace imprinta::units
