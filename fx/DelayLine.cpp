#include "fx/DelayLine.h"

void CDelayLine::SetLength(unsigned int n) {
  if (n == 0) n = 1;
  m_store.SetSamplesCount(n);
  m_data = m_store.GetBuffer();
  m_length = m_data ? n : 0;
  Clear();
  if (m_write >= m_length) m_write = 0;
}

void CDelayLine::Clear() {
  if (m_data && m_length) m_store.Clear(m_length);
}
