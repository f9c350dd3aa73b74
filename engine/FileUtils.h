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

// Whether path ends in extension (given with or without its leading dot),
// letters compared without regard to case; a name that is only the
// extension does not count. A null or empty extension matches every path.
bool HasExtension(const std::string& path, const char* extension);

// The file a path built as folder + "/" + name + extension means: the path
// itself when it exists, else the entry of its folder whose name is the same
// but for the case of the extension ("Upper.P" for "Upper.p"), else the
// path unchanged.
std::string ResolveExtensionCase(const std::string& path);

// Modal open panel for one file, optionally limited to extension (given with
// or without its leading dot), starting in folder (optional). On success the
// chosen path is copied into path (at most size - 1 characters and a zero);
// false on cancel or a null path, which is then left unchanged. title is not
// shown.
bool ShowLoadFileDialog(char* path, unsigned size, const char* title, const char* extension,
                        const char* folder = nullptr);

// Modal save panel starting in folder with name in its name field (both
// optional); otherwise as ShowLoadFileDialog. A chosen name without the
// extension gets it; replacing an existing file is confirmed by the user.
bool ShowSaveFileDialog(char* path, const char* folder, unsigned size, const char* title,
                        const char* extension, const char* name);

}  // namespace FileUtils
