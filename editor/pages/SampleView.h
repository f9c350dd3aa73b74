#pragma once
// The waveform of a two-channel buffer with two loop markers, shared by the
// sample editor and the recorder. It draws the mix of both channels as a
// min/max outline over a grid of 11025-sample lines, and lets the user drag
// the loop start and end markers, which never cross: they may meet, and
// both always lie inside the buffer (0 .. length - 1). A press takes the
// nearer marker; on a tie, the one on the side the pointer moves to.
//
// The view reads its source only in Update(), to compute the outline;
// drawing uses the outline and the markers alone, so the source may change
// between updates without the view ever reading it there. The owner keeps
// the source alive and calls Update() whenever it changes.

#include <vector>

#include "platform/vstgui/vstgui.h"

class CSampleView : public CControl {
 public:
  CSampleView(const CRect& size, CControlListener* listener);
  CSampleView(const CSampleView& other);

  // A negative length is stored as 0. Recomputes the outline.
  void SetSource(const float* left, const float* right, long length);
  void Update();

  void EnableLoop(bool enabled);
  bool IsLoopEnabled() const { return m_loopEnabled; }
  // Stores the markers, limited to the buffer (start <= end <= length - 1).
  void SetLoop(unsigned int start, unsigned int end);
  unsigned int GetLoopStart() const { return m_loopStart; }
  unsigned int GetLoopEnd() const { return m_loopEnd; }
  long GetLength() const { return m_length; }

  // The outline, in the view's parent coordinates.
  const std::vector<CPoint>& GetUpperOutline() const { return m_upper; }
  const std::vector<CPoint>& GetLowerOutline() const { return m_lower; }
  // How many grid lines the next draw makes (none for an empty source).
  long GetGridLineCount() const;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CSampleView(*this); }

 private:
  // The buffer position under x, limited to 0 .. length - 1.
  unsigned int _positionAt(CCoord x) const;
  void _moveMarker(const CPoint& where);

  const float* m_left = nullptr;
  const float* m_right = nullptr;
  long m_length = 0;
  std::vector<CPoint> m_upper;
  std::vector<CPoint> m_lower;
  bool m_loopEnabled = false;
  unsigned int m_loopStart = 0;
  unsigned int m_loopEnd = 0;
  bool m_draggingStart = false;
  bool m_draggingEnd = false;
  // A press equally near both markers: the marker is chosen by the
  // direction of the first move away from m_pressPos.
  bool m_tiePending = false;
  unsigned int m_pressPos = 0;
};
