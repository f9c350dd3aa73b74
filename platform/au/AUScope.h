#pragma once
// Elements and scopes of a unit. An element holds parameter values (either
// indexed 0..n-1 or sparse by id); an input or output element also holds a
// stream format and, for outputs, the buffers a render writes into.

#include <map>
#include <memory>
#include <vector>

#include "platform/au/CAStreamBasicDescription.h"

class AUElement {
 public:
  AUElement() {}
  virtual ~AUElement() {}
  AUElement(const AUElement&) = delete;
  AUElement& operator=(const AUElement&) = delete;

  // Switches to count indexed parameters (ids 0..count-1), all 0.
  void UseIndexedParameters(UInt32 count);
  bool UsesIndexedParameters() const { return m_indexed; }

  UInt32 GetNumberOfParameters() const;
  // Writes the ids in ascending order; list holds GetNumberOfParameters entries.
  void GetParameterList(AudioUnitParameterID* list) const;
  bool HasParameter(AudioUnitParameterID id) const;

  // kAudioUnitErr_InvalidParameter for an id the element does not hold.
  OSStatus GetParameter(AudioUnitParameterID id, AudioUnitParameterValue& value) const;
  // Indexed: only ids below the count; sparse: any id, created on first set.
  OSStatus SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value);

 private:
  bool m_indexed = false;
  std::vector<AudioUnitParameterValue> m_indexedValues;
  std::map<AudioUnitParameterID, AudioUnitParameterValue> m_values;
};

class AUIOElement : public AUElement {
 public:
  explicit AUIOElement(const CAStreamBasicDescription& format);
  ~AUIOElement() override;

  const CAStreamBasicDescription& GetStreamFormat() const { return m_format; }
  // Takes the format; buffers allocated earlier are dropped.
  void SetStreamFormat(const CAStreamBasicDescription& format);

  // Own buffers for maxFrames frames of the current format; false when the
  // format cannot be allocated.
  bool AllocateBuffers(UInt32 maxFrames);
  void DeallocateBuffers();
  bool HasBuffers() const { return !m_memory.empty(); }

  // The list the unit renders into. Between renders it points at the
  // element's own buffers (null when not allocated).
  AudioBufferList& GetBufferList() { return *reinterpret_cast<AudioBufferList*>(m_list.data()); }

  // Readies the list for a render of frames: each buffer of the caller's list
  // with data is used as given (it must hold the frames), each without data
  // gets the element's own buffer. kAudio_ParamError when the caller's list
  // has another number of buffers than the format or a buffer is too small.
  OSStatus PrepareBuffers(UInt32 frames, AudioBufferList* callerList);
  // Hands the rendered buffers back to the caller's list.
  void CopyBufferListTo(AudioBufferList* callerList);

 private:
  void _BuildList();
  void _PointListAtOwnBuffers();

  CAStreamBasicDescription m_format;
  UInt32 m_maxFrames = 0;
  std::vector<UInt64> m_memory;  // 8-byte aligned sample memory
  std::vector<UInt8> m_list;      // AudioBufferList with one entry per stream
};

typedef AUIOElement AUInputElement;
typedef AUIOElement AUOutputElement;

class AUScope {
 public:
  AUScope() {}
  AUScope(const AUScope&) = delete;
  AUScope& operator=(const AUScope&) = delete;

  // scope: which scope this is; defaultFormat: the format of new IO elements.
  void Initialize(AudioUnitScope scope, const CAStreamBasicDescription& defaultFormat);
  AudioUnitScope GetScope() const { return m_scope; }

  UInt32 GetNumberOfElements() const { return static_cast<UInt32>(m_elements.size()); }
  // Grows or shrinks the scope; the global scope always has exactly one element.
  OSStatus SetNumberOfElements(UInt32 count);

  AUElement* GetElement(UInt32 index) const;    // null when out of range
  AUIOElement* GetIOElement(UInt32 index) const;  // null for the global scope

 private:
  AudioUnitScope m_scope = kAudioUnitScope_Global;
  CAStreamBasicDescription m_defaultFormat;
  std::vector<std::unique_ptr<AUElement>> m_elements;
};
