#pragma once
// Reading folders for the preset browser: the entries of one folder with
// their kind, the identity of a folder (so that a folder reached again
// through a link is noticed), names made safe to draw, and the browser's
// name order. Only the editor thread reads folders, and never while it
// holds the engine lock: a big folder may take a while.

#include <functional>
#include <string>

namespace FolderListing {

enum ENTRY_KIND {
  ENTRY_FILE,    // a regular file, or a link to one
  ENTRY_FOLDER,  // a folder, or a link to one
  ENTRY_OTHER,   // anything else: pipes, devices, sockets, dangling links
};

// Calls entry(name, kind) for every entry of the folder except "." and
// "..", in the order the system gives them. False, without a call, when
// the folder cannot be opened (missing, not a folder, not readable).
bool List(const std::string& path, const std::function<void(const std::string& name, ENTRY_KIND kind)>& entry);

// Device and inode of a folder (links followed); false when it cannot be
// read.
struct FOLDER_ID {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  bool operator==(const FOLDER_ID& other) const { return device == other.device && inode == other.inode; }
};
bool GetFolderId(const std::string& path, FOLDER_ID& id);

// The name as valid UTF-8: every byte that does not start a well-formed
// sequence becomes U+FFFD. Names on disk may hold any bytes, and a drawing
// call handed broken UTF-8 stops drawing altogether.
std::string ShowableName(const std::string& name);

// The browser's order: names compared with ASCII letters upper-cased, byte
// by byte, a name before every longer name it starts; names that differ
// only in case fall back to their plain bytes so the order is stable.
bool SortPredicate(const std::string& a, const std::string& b);
// The upper-cased copy SortPredicate compares (to sort big lists with
// keys made once).
std::string SortKey(const std::string& name);

// Diagnostics: observer(path, context) is called on the reading thread
// before each folder is read (List). Null removes it. Set it only while no
// folder is being read.
typedef void (*READ_OBSERVER)(const std::string& path, void* context);
void SetReadObserver(READ_OBSERVER observer, void* context);

}  // namespace FolderListing
