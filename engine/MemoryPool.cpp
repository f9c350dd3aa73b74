#include "engine/MemoryPool.h"

#include <algorithm>
#include <cstdlib>

CMemoryPool::~CMemoryPool() { ReleaseAll(); }

void CMemoryPool::SetCapacity(unsigned int blockSize, unsigned int count) {
  ReleaseAll();
  m_blockSize = blockSize;
  m_growth = count;
  if (count == 0) return;
  // Reserve room for the in-use list and a few growths up front so that
  // Allocate/Release on the render thread normally need no reallocation.
  m_free.reserve(count * 4);
  m_used.reserve(count * 4);
  _AddBlocks(count);
}

void CMemoryPool::_AddBlocks(unsigned int count) {
  for (unsigned int i = 0; i < count; ++i) {
    // A block the system cannot give is left out rather than handed out
    // as a null delay line.
    void* block = std::malloc(m_blockSize ? m_blockSize : 1);
    if (block) m_free.push_back(block);
  }
  // Either list may come to hold every block: with room for all of them,
  // Release (which runs when a voice is deleted inside a block) never
  // reallocates.
  const size_t total = m_free.size() + m_used.size();
  if (m_free.capacity() < total) m_free.reserve(total);
  if (m_used.capacity() < total) m_used.reserve(total);
}

void CMemoryPool::Grow() {
  if (m_growth == 0) return;
  _AddBlocks(m_growth);
  m_growth *= 2;
}

void* CMemoryPool::Allocate() {
  if (m_free.empty()) Grow();
  if (m_free.empty()) return nullptr;
  void* block = m_free.back();
  m_free.pop_back();
  m_used.push_back(block);
  return block;
}

void CMemoryPool::Release(void* block) {
  if (!block) return;
  auto it = std::find(m_used.begin(), m_used.end(), block);
  if (it == m_used.end()) return;  // not handed out by this pool (or released twice)
  m_used.erase(it);
  m_free.push_back(block);
}

void CMemoryPool::ReleaseAll() {
  for (void* b : m_free) std::free(b);
  for (void* b : m_used) std::free(b);
  m_free.clear();
  m_used.clear();
}
