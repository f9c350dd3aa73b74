#pragma once
// A pool of fixed-size raw memory blocks for per-voice filter state. It grows
// in doubling steps and gives memory back to the system only as a whole.
// Each growth takes one allocation that its blocks are cut from: the system
// maps pages in only when a block is first written, so blocks that no voice
// ever fills (a patch without filters) cost no memory and no page faults.

#include <cstddef>
#include <vector>

class CMemoryPool {
 public:
  CMemoryPool() = default;
  ~CMemoryPool();
  CMemoryPool(const CMemoryPool&) = delete;
  CMemoryPool& operator=(const CMemoryPool&) = delete;

  // Frees every block, then preallocates count free blocks of blockSize bytes;
  // count is also the size of the next growth.
  void SetCapacity(unsigned int blockSize, unsigned int count);
  // Most recently released block first; grows when no block is free. Returns
  // null when the pool has no block and cannot grow.
  void* Allocate();
  // Accepts only blocks currently handed out; anything else is ignored.
  void Release(void* block);
  void ReleaseAll();

  unsigned int GetBlockSize() const { return m_blockSize; }
  unsigned int GetGrowthCount() const { return m_growth; }
  size_t GetFreeCount() const { return m_free.size(); }
  size_t GetUsedCount() const { return m_used.size(); }

 private:
  void Grow();
  // Adds up to count new free blocks and makes room in both lists for all.
  void _AddBlocks(unsigned int count);

  unsigned int m_blockSize = 0;
  unsigned int m_growth = 0;
  std::vector<void*> m_free;
  std::vector<void*> m_used;
  std::vector<void*> m_chunks;  // one allocation per growth
};
