#pragma once
// The wavetable editor's waveform view: the work wave (16,384 samples of one
// cycle) as columns, drawn with the left button (Shift: level, Alt: zero)
// and rotated with the right button (Shift: finer), plus the time-domain
// operations of the panel's tools menu. After every change the listener
// (the panel) is told. Editor thread only.

#include "platform/vstgui/vstgui.h"

class ICommandHandler;

class CWaveformControl : public CControl {
 public:
  static const unsigned int WAVE_SIZE = 16384;

  CWaveformControl(const CRect& size, CControlListener* listener, long tag, ICommandHandler* commands);
  CWaveformControl(const CWaveformControl& other);
  ~CWaveformControl() override;
  CWaveformControl& operator=(const CWaveformControl&) = delete;

  // Takes the wave (not owned).
  void SetWaveTable(float* wave);
  float* GetWaveTable() const { return m_wave; }
  void Update() { setDirty(true); }

  void Smooth();
  void Sharp();
  void Normalize();
  void RemoveDC();
  void Invert();
  void Reverse();
  void ShiftToZero();
  void Clear();

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CWaveformControl(*this); }

 private:
  void _Changed();

  ICommandHandler* m_commands;
  float* m_wave = nullptr;
  float* m_copy;
  bool m_owner = true;
  CPoint m_last;
};
