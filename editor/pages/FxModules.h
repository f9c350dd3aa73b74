#pragma once
// The eleven effect panels of the effects-matrix page: one per effect type
// and one for an empty slot. Each is its table of controls (FxModules.cpp)
// over the shared mechanics of CFxModule.

#include "editor/pages/FxModule.h"

// The panels' tables by effect type, in the order the effect ids number the
// types (reverb, delay, echoes, grain shifter, chorus, flanger, phaser,
// distortion, tremolo, equalizer); FX_TYPE_COUNT is the empty slot's.
const unsigned int FX_TYPE_COUNT = 10;
const FX_PANEL_DESC& FxPanelDesc(unsigned int type);

class CFxModuleNone : public CFxModule {
 public:
  CFxModuleNone(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleNone(*this); }
};

class CFxModuleReverb : public CFxModule {
 public:
  CFxModuleReverb(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleReverb(*this); }
};

class CFxModuleDelay : public CFxModule {
 public:
  CFxModuleDelay(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleDelay(*this); }
};

class CFxModuleEchoes : public CFxModule {
 public:
  CFxModuleEchoes(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleEchoes(*this); }
};

class CFxModuleGrainShifter : public CFxModule {
 public:
  CFxModuleGrainShifter(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleGrainShifter(*this); }
};

class CFxModuleChorus : public CFxModule {
 public:
  CFxModuleChorus(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleChorus(*this); }
};

class CFxModuleFlanger : public CFxModule {
 public:
  CFxModuleFlanger(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleFlanger(*this); }
};

class CFxModulePhaser : public CFxModule {
 public:
  CFxModulePhaser(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModulePhaser(*this); }
};

class CFxModuleDistortion : public CFxModule {
 public:
  CFxModuleDistortion(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleDistortion(*this); }
};

class CFxModuleTremolo : public CFxModule {
 public:
  CFxModuleTremolo(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleTremolo(*this); }
};

class CFxModuleEq : public CFxModule {
 public:
  CFxModuleEq(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame);
  CView* newCopy() const override { return new CFxModuleEq(*this); }
};
