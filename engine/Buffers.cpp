#include "engine/Buffers.h"

#include <cstring>

void CMonoBuffer::SetSamplesCount(unsigned int n) {
  if (n == 0 || n == m_count) return;
  m_count = n;
  SetupBuffer();
}

void CMonoBuffer::SetupBuffer() {
  delete[] m_data;
  m_data = nullptr;
  if (m_count > 0) m_data = new float[m_count];
}

void CMonoBuffer::Clear(unsigned int n) {
  if (!m_data) return;
  if (n > m_count) n = m_count;
  std::memset(m_data, 0, n * sizeof(float));
}

void CMonoBuffer::ReleaseBuffer() {
  delete[] m_data;
  m_data = nullptr;
}

void CStereoBuffer::SetSamplesCount(unsigned int n) {
  if (n == 0 || n == m_count) return;
  m_count = n;
  SetupBuffer();
}

void CStereoBuffer::SetupBuffer() {
  delete[] m_data;
  m_data = nullptr;
  if (m_count > 0) m_data = new float[2 * static_cast<size_t>(m_count)];
}

void CStereoBuffer::Clear(unsigned int n) {
  if (!m_data) return;
  if (n > m_count) n = m_count;
  std::memset(m_data, 0, n * sizeof(float));
  std::memset(m_data + m_count, 0, n * sizeof(float));
}

void CStereoBuffer::ReleaseBuffer() {
  delete[] m_data;
  m_data = nullptr;
}
