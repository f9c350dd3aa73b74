#pragma once
// Graphical editor of one multi-segment envelope: a breakpoint curve of up
// to 64 points over 16 steps, drawn as a filled shape and edited with the
// mouse. The control keeps its own copy of the points and writes every
// change straight into the synthesizer's parameters; it never reports a
// value to its listener.

#include <vector>

#include "editor/pages/MsegCopy.h"
#include "platform/vstgui/vstgui.h"

class ICommandHandler;

class CMsegControl : public CControl {
 public:
  static const unsigned int MAX_POINTS = 64;
  static const unsigned int STEPS = 16;
  // Parameter ids of MSEG 0; the others follow at the given strides.
  static const unsigned int PARAM_LOOP_ENABLED = 777;
  static const unsigned int PARAM_LOOP_START = 781;
  static const unsigned int PARAM_LOOP_END = 785;
  static const unsigned int PARAM_CURVE_MODE = 789;
  static const unsigned int PARAM_LEVEL_SNAP = 801;
  static const unsigned int PARAM_TIME_SNAP = 805;
  static const unsigned int PARAM_TIME = 809;
  static const unsigned int PARAM_LEVEL = 873;
  static const unsigned int PARAM_CURVE = 937;
  static const unsigned int POINT_STRIDE = 192;
  static const unsigned int PARAM_RATE = 176;  // float
  static const unsigned int PARAM_SYNC = 793;
  static const unsigned int PARAM_TRIGGER = 797;

  enum {
    DRAG_NONE = 0,
    DRAG_ZOOM = 1,
    DRAG_POINT = 2,
    DRAG_BEND = 3,
    DRAG_ERASE = 4,
    DRAG_LOOP_START = 5,
    DRAG_LOOP_END = 6,
    DRAG_STEP_POINT = 7,
    DRAG_STEP_LEVEL = 8
  };

  CMsegControl(ICommandHandler* commands, const CRect& size, CControlListener* listener, long tag);
  CMsegControl(const CMsegControl& other);
  ~CMsegControl() override;
  CMsegControl& operator=(const CMsegControl&) = delete;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CMsegControl(*this); }

  void SetInstance(unsigned int instance);
  unsigned int GetInstance() const { return m_instance; }
  void Update();
  void StoreMseg();

  void SetCurveMode(unsigned int mode);
  void EnableLoop(bool enabled);
  void SetTimeSnapping(unsigned int snap);
  void SetLevelSnapping(unsigned int snap);
  unsigned int GetCurveMode() const { return m_curveMode; }
  bool IsLoopEnabled() const { return m_loopEnabled != 0; }
  unsigned int GetTimeSnapping() const { return m_timeSnap; }
  unsigned int GetLevelSnapping() const { return m_levelSnap; }
  void SetLock(bool lock) { m_lock = lock ? 1 : 0; }
  bool IsLocked() const { return m_lock != 0; }

  float QuantizePosition(float t) const;
  float QuantizeLevel(float l) const;
  static bool SortPredicate(const MSEG_POINT& a, const MSEG_POINT& b) { return a.time < b.time; }

  void AddPoint(MSEG_POINT& point);
  void RemovePoint(int index);
  void FitWidth();
  int IsPointClicked(CPoint& where);
  int IsLoopClicked(CPoint& where);
  int IsCurveClicked(CPoint& where);

  // Copy fills a new vector into the record (the caller frees the old one
  // first); Paste does nothing for an empty record.
  void Copy(MSEG_COPY& copy);
  void Paste(MSEG_COPY& copy);

  const std::vector<MSEG_POINT>& GetPoints() const { return m_points; }
  int GetLoopStart() const { return m_loopStart; }
  int GetLoopEnd() const { return m_loopEnd; }
  int GetDragMode() const { return m_dragMode; }
  float GetZoom() const { return m_zoom; }
  int GetScroll() const { return m_scroll; }
  int GetPixelsPerStep() const { return m_pixelsPerStep; }

  // Screen position of a time and a level (shared by drawing and hit tests).
  long TimeToX(float t) const;
  long LevelToY(float l) const;

 private:
  void _drawGrid(CDrawContext* context);
  void _drawShape(CDrawContext* context, bool steps);
  void _sort();
  bool _validIndex(int i) const { return i >= 0 && i < (int)m_points.size(); }

  ICommandHandler* m_commands;
  unsigned int m_instance = 0;
  std::vector<MSEG_POINT> m_points;
  unsigned int m_curveMode = 0;
  unsigned int m_timeSnap = 0;
  unsigned int m_levelSnap = 0;
  CRect m_curveArea;
  CRect m_topBar;
  unsigned char m_lock = 0;
  unsigned char m_loopEnabled = 1;
  int m_dragMode = DRAG_NONE;
  int m_dragIndex = -1;
  int m_loopStart = 0;
  int m_loopEnd = 1;
  float m_zoom = 0.f;
  int m_scroll = 0;
  int m_pixelsPerStep = 0;
  int m_minPixelsPerStep = 0;
  int m_maxPixelsPerStep = 0;
  // State when the button went down.
  CPoint m_downPoint;
  MSEG_POINT m_downValue = {0.f, 0.f, 0.f};
  float m_downZoom = 0.f;
  int m_downPixelsPerStep = 0;
  int m_downScroll = 0;
  CFontDesc* m_font;
};
