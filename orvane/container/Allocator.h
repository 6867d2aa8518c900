#pragma once

#include "orvane/object/Object.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

namespace orvane::container {

// Pool of fixed-size records of type T (map and set nodes, list items, messages).
//
// allocate() hands out raw, unconstructed storage for one T and free() takes it back; the
// caller constructs and destroys (create() and destroy() do both). Records come from
// blocks of 64, 64, 128, 256, ... records, so a pool rarely asks the system for memory;
// the first block is only made on the first allocation, so an unused pool costs nothing.
// A free record's first word links it to the next free one.
//
// Records are reused, never handed back to the system while the pool lives. Destroying
// the pool frees every block at once without running any destructor: whoever constructed
// records must have destroyed them by then.
//
// Not locked: owners guard shared pools (the message pools have a lock of their own).
template <class T>
class Allocator : public object::Object {
public:
    static constexpr std::uint32_t firstBlockRecords = 64;

    Allocator() noexcept = default;
    // Records belong to the pool that made them, so a pool cannot be copied; moving hands
    // every block (and the records in use) to the new pool.
    Allocator(const Allocator&) = delete;
    Allocator& operator=(const Allocator&) = delete;
    Allocator(Allocator&& other) noexcept
        : Object() {
        takeOver(other);
    }
    Allocator& operator=(Allocator&& other) noexcept {
        if (this != &other) {
            freeBlocks();
            takeOver(other);
        }
        return *this;
    }
    ~Allocator() override { freeBlocks(); }

    // Storage for one T, suitably aligned and not constructed.
    T* allocate() {
        if (!freeList)
            grow();
        Record* record = freeList;
        freeList = record->next;
        return reinterpret_cast<T*>(record->storage);
    }

    // Returns storage taken from this pool; the T in it must already be destroyed.
    void free(T* storage) noexcept {
        Record* record = reinterpret_cast<Record*>(storage);
        record->next = freeList;
        freeList = record;
    }

    // allocate() and construct; the record goes back to the pool if construction throws.
    template <class... Args>
    T* create(Args&&... args) {
        T* storage = allocate();
        try {
            return new (storage) T(std::forward<Args>(args)...);
        } catch (...) {
            free(storage);
            throw;
        }
    }

    // Destroys an object made by create() and returns its record.
    void destroy(T* object) noexcept {
        object->~T();
        free(object);
    }

    // Records in all blocks together, free or in use.
    std::uint64_t capacity() const noexcept { return records; }
    std::uint32_t blockCount() const noexcept { return blocks; }
    // Records in the block the next growth will allocate.
    std::uint32_t nextBlockSize() const noexcept { return nextRecords; }

    types::String getClassName() const override {
        return object::classPath(Object::getClassName(), ":Allocator");
    }

private:
    union Record {
        Record* next;
        alignas(T) unsigned char storage[sizeof(T)];
    };
    // A block is this header followed by its records; the header's size is a multiple of
    // the records' alignment, so the records that follow it are aligned.
    struct alignas(Record) Block {
        Block* next;
    };

    static Record* recordsOf(Block* block) noexcept { return reinterpret_cast<Record*>(block + 1); }

    // Adds a block and threads its records, first to last, into the free list. The block
    // made first counts as the one made at construction, so sizes run 64, 64, 128, ...
    void grow() {
        const std::uint32_t size = nextRecords;
        void* memory = ::operator new(sizeof(Block) + std::size_t(size) * sizeof(Record),
                                      std::align_val_t(alignof(Block)));
        Block* block = static_cast<Block*>(memory);
        block->next = nullptr;
        if (lastBlock)
            lastBlock->next = block;
        else
            firstBlock = block;
        lastBlock = block;

        Record* first = recordsOf(block);
        for (std::uint32_t i = 0; i + 1 < size; ++i)
            first[i].next = &first[i + 1];
        first[size - 1].next = freeList;
        freeList = first;

        records += size;
        if (++blocks > 1 && nextRecords < 0x40000000u)
            nextRecords *= 2;
    }

    void freeBlocks() noexcept {
        for (Block* block = firstBlock; block;) {
            Block* next = block->next;
            ::operator delete(block, std::align_val_t(alignof(Block)));
            block = next;
        }
        firstBlock = lastBlock = nullptr;
        freeList = nullptr;
        records = 0;
        blocks = 0;
        nextRecords = firstBlockRecords;
    }

    void takeOver(Allocator& other) noexcept {
        firstBlock = std::exchange(other.firstBlock, nullptr);
        lastBlock = std::exchange(other.lastBlock, nullptr);
        freeList = std::exchange(other.freeList, nullptr);
        records = std::exchange(other.records, 0);
        blocks = std::exchange(other.blocks, 0);
        nextRecords = std::exchange(other.nextRecords, firstBlockRecords);
    }

    Block* firstBlock = nullptr;
    Block* lastBlock = nullptr;
    Record* freeList = nullptr;
    std::uint64_t records = 0;
    std::uint32_t blocks = 0;
    std::uint32_t nextRecords = firstBlockRecords;
};

} // namespace orvane::container
