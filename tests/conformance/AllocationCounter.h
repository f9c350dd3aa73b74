#pragma once
// Counts heap allocations (every form of the global operator new) made on
// any thread while armed. This executable's operator new is replaced for
// that; outside an armed scope it only forwards to malloc.

class CAllocationScope {
 public:
  CAllocationScope();   // zeroes the count and arms
  ~CAllocationScope();  // disarms
  CAllocationScope(const CAllocationScope&) = delete;
  CAllocationScope& operator=(const CAllocationScope&) = delete;
  unsigned long Count() const;
};
