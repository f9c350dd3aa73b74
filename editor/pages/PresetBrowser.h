#pragma once
// The browser window over the editor: a folder tree on the left, the file
// list of the selected folder on the right, and kick buttons to close, step
// to the previous or next file, and read the folders again. It knows
// nothing of categories: the editor gives it a root folder, a title, the
// files' extension and a remembered selection, and every file the user (or
// a next/previous step) picks goes back to the editor, which loads it. The
// next/previous steps also serve the editor's commands while the window is
// not shown.

#include <string>
#include <vector>

#include "editor/pages/OverlayPanel.h"

class CDirectoryView;
class CEditor;
class CFileView;
class ICommandHandler;

class CPresetBrowser : public COverlayPanel, public CControlListener {
 public:
  CPresetBrowser(CEditor* editor, ICommandHandler* commands, const CRect& size, CFrame* frame,
                 CBitmap* background);
  CPresetBrowser(const CPresetBrowser& other);

  // Reads the tree below path (shown as name) and shows the root's files.
  void InitRoot(const std::string& path, const std::string& name);
  // Selects the folder (when not empty and in the tree), then marks the
  // file as selected there without loading it (when not empty).
  void InitSelection(const std::string& directory, const std::string& file);
  void SetExtension(const std::string& extension);
  const std::string& GetExtension() const;
  const std::string& GetRoot() const { return m_root; }
  const std::string& GetTitle() const { return m_title; }
  // The selection the editor loads: the selected file's folder and name
  // (without extension); empty when nothing is selected.
  const std::string& GetSelectedDirectory() const;
  const std::string& GetSelectedFile() const;
  ICommandHandler* GetCommandHandler() const { return m_commands; }
  CFileView* GetFileView() const { return m_fileView; }
  CDirectoryView* GetDirectoryView() const { return m_dirView; }

  // From the folder tree: its selection changed.
  void OnDirectorySelected();
  // From the file list: a file was selected; the editor loads it and, with
  // close, closes the browser.
  void OnFileSelected(bool flag, bool close);

  // The names of the files shown, in the list's order.
  const std::vector<std::string>& GetFileNames() const;
  // Selects a file of the shown folder by name; the editor loads it.
  void SelectPreset(const std::string& name);
  // The next or previous file across the folders in pre-order, wrapping
  // around; the file landed on is loaded. False when no folder has a file.
  bool SelectNextPreset();
  bool SelectPrevPreset();

  void valueChanged(CControl* control) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CPresetBrowser(*this); }

 private:
  // Brings the tree (and so the list) to the selected file's folder.
  void _showSelectedFolder();

  CEditor* m_editor;
  ICommandHandler* m_commands;
  CFileView* m_fileView = nullptr;
  CDirectoryView* m_dirView = nullptr;
  std::string m_root;
  std::string m_title;
};
