#pragma once
// Owned float block buffers sized by a sample count.

class CMonoBuffer {
 public:
  CMonoBuffer() = default;
  ~CMonoBuffer() { ReleaseBuffer(); }
  CMonoBuffer(const CMonoBuffer&) = delete;
  CMonoBuffer& operator=(const CMonoBuffer&) = delete;

  // Reallocates only when n is non-zero and differs from the current count.
  void SetSamplesCount(unsigned int n);
  void SetupBuffer();
  void Clear(unsigned int n);
  float* GetBuffer() { return m_data; }
  unsigned int GetSamplesCount() const { return m_count; }
  void ReleaseBuffer();

 private:
  float* m_data = nullptr;
  unsigned int m_count = 0;
};

// Left channel at data, right channel at data + count, one allocation.
class CStereoBuffer {
 public:
  CStereoBuffer() = default;
  ~CStereoBuffer() { ReleaseBuffer(); }
  CStereoBuffer(const CStereoBuffer&) = delete;
  CStereoBuffer& operator=(const CStereoBuffer&) = delete;

  void SetSamplesCount(unsigned int n);
  void SetupBuffer();
  void Clear(unsigned int n);
  float* GetLeftBuffer() { return m_data; }
  float* GetRightBuffer() { return m_data ? m_data + m_count : nullptr; }
  unsigned int GetSamplesCount() const { return m_count; }
  void ReleaseBuffer();

 private:
  float* m_data = nullptr;
  unsigned int m_count = 0;
};
