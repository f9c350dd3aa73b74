#pragma once
// The three pages of the main window's lower area and the modulation
// matrix's source and target menus, for the editor that builds them: the
// arpeggiator and trance-gate page (ArpPage.h), the modulation page
// (ModPage.h), the effects-matrix page (FxMatrixPage.h) and the menus
// (ModMatrixMenus.h).

#include "editor/pages/ArpPage.h"
#include "editor/pages/FxMatrixPage.h"
#include "editor/pages/ModMatrixMenus.h"
#include "editor/pages/ModPage.h"
#include "editor/pages/MsegEditor.h"
