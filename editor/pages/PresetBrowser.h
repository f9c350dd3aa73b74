#pragma once
// Placeholder for the preset browser window until the browser pages land:
// a view container that keeps what the editor gives it (root folder, title,
// extension, the selected folder and file) and walks the files of one
// folder for next and previous. It draws its background only. The folder
// tree and file list replace the walk.

#include <string>
#include <vector>

#include "editor/pages/OverlayPanel.h"

class CEditor;
class ICommandHandler;

class CPresetBrowser : public COverlayPanel, public CControlListener {
 public:
  CPresetBrowser(CEditor* editor, ICommandHandler* commands, const CRect& size, CFrame* frame,
                 CBitmap* background);

  void valueChanged(CControl*) override {}
  bool isTypeOf(const char* type) const override;

  void InitRoot(const std::string& path, const std::string& name);
  // An empty string leaves that part of the selection as it was.
  void InitSelection(const std::string& directory, const std::string& file);
  void SetExtension(const std::string& extension) { m_extension = extension; }
  const std::string& GetExtension() const { return m_extension; }
  const std::string& GetRoot() const { return m_root; }
  const std::string& GetTitle() const { return m_title; }
  const std::string& GetSelectedDirectory() const { return m_directory; }
  const std::string& GetSelectedFile() const { return m_file; }
  ICommandHandler* GetCommandHandler() const { return m_commands; }

  // File names (without extension) of the selected folder (the root when
  // none is selected), sorted.
  std::vector<std::string> GetFileNames() const;
  // Selects a file of the shown folder by name and hands it to the editor,
  // which loads it; false when there is no such file.
  bool SelectPreset(const std::string& name);
  // The next or previous file of the shown folder, wrapping; loads it.
  bool SelectNextPreset();
  bool SelectPrevPreset();

 private:
  bool _select(long step);
  std::string _shownFolder() const { return m_directory.empty() ? m_root : m_directory; }

  CEditor* m_editor;
  ICommandHandler* m_commands;
  std::string m_root;
  std::string m_title;
  std::string m_extension;
  std::string m_directory;
  std::string m_file;
};
