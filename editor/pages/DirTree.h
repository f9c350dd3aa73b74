#pragma once
// The folders under the preset browser's root: one node per folder, its
// children kept in the browser's name order, and a cursor per node that the
// walks in display order and in depth-first pre-order move along.

#include <string>
#include <vector>

class CDirNode {
 public:
  // path is the full path; name the folder's own name as read from disk.
  CDirNode(const std::string& name, const std::string& path);
  ~CDirNode();
  CDirNode(const CDirNode&) = delete;
  CDirNode& operator=(const CDirNode&) = delete;

  // Takes ownership of child, makes this node its parent, inserts it in
  // name order and resets the cursor; returns child.
  CDirNode* AddChild(CDirNode* child);
  void SetParent(CDirNode* parent) { m_parent = parent; }

  // Cursor: ResetTraverse puts it (and those of the whole subtree) on the
  // first child; GetNextChild returns the child under it and advances it,
  // null after the last.
  void ResetTraverse();
  CDirNode* GetNextChild();
  // Leaves the cursor of every node on the way from this node down to
  // target just past the child that leads there, and target's on its first
  // child; false (nothing changed) when target is not in this subtree.
  bool TraverseToNode(CDirNode* target);
  // The deepest last descendant (the last child's last child and so on);
  // null without children.
  CDirNode* GetLastChild();
  // This node's predecessor in pre-order: the parent for a first child,
  // else the previous sibling's deepest last descendant (or that sibling);
  // null for the root.
  CDirNode* GetPrevChild();
  // The node of exactly this path, this node before its children; null
  // when absent.
  CDirNode* FindDir(const std::string& path);
  // Rows shown below this node: 0 when collapsed, else each child's own
  // count plus one.
  unsigned int GetVisibleCount() const;
  // Folders in this subtree, this one included.
  unsigned int GetCount() const;

  CDirNode* GetParent() const { return m_parent; }
  const std::string& GetName() const { return m_name; }
  // The name as drawn (broken UTF-8 replaced).
  const std::string& GetShownName() const { return m_shownName; }
  void SetName(const std::string& name);
  const std::string& GetPath() const { return m_path; }
  bool IsExpanded() const { return m_expanded; }
  void SetExpanded(bool expanded) { m_expanded = expanded; }
  const std::vector<CDirNode*>& GetChildren() const { return m_children; }
  bool HasChildren() const { return !m_children.empty(); }

 private:
  CDirNode* m_parent = nullptr;
  std::string m_name;
  std::string m_shownName;
  std::string m_path;
  bool m_expanded = false;
  std::vector<CDirNode*> m_children;
  size_t m_cursor = 0;
};

// Owner of the root node.
class CDirTree {
 public:
  CDirTree() = default;
  ~CDirTree() { Clear(); }
  CDirTree(const CDirTree&) = delete;
  CDirTree& operator=(const CDirTree&) = delete;

  // Makes node the root (the old tree is deleted).
  void SetRoot(CDirNode* node);
  CDirNode* GetRoot() const { return m_root; }
  // Adds child below parent; a null parent adds nothing (child is deleted)
  // and returns null.
  CDirNode* AddChild(CDirNode* parent, CDirNode* child);
  // The next child at node's cursor; null for a null node.
  CDirNode* GetNextChild(CDirNode* node) { return node ? node->GetNextChild() : nullptr; }
  // Positions the cursors on the way from the root to node.
  bool TraverseToNode(CDirNode* node);
  CDirNode* FindDir(const std::string& path) { return m_root ? m_root->FindDir(path) : nullptr; }
  // Rows in the display order: the root and what its expanded nodes show.
  unsigned int GetVisibleCount() const { return m_root ? m_root->GetVisibleCount() + 1 : 0; }
  unsigned int GetCount() const { return m_root ? m_root->GetCount() : 0; }
  void Clear();

 private:
  CDirNode* m_root = nullptr;
};
