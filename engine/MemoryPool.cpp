#include "engine/MemoryPool.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

const size_t CACHE_LINE = 64;
const size_t CHUNK_ROOM = 48;  // growths the chunk list holds without reallocating

}  // namespace

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
  m_chunks.reserve(CHUNK_ROOM);
  _AddBlocks(count);
}

void CMemoryPool::_AddBlocks(unsigned int count) {
  // Blocks start on cache lines (and so keep malloc's alignment).
  const size_t stride = (static_cast<size_t>(m_blockSize ? m_blockSize : 1) + CACHE_LINE - 1) / CACHE_LINE * CACHE_LINE;
  // Growth doubles, so the chunk list fills only after more blocks than
  // any address space holds; past that the pool stops growing.
  if (count > 0 && m_chunks.size() < m_chunks.capacity() && stride <= SIZE_MAX / count) {
    // A growth the system cannot give is left out rather than handed out
    // as null delay lines.
    char* chunk = static_cast<char*>(std::malloc(stride * count));
    if (chunk) {
      m_chunks.push_back(chunk);
      for (unsigned int i = 0; i < count; ++i) m_free.push_back(chunk + i * stride);
    }
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
  for (void* chunk : m_chunks) std::free(chunk);
  m_chunks.clear();
  m_free.clear();
  m_used.clear();
}
