#include "platform/au/AUScope.h"

#include <cstring>

// ---------------------------------------------------------------------------
// AUElement

void AUElement::UseIndexedParameters(UInt32 count) {
  m_indexed = true;
  m_values.clear();
  m_indexedValues.assign(count, 0.0f);
}

UInt32 AUElement::GetNumberOfParameters() const {
  return static_cast<UInt32>(m_indexed ? m_indexedValues.size() : m_values.size());
}

void AUElement::GetParameterList(AudioUnitParameterID* list) const {
  if (!list) return;
  if (m_indexed) {
    for (UInt32 i = 0; i < m_indexedValues.size(); ++i) list[i] = i;
    return;
  }
  for (const auto& entry : m_values) *list++ = entry.first;
}

bool AUElement::HasParameter(AudioUnitParameterID id) const {
  return m_indexed ? id < m_indexedValues.size() : m_values.count(id) != 0;
}

OSStatus AUElement::GetParameter(AudioUnitParameterID id, AudioUnitParameterValue& value) const {
  if (m_indexed) {
    if (id >= m_indexedValues.size()) return kAudioUnitErr_InvalidParameter;
    value = m_indexedValues[id];
    return noErr;
  }
  auto it = m_values.find(id);
  if (it == m_values.end()) return kAudioUnitErr_InvalidParameter;
  value = it->second;
  return noErr;
}

OSStatus AUElement::SetParameter(AudioUnitParameterID id, AudioUnitParameterValue value) {
  if (m_indexed) {
    if (id >= m_indexedValues.size()) return kAudioUnitErr_InvalidParameter;
    m_indexedValues[id] = value;
    return noErr;
  }
  m_values[id] = value;
  return noErr;
}

// ---------------------------------------------------------------------------
// AUIOElement

AUIOElement::AUIOElement(const CAStreamBasicDescription& format) : m_format(format) {
  _BuildList();
}

AUIOElement::~AUIOElement() {}

void AUIOElement::SetStreamFormat(const CAStreamBasicDescription& format) {
  m_format = format;
  DeallocateBuffers();
}

void AUIOElement::DeallocateBuffers() {
  m_memory.clear();
  m_memory.shrink_to_fit();
  m_maxFrames = 0;
  _BuildList();
}

bool AUIOElement::AllocateBuffers(UInt32 maxFrames) {
  if (!m_format.IsUsable() || maxFrames == 0) {
    DeallocateBuffers();
    return false;
  }
  size_t bytesPerStream = static_cast<size_t>(maxFrames) * m_format.mBytesPerFrame;
  size_t wordsPerStream = (bytesPerStream + 7) / 8;
  m_memory.assign(wordsPerStream * m_format.NumberChannelStreams(), 0);
  m_maxFrames = maxFrames;
  _BuildList();
  return true;
}

// Sizes the list for the format's streams and points it at the own buffers.
void AUIOElement::_BuildList() {
  UInt32 streams = m_format.NumberChannelStreams();
  if (streams == 0) streams = 1;
  m_list.assign(AudioBufferListSize(streams), 0);
  GetBufferList().mNumberBuffers = streams;
  _PointListAtOwnBuffers();
}

// Allocates nothing, so a render may call it.
void AUIOElement::_PointListAtOwnBuffers() {
  AudioBufferList& list = GetBufferList();
  size_t bytesPerStream = static_cast<size_t>(m_maxFrames) * m_format.mBytesPerFrame;
  size_t wordsPerStream = (bytesPerStream + 7) / 8;
  for (UInt32 k = 0; k < list.mNumberBuffers; ++k) {
    AudioBuffer& b = list.mBuffers[k];
    b.mNumberChannels = m_format.NumberInterleavedChannels();
    b.mDataByteSize = m_memory.empty() ? 0 : static_cast<UInt32>(bytesPerStream);
    b.mData = m_memory.empty() ? nullptr : &m_memory[wordsPerStream * k];
  }
}

OSStatus AUIOElement::PrepareBuffers(UInt32 frames, AudioBufferList* callerList) {
  AudioBufferList& list = GetBufferList();
  UInt32 bytes = frames * m_format.mBytesPerFrame;
  if (callerList && callerList->mNumberBuffers != list.mNumberBuffers) return kAudio_ParamError;
  _PointListAtOwnBuffers();
  for (UInt32 k = 0; k < list.mNumberBuffers; ++k) {
    AudioBuffer& b = list.mBuffers[k];
    const AudioBuffer* given = callerList ? &callerList->mBuffers[k] : nullptr;
    if (given && given->mData) {
      if (given->mDataByteSize < bytes) return kAudio_ParamError;
      b.mData = given->mData;
    } else if (!b.mData || frames > m_maxFrames) {
      return kAudioUnitErr_Uninitialized;  // no own buffer to lend
    }
    b.mDataByteSize = bytes;
  }
  return noErr;
}

void AUIOElement::CopyBufferListTo(AudioBufferList* callerList) {
  if (!callerList) return;
  AudioBufferList& list = GetBufferList();
  UInt32 n = callerList->mNumberBuffers < list.mNumberBuffers ? callerList->mNumberBuffers
                                                               : list.mNumberBuffers;
  for (UInt32 k = 0; k < n; ++k) callerList->mBuffers[k] = list.mBuffers[k];
}

// ---------------------------------------------------------------------------
// AUScope

void AUScope::Initialize(AudioUnitScope scope, const CAStreamBasicDescription& defaultFormat) {
  m_scope = scope;
  m_defaultFormat = defaultFormat;
  m_elements.clear();
  if (scope == kAudioUnitScope_Global) m_elements.emplace_back(new AUElement);
}

OSStatus AUScope::SetNumberOfElements(UInt32 count) {
  if (m_scope == kAudioUnitScope_Global) return count == 1 ? noErr : kAudioUnitErr_InvalidScope;
  if (count > 1024) return kAudio_ParamError;
  while (m_elements.size() > count) m_elements.pop_back();
  while (m_elements.size() < count) {
    if (m_scope == kAudioUnitScope_Input || m_scope == kAudioUnitScope_Output)
      m_elements.emplace_back(new AUIOElement(m_defaultFormat));
    else
      m_elements.emplace_back(new AUElement);
  }
  return noErr;
}

AUElement* AUScope::GetElement(UInt32 index) const {
  return index < m_elements.size() ? m_elements[index].get() : nullptr;
}

AUIOElement* AUScope::GetIOElement(UInt32 index) const {
  if (m_scope != kAudioUnitScope_Input && m_scope != kAudioUnitScope_Output) return nullptr;
  return static_cast<AUIOElement*>(GetElement(index));
}
