#pragma once
// The parameter panel of one effect on the effects-matrix page, the common
// mechanics of all eleven: a panel edits one instance (0 or 1) of its
// effect. Its controls carry the instance-0 parameter ids as tags and the
// panel adds the instance when it reads or writes the engine. Every panel of
// an effect also has the on/off switch of the matrix slot it is shown for
// and load, save and reset buttons for the effect's module preset.
//
// What a panel holds is a table (FX_PANEL_DESC): the effect's parameter
// run, its integer settings, its module-preset kind and its controls with
// their kinds, places and defaults. The panel classes of FxModules.h each
// hand the base their table; the artwork painter draws their backgrounds
// from the same tables.

#include "editor/EditorTags.h"
#include "editor/StringLists.h"
#include "platform/vstgui/vstgui.h"

class CEditor;
class ICommandHandler;
class IControlHandler;

// The on/off switch edits the on flag of the slot the panel is shown for.
const long TAG_FX_SLOT_ON = 731;

enum FX_CONTROL_KIND {
  FX_CONTROL_MIX,      // 52 x 52 knob, mix frame strip
  FX_CONTROL_LARGE_1,  // 52 x 52 knob, first control frame strip
  FX_CONTROL_LARGE_2,  // 52 x 52 knob, second control frame strip
  FX_CONTROL_SMALL,    // 28 x 28 knob, body drawn in the background
  FX_CONTROL_LIST,     // list of an integer setting
  FX_CONTROL_NUMERIC,  // 27 x 10 percentage display
};

struct FX_PANEL_CONTROL {
  long tag;  // the instance-0 parameter id
  FX_CONTROL_KIND kind;
  CCoord x, y;  // top-left corner inside the panel
  float defaultValue;
  const char* caption;
  // Lists only.
  const STRING_LIST* list;
  long clickMode;
  CCoord width, height;
};

struct FX_PANEL_DESC {
  const char* className;
  const char* background;
  const char* title;
  // Module-preset kind; 0 for the empty slot's panel, which has no
  // parameters, switch or buttons.
  unsigned int presetKind;
  // Parameters: paramCount ids from firstId in steps of 2 (instance 0).
  unsigned int firstId;
  unsigned int paramCount;
  // Integer settings (instance 0), stored as floats and read truncated.
  unsigned int settings[2];
  unsigned int settingCount;
  const FX_PANEL_CONTROL* controls;
  unsigned int controlCount;
};

// Panel geometry shared by the page and the artwork.
const CCoord FX_PANEL_WIDTH = 400;
const CCoord FX_PANEL_HEIGHT = 123;
const CCoord FX_BIG_KNOB_SIZE = 52;
const CCoord FX_SMALL_KNOB_SIZE = 28;
const int FX_KNOB_FRAMES = 96;
const CCoord FX_NUMERIC_WIDTH = 27;
const CCoord FX_NUMERIC_HEIGHT = 10;
const CCoord FX_ON_OFF_LEFT = 3, FX_ON_OFF_TOP = 3;
const CCoord FX_BUTTON_TOP = 32;
const CCoord FX_BUTTON_LEFTS[3] = {19, 51, 86};

// The place of a control inside its panel.
CRect FxControlRect(const FX_PANEL_CONTROL& control);

class CFxModule : public CViewContainer, private CControlListener {
 public:
  CFxModule(const FX_PANEL_DESC& desc, ICommandHandler* commands, IControlHandler* handler, const CRect& size,
            CFrame* frame);
  CFxModule(const CFxModule& other);
  ~CFxModule() override;

  bool isTypeOf(const char* type) const override;
  void valueChanged(CControl* control) override;

  // Rereads every attached control from the engine for the current
  // instance and slot.
  void updateAll();

  void SetInstance(unsigned int instance) { m_instance = instance > 1 ? 1 : instance; }
  unsigned int GetInstance() const { return m_instance; }
  void SetSlot(unsigned int slot) { m_slot = slot < 16 ? slot : 0; }
  unsigned int GetSlot() const { return m_slot; }
  const FX_PANEL_DESC& GetDesc() const { return m_desc; }

  // The first control of the panel with the tag, or null.
  CControl* GetControl(long tag);

 private:
  void _buildControls();
  bool _isParameter(long tag) const;
  bool _isSetting(long tag) const;
  void _reset();
  CEditor* _editor();

  ICommandHandler* m_commands;
  IControlHandler* m_handler;
  unsigned int m_instance = 0;
  unsigned int m_slot = 0;
  const FX_PANEL_DESC& m_desc;
};
