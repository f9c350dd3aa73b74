#pragma once
// Stand-in for the framework's file selector: there is no dialog to show,
// so every run reports a cancel. The program's own file dialogs live
// elsewhere (platform/FileDialogs.h).

#include <string>

#include "platform/vstgui/BaseObject.h"

class CFrame;

class CFileSelector : public CBaseObject {
 public:
  enum Style { kSelectFile = 0, kSelectSaveFile, kSelectDirectory };

  explicit CFileSelector(CFrame* frame = nullptr, Style style = kSelectFile) : frame(frame), style(style) {}

  CFrame* getFrame() const { return frame; }
  Style getStyle() const { return style; }
  void setTitle(const char* text) { title = text ? text : ""; }
  void setInitialDirectory(const char* path) { initialDirectory = path ? path : ""; }
  void setDefaultExtension(const char* ext) { extension = ext ? ext : ""; }
  // Runs the dialog: 1 with a chosen path, 0 when cancelled (always 0 here).
  long run() { return 0; }
  long getNumSelectedFiles() const { return 0; }
  const char* getSelectedFile(long index) const { return nullptr; }

 private:
  CFrame* frame;
  Style style;
  std::string title, initialDirectory, extension;
};
