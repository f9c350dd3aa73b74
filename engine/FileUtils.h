#pragma once
// Path splitting and the modal file dialogs. Both "/" and "\\" separate path
// components.

#include <string>

namespace FileUtils {

// The part before the last separator, without it; a path without separator
// comes back whole.
std::string ExtractDirPath(const std::string& path);

// The part after the last separator, cut before its last "."; no separator:
// the whole path; no dot: nothing is cut.
std::string ExtractFileName(const std::string& path);

// From the last "." of the whole path to its end, dot included; "" when the
// path has no dot.
std::string ExtractExtension(const std::string& path);

// Modal open panel for one file, optionally limited to extension (given with
// or without its leading dot). On success the chosen path is copied into path
// (at most size - 1 characters and a zero); false on cancel or a null path,
// which is then left unchanged. title is not shown.
bool ShowLoadFileDialog(char* path, unsigned size, const char* title, const char* extension);

// Modal save panel starting in folder with name in its name field (both
// optional); otherwise as ShowLoadFileDialog.
bool ShowSaveFileDialog(char* path, const char* folder, unsigned size, const char* title,
                        const char* extension, const char* name);

}  // namespace FileUtils
