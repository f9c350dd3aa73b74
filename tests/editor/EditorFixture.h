#pragma once
// A whole instrument with its editor, driven the way a host drives it, and
// helpers to stand in for the user: a menu chooser that picks entries by
// title, and the file and author dialogs' responders.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/DlgDefaultAuthor.h"
#include "editor/Editor.h"
#include "editor/EditorTags.h"
#include "engine/ICommandHandler.h"
#include "engine/VoiceManager.h"
#include "host/vst/VstTestHost.h"
#include "platform/FileDialogs.h"
#include "platform/vstgui/vstgui.h"

class CEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.reset(new CVstTestHost());
    host->Start();
    editor = host->effect->GetEditorObject();
    commands = host->effect->GetVoiceManager();
  }
  void TearDown() override {
    SetFileDialogResponder(nullptr);
    SetAuthorDialogResponder(nullptr);
    host.reset();
  }

  void Open() {
    ASSERT_EQ(host->Dispatch(effEditOpen, 0, 0, &window), 1);
    frame = editor->getFrame();
    ASSERT_NE(frame, nullptr);
  }
  void Close() {
    host->Dispatch(effEditClose);
    frame = nullptr;
  }

  CControl* Control(long tag) { return editor->getControlByTag(tag); }

  // The user changes a control: its value, then the listener hears of it.
  void Change(long tag, float value) {
    CControl* c = Control(tag);
    ASSERT_NE(c, nullptr) << tag;
    c->setValue(value);
    editor->valueChanged(c);
  }
  // One click on a push button: pressed (1), then released (0).
  void Kick(long tag) {
    Change(tag, 1.f);
    Change(tag, 0.f);
  }

  // Menus: pick the entry titled title (searched in submenus too); record
  // every menu shown. An empty title dismisses.
  void ChooseMenuEntry(const std::string& title) {
    frame->setMenuChooser([this, title](COptionMenu* root, COptionMenu*& menu, long& index) {
      shownMenus.push_back(Titles(root));
      ++menusShown;
      if (title.empty()) return false;
      return root->findEntry(title.c_str(), menu, index);
    });
  }
  static std::vector<std::string> Titles(COptionMenu* menu) {
    std::vector<std::string> titles;
    for (long i = 0; i < menu->getNbEntries(); ++i) titles.push_back(menu->getEntry(i)->getTitle());
    return titles;
  }

  // Host calls of one opcode, in order.
  std::vector<HOST_CALL> Calls(VstInt32 opcode) const {
    std::vector<HOST_CALL> out;
    for (const HOST_CALL& c : host->calls)
      if (c.opcode == opcode) out.push_back(c);
    return out;
  }

  std::unique_ptr<CVstTestHost> host;
  CEditor* editor = nullptr;
  ICommandHandler* commands = nullptr;
  CFrame* frame = nullptr;
  int window = 0;
  int menusShown = 0;
  std::vector<std::vector<std::string>> shownMenus;
};
