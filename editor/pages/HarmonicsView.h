#pragma once
// The wavetable editor's spectrum view: the harmonics of the work wave as
// bars, magnitude above the middle line (0..1 relative to the loudest,
// shown on a log scale) and phase below it (0..1 turns, 0 = sine phase).
// The user draws magnitudes or phases with the left button, shifts the
// whole spectrum with the right button, and runs the spectral operations;
// each change is turned back into the wave by an inverse transform and the
// listener (the panel) is told.
//
// Transforms: FFTW complex plans of 16,384 points, made once by the
// constructor (under the program-wide planner lock) and reused; analysis
// and resynthesis allocate nothing. Editor thread only.

#include <fftw.h>

#include "engine/Random.h"
#include "platform/vstgui/vstgui.h"

class CScrollBar;
class ICommandHandler;

class CSpectrumControl : public CControl, public CControlListener {
 public:
  static const unsigned int WAVE_SIZE = 16384;
  static const unsigned int HALF = WAVE_SIZE / 2;
  // Bars of the scroll range (the editable and visible harmonics).
  static const unsigned int SCROLL_BARS = 512;

  CSpectrumControl(const CRect& size, CControlListener* listener, long tag, ICommandHandler* commands);
  CSpectrumControl(const CSpectrumControl& other);
  ~CSpectrumControl() override;
  CSpectrumControl& operator=(const CSpectrumControl&) = delete;

  // Takes the wave (not owned) and analyses it.
  void SetWaveTable(float* wave);
  // Rebuilds the wave from the bins and tells the listener.
  void ApplyChanges();
  void Update() { setDirty(true); }
  void SetScrollBar(CScrollBar* bar);
  void SetZoomFactor(unsigned int zoom);
  unsigned int GetZoomFactor() const { return m_zoom; }
  unsigned int GetFirstBin() const { return m_firstBin; }
  CCoord GetPitch() const { return static_cast<CCoord>((2u << m_zoom) + 1); }

  // Spectral operations; each starts from the wave as it stands, ends with
  // the resynthesis and tells the listener.
  void Smooth();
  void Sharp();
  void Balance();
  void RemoveEven();
  void RemoveOdd();
  void MakeOrgran();
  void ResetPhase();
  void RandomizePhase();

  // The bins, for the panel and tests.
  const float* GetMagnitudes() const { return m_magnitude; }
  const float* GetPhases() const { return m_phase; }

  // Scroll bar and zoom list.
  void valueChanged(CControl* control) override;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CSpectrumControl(*this); }

 private:
  void _Analyse();
  void _Finish();
  CCoord _Middle() const;
  CCoord _HalfHeight() const;

  ICommandHandler* m_commands;
  float* m_wave = nullptr;
  CScrollBar* m_scrollBar = nullptr;
  unsigned int m_zoom = 1;
  unsigned int m_firstBin = 0;
  float* m_magnitude;
  float* m_phase;
  float* m_magnitudeCopy;
  float* m_phaseCopy;
  bool m_editMagnitude = true;
  // Random phases: the control's own generator (the engine's belongs to the
  // render thread).
  CRandom m_random{FreshRandomSeed(this)};
  CPoint m_last;
  CPoint m_press;
  // Transform buffers and plans, owned by the original only (copies share
  // them and the bins).
  fftw_complex* m_input = nullptr;
  fftw_complex* m_output = nullptr;
  fftw_plan m_forward = nullptr;
  fftw_plan m_backward = nullptr;
  bool m_owner = true;
};
